// Keys as in a dialog (Enter, Esc, Alt+N) and the close confirmation they
// open. The box's look, the tab order and how each window's close box ends
// the program are seen end to end (tests/e2e).

#include "program_texts.h"
#include "test_support.h"

using namespace program_texts;
using namespace testing_support;

namespace {

class KeysAndClosing : public ProgramWindows {};

}  // namespace

TEST_F(KeysAndClosing, EnterOrSpaceAtStartAsksAndCancelChangesNothing) {
    BoxAnswerer answerer(IDCANCEL);
    ASSERT_TRUE(PressKey(VK_RETURN));  // the focus is on the No button
    ASSERT_TRUE(PressKey(VK_SPACE));   // and is back on it after the box
    EXPECT_EQ(answerer.Seen().size(), 2u);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(Form2->Visible());
}

TEST_F(KeysAndClosing, EscapeAsksFromAnywhereAndTheDefaultFrameFollowsTheFocus) {
    BoxAnswerer cancel(IDCANCEL);
    TControl* const controls[] = {Form1->BitBtn1, Form1->Edit1, Form1->BitBtn2, Form1->Edit2};
    for (TControl* control : controls) {
        SCOPED_TRACE(control->Name());
        const size_t asked = cancel.Seen().size();
        control->SetFocus();
        // The frame of the button Enter presses: the focused one, or else OK.
        for (TControl* button : {Form1->BitBtn1, Form1->BitBtn2})
            EXPECT_EQ((GetWindowLongW(button->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON,
                      button == (control == Form1->BitBtn1 ? Form1->BitBtn1 : Form1->BitBtn2))
                << button->Name();
        ASSERT_TRUE(PressKey(VK_ESCAPE));
        EXPECT_EQ(cancel.Seen().size(), asked + 1);
    }
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(Form1->Visible());
}

TEST_F(KeysAndClosing, AltNPressesTheNoButton) {
    BoxAnswerer answerer(IDCANCEL);
    Form1->Edit1->SetFocus();
    ASSERT_TRUE(PressKey('N', false, /*alt=*/true));
    EXPECT_EQ(answerer.Seen().size(), 1u);
}

TEST_F(KeysAndClosing, PromptDueWhileTheBoxIsOpenShowsBehindIt) {
    ASSERT_EQ(TextOf(Form1->Label3->Handle()), BlankStatus()) << "the start-up took over a second";
    BoxAnswerer answerer(IDCANCEL, /*delayMs=*/1600);
    std::wstring statusWhileOpen;
    answerer.BeforeAnswering([&] { statusWhileOpen = TextOf(Form1->Label3->Handle()); });
    Form1->BitBtn1->Click();  // opens the box at once; returns when the answerer pressed Cancel
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(statusWhileOpen, Prompt()) << "the prompt shows while the box is still open";
    EXPECT_EQ(TextOf(Form1->Label3->Handle()), Prompt());
    EXPECT_FALSE(Application->Terminated());
}
