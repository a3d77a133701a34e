// The sign-in window's behaviour through real timer ticks and keyboard
// input: the one-time prompt, refusals, the accepted account and the
// one-second hand-over to the main window.

#include "program_texts.h"
#include "test_support.h"
#include "text_codec.h"

using namespace program_texts;
using namespace testing_support;

namespace {

// The prompt as the program holds it: Big5 bytes (code page 950) of
// 請輸入帳號以及密碼, then 19 spaces.
const AnsiString kPromptBytes(std::string("\xBD\xD0\xBF\xE9\xA4\x4A\xB1\x62\xB8\xB9\xA5\x48\xA4\xCE\xB1\x4B\xBD\x58") +
                              std::string(19, ' '));

std::wstring Status() { return TextOf(Form1->Label3->Handle()); }

// Puts texts into the fields at once, with no event loop between: no timer
// tick can come while only one is in.
void Fill(const std::wstring& account, const std::wstring& password) {
    SetWindowTextW(Form1->Edit1->Handle(), account.c_str());
    SetFieldText(Form1->Edit2->Handle(), password.c_str());
}

class SignIn : public ProgramWindows {
protected:
    void SetUp() override {
        ProgramWindows::SetUp();
        // Every test here needs the first tick still to come (the set-up
        // makes the windows again after a start-up slowed past it).
        ASSERT_EQ(Status(), BlankStatus()) << "three start-ups in a row took over a second";
    }
};

}  // namespace

