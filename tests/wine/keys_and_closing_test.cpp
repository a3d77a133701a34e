// Keys as in a dialog (Tab, Shift+Tab, Enter, Esc, Alt+N), the close
// confirmation answered both ways, and how each window's close box ends.

#include "test_support.h"

using namespace testing_support;

namespace {

class KeysAndClosing : public ProgramWindows {};

std::wstring Prompt() { return Utf16(u8"請輸入帳號以及密碼") + std::wstring(19, L' '); }

void ExpectConfirmation(const SeenBox& box) {
    EXPECT_EQ(box.text, Utf16(u8"你確定要關閉程式嗎?"));
    EXPECT_EQ(box.caption, Utf16(u8"關閉程式"));
    EXPECT_TRUE(box.hasOk);
    EXPECT_TRUE(box.hasCancel);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_TRUE(box.ownerDisabled) << "the box is modal to the sign-in window";
}

}  // namespace

TEST_F(KeysAndClosing, TabAndShiftTabCycleInTabOrder) {
    const HWND order[] = {Form1->BitBtn1->Handle(), Form1->BitBtn2->Handle(), Form1->Edit1->Handle(),
                          Form1->Edit2->Handle()};
    EXPECT_EQ(GetFocus(), order[0]);
    for (int step = 1; step <= 5; ++step) {
        PressKey(VK_TAB);
        EXPECT_EQ(GetFocus(), order[step % 4]) << "after " << step << " Tab";
    }
    // Now on BitBtn2; Shift+Tab walks back and wraps.
    for (int step = 0; step < 5; ++step) {
        PressKey(VK_TAB, /*shift=*/true);
        EXPECT_EQ(GetFocus(), order[(5 - step + 3) % 4]) << "after " << step + 1 << " Shift+Tab";
    }
}

TEST_F(KeysAndClosing, EnterAtStartAsksAndCancelChangesNothing) {
    BoxAnswerer answerer(IDCANCEL);
    PressKey(VK_RETURN);  // the focus is on the No button
    ASSERT_EQ(answerer.Seen().size(), 1u);
    ExpectConfirmation(answerer.Seen()[0]);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(Form1->Visible());
    EXPECT_EQ(WindowText(Form1->Label3->Handle()), std::wstring(15, L' '));
}

TEST_F(KeysAndClosing, EscapeAsksFromAnywhereAndOkEndsTheApplication) {
    {
        BoxAnswerer cancel(IDCANCEL);
        Form1->Edit2->SetFocus();
        PressKey(VK_ESCAPE);
        Form1->Edit1->SetFocus();
        PressKey(VK_ESCAPE);
        ASSERT_EQ(cancel.Seen().size(), 2u);
        ExpectConfirmation(cancel.Seen()[1]);
        EXPECT_FALSE(Application->Terminated());
        EXPECT_TRUE(Form1->Visible());
    }
    BoxAnswerer ok(IDOK);
    Form1->BitBtn2->SetFocus();
    PressKey(VK_ESCAPE);
    ASSERT_EQ(ok.Seen().size(), 1u);
    Pump(50);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(Form1->Visible());
}

TEST_F(KeysAndClosing, ConfirmedCloseEndsTheApplication) {
    BoxAnswerer answerer(IDOK);
    Form1->BitBtn1->Click();
    ASSERT_EQ(answerer.Seen().size(), 1u);
    ExpectConfirmation(answerer.Seen()[0]);
    Pump(50);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(Form1->Visible());
}

TEST_F(KeysAndClosing, AltNPressesTheNoButton) {
    BoxAnswerer answerer(IDCANCEL);
    Form1->Edit1->SetFocus();
    PressKey('N', false, /*alt=*/true);
    EXPECT_EQ(answerer.Seen().size(), 1u);
}

TEST_F(KeysAndClosing, EnterOnTheOkButtonAttemptsTheSignIn) {
    Form1->Edit1->SetFocus();
    TypeText(L"Tovi");
    Form1->Edit2->SetFocus();
    TypeText(L"906");
    Form1->BitBtn2->SetFocus();
    Pump(30);
    BoxAnswerer answerer(IDCANCEL);
    PressKey(VK_RETURN);
    EXPECT_TRUE(answerer.Seen().empty()) << "Enter on OK asked to close";
    EXPECT_FALSE(Form1->Visible());
    EXPECT_TRUE(Form2->Visible()) << "Enter on OK with the right account signs in";
}

TEST_F(KeysAndClosing, PromptDueWhileTheBoxIsOpenShowsBehindIt) {
    BoxAnswerer answerer(IDCANCEL, /*delayMs=*/1600);
    std::wstring statusWhileOpen;
    answerer.BeforeAnswering([&] { statusWhileOpen = WindowText(Form1->Label3->Handle()); });
    Form1->BitBtn1->Click();  // returns when the answerer pressed Cancel
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(statusWhileOpen, Prompt()) << "the prompt shows while the box is still open";
    EXPECT_EQ(WindowText(Form1->Label3->Handle()), Prompt());
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(KeysAndClosing, SignInWindowCloseBoxEndsWithoutAsking) {
    BoxAnswerer answerer(IDOK);
    PostMessageW(Form1->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(100);
    EXPECT_TRUE(answerer.Seen().empty());
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(KeysAndClosing, WaitWindowCloseBoxOnlyHidesAndTheHandOverStillComes) {
    Form1->Edit1->SetText("Tovi");
    SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
    SetWindowTextW(Form1->Edit2->Handle(), L"906");
    Form1->BitBtn2->Click();
    ASSERT_TRUE(Form2->Visible());
    PostMessageW(Form2->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(100);
    EXPECT_FALSE(Form2->Visible());
    EXPECT_FALSE(Application->Terminated());
    ASSERT_TRUE(PumpUntil([] { return Form3->Visible(); }, 1500));
    // Closing the main window ends the application.
    PostMessageW(Form3->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(100);
    EXPECT_TRUE(Application->Terminated());
}
