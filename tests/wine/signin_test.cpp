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
    Pump(700);
    EXPECT_EQ(Status(), kBlankStatus) << "no prompt before the first second";
    ASSERT_TRUE(PumpUntil([] { return Status() == Prompt(); }, 1000));
    EXPECT_FALSE(Form1->Timer1->Enabled());
    EXPECT_EQ(Form1->Label3->GetText(),
              AnsiFromUtf8(u8"請輸入帳號以及密碼") + AnsiString(std::string(19, ' ')));

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
    const std::wstring wrong[][2] = {
        {L"tovi", L"906"},          {L"TOVI", L"906"},          {L" Tovi", L"906"},
        {L"Tovi ", L"906"},         {L"Tovi", L" 906"},         {L"Tovi", L"906 "},
        {L"Tovi", L"907"},          {L"Tovi", L""},             {L"", L"906"},
        {L"\xFF34ovi", L"906"},     {L"T\x00F6vi", L"906"},     {L"\x24C9ovi", L"906"},
        {L"Tovi", L"\xFF19\xFF10\xFF16"}, {L"T\x043Evi", L"906"}, {L"To\x0076\x0301i", L"906"},
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
        EXPECT_EQ(Status(), Prompt());
        EXPECT_EQ(WindowText(Form1->Edit1->Handle()), attempt[0]);
        EXPECT_EQ(WindowText(Form1->Edit2->Handle()), attempt[1]);
    }
}

TEST_F(SignIn, AcceptedAccountHandsOverAfterOneSecond) {
    Fill(L"Tovi", L"906");
    PressKey(VK_RETURN);  // Enter in the password field presses OK
    const auto signedIn = std::chrono::steady_clock::now();
    EXPECT_FALSE(Form1->Visible());
    EXPECT_TRUE(Form2->Visible());
    EXPECT_FALSE(Form3->Visible());
    EXPECT_EQ(Form1->Label3->GetText(), AnsiString("Tovi") + AnsiFromUtf8(u8"登入中...") + AnsiString("     "));
    EXPECT_EQ(Status(), L"Tovi" + Utf16(u8"登入中...") + std::wstring(5, L' '));
    EXPECT_TRUE(Form2->Thtime->Enabled());

    ASSERT_TRUE(PumpUntil([] { return Form3->Visible(); }, 2500));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - signedIn);
    EXPECT_GE(waited.count(), 900);
    EXPECT_LE(waited.count(), 1500);
    EXPECT_FALSE(Form2->Visible());
    EXPECT_FALSE(Form1->Visible());
    EXPECT_FALSE(Form2->Thtime->Enabled());
    EXPECT_FALSE(Application->Terminated());
    // The hand-over happens once: the main window stays.
    Pump(1300);
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
    PressKey(VK_RETURN);
    const auto signedIn = std::chrono::steady_clock::now();
    ASSERT_TRUE(Form2->Visible());
    Pump(500);
    // An Enter that reaches the hidden sign-in window late must not sign in
    // again (that would restart the one-second hand-over).
    PostMessageW(Form1->Edit2->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([] { return Form3->Visible(); }, 2500));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - signedIn);
    EXPECT_LE(waited.count(), 1350);
}
