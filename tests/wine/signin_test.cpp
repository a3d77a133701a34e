// The sign-in window's behaviour through real timer ticks and keyboard
// input: the one-time prompt, refusals, the accepted account and the
// one-second hand-over to the main window.

#include "test_support.h"
#include "text_codec.h"

using namespace testing_support;

namespace {

const std::wstring kBlankStatus(15, L' ');

std::wstring Prompt() { return Utf16(u8"請輸入帳號以及密碼") + std::wstring(19, L' '); }
std::wstring Status() { return WindowText(Form1->Label3->Handle()); }

class SignIn : public ProgramWindows {
protected:
    void Fill(const std::wstring& account, const std::wstring& password) {
        Form1->Edit1->SetFocus();
        SendMessageW(Form1->Edit1->Handle(), EM_SETSEL, 0, -1);
        SendMessageW(Form1->Edit1->Handle(), WM_CLEAR, 0, 0);
        TypeText(account);
        Form1->Edit2->SetFocus();
        SendMessageW(Form1->Edit2->Handle(), EM_SETSEL, 0, -1);
        SendMessageW(Form1->Edit2->Handle(), WM_CLEAR, 0, 0);
        TypeText(password);
    }
};

}  // namespace

TEST_F(SignIn, PromptAppearsAtTheFirstTickAndNeverAgain) {
    EXPECT_EQ(Status(), kBlankStatus);
    ASSERT_TRUE(PumpUntil([] { return Status() != kBlankStatus; }, 2500));
    // The prompt timer starts with the sign-in window: a second after the
    // start-up began, not 30 % later.
    const long long promptAt = MsSince(started_);
    EXPECT_GE(promptAt, 950);
    EXPECT_LE(promptAt, 1250);
    EXPECT_EQ(Status(), Prompt());
    EXPECT_FALSE(Form1->Timer1->Enabled());
    EXPECT_EQ(Form1->Label3->GetText(), AnsiFromUtf8(u8"請輸入帳號以及密碼") + AnsiString(std::string(19, ' ')));

    // Emptied fields after the prompt bring no second prompt; a changed
    // status stays as it is.
    Form1->Label3->SetText("x");
    Pump(2200);
    EXPECT_EQ(Status(), L"x");
}

TEST_F(SignIn, NoPromptWhileBothFieldsAreFilled) {
    Fill(L"someone", L"secret");
    Pump(2300);
    EXPECT_EQ(Status(), kBlankStatus);
    EXPECT_TRUE(Form1->Timer1->Enabled());
    // The first tick that finds a field emptied shows the prompt.
    SendMessageW(Form1->Edit2->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(PumpUntil([] { return Status() == Prompt(); }, 1300));
    EXPECT_FALSE(Form1->Timer1->Enabled());
}

TEST_F(SignIn, RefusalsChangeNothing) {
    ASSERT_TRUE(PumpUntil([] { return Status() == Prompt(); }, 1500));
    // Put there after the prompt: the program has no reason to write the
    // status line again, so any write shows as this text gone.
    Form1->Label3->SetText("after the prompt");
    const std::wstring marker = Status();
    const std::wstring wrong[][2] = {
        {L"tovi", L"906"},
        {L"TOVI", L"906"},
        {L" Tovi", L"906"},
        {L"Tovi ", L"906"},
        {L"Tovi", L" 906"},
        {L"Tovi", L"906 "},
        {L"Tovi", L"907"},
        {L"Tovi", L""},
        {L"", L"906"},
        {L"\xFF34ovi", L"906"},
        {L"T\x00F6vi", L"906"},
        {L"\x24C9ovi", L"906"},
        {L"Tovi", L"\xFF19\xFF10\xFF16"},
        {L"T\x043Evi", L"906"},
        {L"To\x0076\x0301i", L"906"},
        {L"Tovi\x200B", L"906"},
    };
    for (const auto& attempt : wrong) {
        SCOPED_TRACE(testing::Message() << "account of " << attempt[0].size() << " units");
        Fill(attempt[0], attempt[1]);
        PressKey(VK_RETURN);
        Pump(50);
        EXPECT_TRUE(Form1->Visible());
        EXPECT_FALSE(Form2->Visible());
        EXPECT_FALSE(Form2->Thtime->Enabled());
        EXPECT_EQ(Status(), marker);
        EXPECT_EQ(WindowText(Form1->Edit1->Handle()), attempt[0]);
        EXPECT_EQ(WindowText(Form1->Edit2->Handle()), attempt[1]);
    }
    // A refusal does not switch the prompt back on: a field left empty
    // after it brings no second prompt.
    Fill(L"Tovi", L"");
    PressKey(VK_RETURN);
    Pump(1300);
    EXPECT_EQ(Status(), marker);
}

TEST_F(SignIn, AcceptedAccountHandsOverAfterOneSecond) {
    Fill(L"Tovi", L"906");
    PressKey(VK_RETURN, false, false, /*pumpMs=*/0);  // Enter in the password field presses OK
    ASSERT_TRUE(PumpUntil([] { return Form2->Visible(); }, 1000));
    const auto signedIn = std::chrono::steady_clock::now();
    EXPECT_FALSE(Form1->Visible());
    EXPECT_FALSE(Form3->Visible());
    // The program's texts are Big5 bytes (code page 950): "Tovi", then
    // 登入中 as B5 6E A4 4A A4 A4, three dots and five spaces.
    EXPECT_EQ(Form1->Label3->GetText(), AnsiString("Tovi\xB5\x6E\xA4\x4A\xA4\xA4...     "));
    EXPECT_EQ(Status(), L"Tovi" + Utf16(u8"登入中...") + std::wstring(5, L' '));
    EXPECT_TRUE(Form2->Thtime->Enabled());

    ASSERT_TRUE(PumpUntil([] { return Form3->Visible(); }, 2500));
    // From the wait window showing to the main window showing: one second,
    // not 30 % more.
    const long long waited = MsSince(signedIn);
    EXPECT_GE(waited, 950);
    EXPECT_LE(waited, 1200);
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

TEST_F(SignIn, RefusedAttemptThenTheRightAccountSignsIn) {
    Fill(L"Tovi", L"609");
    PressKey(VK_RETURN);
    EXPECT_TRUE(Form1->Visible());
    Fill(L"Tovi", L"906");
    PressKey(VK_RETURN);
    EXPECT_FALSE(Form1->Visible());
    EXPECT_TRUE(Form2->Visible());
}

TEST_F(SignIn, MainWindowNeverShowsWithoutASignIn) {
    Pump(3200);
    EXPECT_FALSE(Form3->Visible());
    EXPECT_FALSE(Form2->Visible());
    EXPECT_TRUE(Form1->Visible());
}

TEST_F(SignIn, KeysQueuedForTheHiddenWindowStartNoSecondHandOver) {
    Fill(L"Tovi", L"906");
    PressKey(VK_RETURN, false, false, /*pumpMs=*/0);
    ASSERT_TRUE(PumpUntil([] { return Form2->Visible(); }, 1000));
    const auto signedIn = std::chrono::steady_clock::now();
    ASSERT_FALSE(PumpUntil([] { return Form3->Visible(); }, 750)) << "the hand-over came within 750 ms";
    // An Enter that reaches the hidden sign-in window late must not sign in
    // again: that would restart the one-second hand-over, and the main
    // window would come a second after this key instead of at the latest
    // a quarter second after it.
    PostMessageW(Form1->Edit2->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    const auto lateKey = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([] { return Form3->Visible(); }, 2500));
    EXPECT_LE(MsSince(lateKey), 600) << "the wait window stayed " << MsSince(signedIn) << " ms";
}