TEST_F(SignIn, PromptAppearsAtTheFirstTickAndNeverAgain) {
    ASSERT_TRUE(PumpUntil([] { return Status() != BlankStatus(); }, 2500));
    // A second after the program started the prompt timer, not 30 % later.
    const long long promptAt = MsSince(TimerStartedOn(Form1->Handle()));
    EXPECT_GE(promptAt, 950);
    EXPECT_LE(promptAt, 1250);
    EXPECT_EQ(Form1->Label3->GetText(), kPromptBytes);
    EXPECT_EQ(Status(), Prompt());
    // The status line grew to fit the prompt: none of it is clipped.
    HDC dc = GetDC(Form1->Label3->Handle());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Form1->Label3->Handle(), WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, Prompt().c_str(), static_cast<int>(Prompt().size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(Form1->Label3->Handle(), dc);
    const RECT status = RectOf(Form1->Label3->Handle());
    EXPECT_EQ(status.right - status.left, extent.cx) << "the status line is as wide as the prompt";

    // Empty fields after the prompt bring no second prompt: a changed
    // status stays as it is past the next tick. Nor does any other window
    // show without a sign-in.
    Form1->Label3->SetText("x");
    Pump(1300);
    EXPECT_EQ(Status(), L"x");
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(Form2->Visible());
    EXPECT_FALSE(Form3->Visible());
}

TEST_F(SignIn, RefusalsChangeNothing) {
    // The password alone empty is enough for the prompt.
    Fill(L"Tovi", L"");
    ASSERT_TRUE(PumpUntil([] { return Status() == Prompt(); }, 5000));
    // Put there after the prompt: the program has no reason to write the
    // status line again, so any write shows as this text gone.
    Form1->Label3->SetText("after the prompt");
    const std::wstring marker = Status();
    BoxAnswerer noBox(IDCANCEL);
    // Accounts tried with the right password: wrong case, spaces, look-alikes
    // (full-width, accented, circled, Cyrillic), characters with no Big5
    // form (emoji, combining marks, invisible and control characters,
    // letters of other scripts).
    // clang-format off
    const std::wstring accounts[] = {
        L"tovi", L"TOVI", L" Tovi", L"Tovi ", L"", L"906", L"Tovii", L"\xFF34ovi", L"T\x00F6vi", L"Tov\x00EC",
        L"\x24C9ovi", L"T\x043Evi", L"Tovi\xD83D\xDE00", L"To\x0308vi", L"To\x0076\x0301i", L"Tovi\x200B",
        L"\xFEFFTovi", L"\x202ETovi", L"To\x00ADvi", L"Tovi\x0007", L"Tovi\x0085", L"T\x1D0Fvi", L"\x0422ovi",
        L"\x03A4ovi", L"\x1E6Aovi", L"\x13A2ovi", L"\xD835\xDC13ovi", L"Tov\x0131"};
    // Passwords tried with the right account: spaces, wrong, longer, empty,
    // O for 0, other digits.
    const std::wstring passwords[] = {
        L" 906", L"906 ", L"907", L"9060", L"", L"Tovi", L"9O6", L"\xFF19\xFF10\xFF16", L"9\x20DD" L"06",
        L"\x2468\x24EA\x2465", L"\x0669\x0660\x0666", L"906\xFE0F", L"\x2079\x2070\x2076", L"90\x200E" L"6",
        L"90\x0431"};
    // clang-format on
    std::vector<std::pair<std::wstring, std::wstring>> wrong = {{L"", L""}};
    for (const std::wstring& account : accounts) wrong.emplace_back(account, L"906");
    for (const std::wstring& password : passwords) wrong.emplace_back(L"Tovi", password);
    // The right characters split otherwise between the two fields.
    wrong.insert(wrong.end(), {{L"Tovi9", L"06"}, {L"Tov", L"i906"}, {L"", L"Tovi906"}, {L"Tovi906", L""}});
    Form1->Edit2->SetFocus();
    for (size_t attempt = 0; attempt < wrong.size(); ++attempt) {
        SCOPED_TRACE(testing::Message() << "attempt " << attempt);
        const auto& [account, password] = wrong[attempt];
        Fill(account, password);
        ASSERT_TRUE(PressKey(VK_RETURN));  // Enter in the password field presses OK
        EXPECT_TRUE(Form1->Visible());
        EXPECT_FALSE(Form2->Visible());
        EXPECT_EQ(Status(), marker);
        EXPECT_EQ(TextOf(Form1->Edit1->Handle()), account);
        EXPECT_EQ(std::wstring(Form1->Edit2->ReadText().View()), password);
    }
    EXPECT_TRUE(noBox.Seen().empty()) << "a refusal asked something";
    // A refusal does not switch the prompt back on: a field left empty
    // after it brings no second prompt, past the next tick.
    Fill(L"Tovi", L"");
    ASSERT_TRUE(PressKey(VK_RETURN));
    EXPECT_FALSE(PumpUntil([&] { return Status() != marker; }, 1300));
    // After all that the right account gets in.
    Fill(L"Tovi", L"906");
    ASSERT_TRUE(PressKey(VK_RETURN));
    EXPECT_TRUE(Form2->Visible());
}

TEST_F(SignIn, AcceptedAccountHandsOverAfterOneSecond) {
    Fill(L"Tovi", L"906");
    Form1->Edit1->SetFocus();
    ASSERT_TRUE(PressKey(VK_RETURN));  // Enter in the account field presses OK
    EXPECT_TRUE(Form2->Visible());
    EXPECT_FALSE(Form1->Visible());
    EXPECT_FALSE(Form3->Visible());
    // The program's texts are Big5 bytes (code page 950): "Tovi", then
    // 登入中 as B5 6E A4 4A A4 A4, three dots and five spaces.
    EXPECT_EQ(Form1->Label3->GetText(), AnsiString("Tovi\xB5\x6E\xA4\x4A\xA4\xA4...     "));
    EXPECT_EQ(Status(), SigningIn(L"Tovi"));

    ASSERT_TRUE(PumpUntil([] { return Form3->Visible(); }, 2500));
    // From the sign-in's start of the hand-over timer to the main window:
    // one second, not 30 % more.
    const long long handOverAt = MsSince(TimerStartedOn(Form2->Handle()));
    EXPECT_GE(handOverAt, 950);
    EXPECT_LE(handOverAt, 1250);
    EXPECT_FALSE(Form2->Visible());
    EXPECT_FALSE(Form1->Visible());
    EXPECT_FALSE(Application->Terminated());
    // The hand-over happens once: the main window, minimised, stays so.
    ShowWindow(Form3->Handle(), SW_MINIMIZE);
    Pump(1300);
    EXPECT_TRUE(IsIconic(Form3->Handle())) << "the main window was shown again";
    EXPECT_TRUE(Form3->Visible());
    EXPECT_FALSE(Form2->Visible());
}

TEST_F(SignIn, KeysQueuedForTheHiddenWindowPressNoneOfItsButtons) {
    BoxAnswerer noBox(IDCANCEL);
    Fill(L"Tovi", L"906");
    Form1->Edit2->SetFocus();
    ASSERT_TRUE(PressKey(VK_RETURN));
    ASSERT_TRUE(Form2->Visible());
    // During the wait an Enter and an Esc reach the hidden sign-in window
    // late. The Enter must not sign in again: signing in empties the
    // password field, so the right password is put back to show it. The Esc
    // must not ask to close. A character posted after them shows when they
    // have been handled.
    SetFieldText(Form1->Edit2->Handle(), L"906");
    PostMessageW(Form1->Edit2->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(Form1->Edit2->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(Form1->Edit1->Handle(), WM_CHAR, L'x', 0);
    ASSERT_TRUE(PumpUntil([] { return TextOf(Form1->Edit1->Handle()).find(L'x') != std::wstring::npos; }, 5000))
        << "the late keys were not handled";
    ASSERT_FALSE(Form3->Visible()) << "the late keys came after the hand-over";
    EXPECT_EQ(Form1->Edit2->TextLength(), 3) << "a key for the hidden window signed in again";
    EXPECT_TRUE(noBox.Seen().empty()) << "a key for the hidden window asked to close";
    EXPECT_TRUE(PumpUntil([] { return Form3->Visible(); }, 5000));
}
