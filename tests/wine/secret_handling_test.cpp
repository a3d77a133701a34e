// How the sign-in window handles the password: the prompt timer that never
// reads the fields' texts, and the password field emptied once the user is
// in.

#include <windows.h>

#include <commctrl.h>

#include "program_texts.h"
#include "test_support.h"

using namespace program_texts;
using namespace testing_support;

class SecretHandling : public ProgramWindows {};

// While both fields are filled the prompt timer ticks, shows no prompt and
// asks only for their lengths; the OK button reads them.
TEST_F(SecretHandling, PromptTimerNeverReadsTheFields) {
    int accountReads = 0, passwordReads = 0;
    SetWindowTextW(Form1->Edit1->Handle(), L"someone");
    SetFieldText(Form1->Edit2->Handle(), L"secret");
    ASSERT_TRUE(SetWindowSubclass(Form1->Edit1->Handle(), CountMessages, WM_GETTEXT,
                                  reinterpret_cast<DWORD_PTR>(&accountReads)));
    ASSERT_TRUE(SetWindowSubclass(Form1->Edit2->Handle(), CountMessages, WM_GETTEXT,
                                  reinterpret_cast<DWORD_PTR>(&passwordReads)));
    int ticks = 0;
    ASSERT_TRUE(SetWindowSubclass(Form1->Handle(), CountMessages, WM_TIMER, reinterpret_cast<DWORD_PTR>(&ticks)));
    ASSERT_TRUE(PumpUntil([&ticks] { return ticks >= 2; }, 2600)) << "the timer stopped with both fields filled";
    EXPECT_EQ(TextOf(Form1->Label3->Handle()), BlankStatus());
    EXPECT_EQ(accountReads, 0);
    EXPECT_EQ(passwordReads, 0);
    // Emptied, the field is found so by its length: the prompt comes.
    SetFieldText(Form1->Edit2->Handle(), L"");
    ASSERT_TRUE(PumpUntil([] { return TextOf(Form1->Label3->Handle()) != BlankStatus(); }, 1300)) << "no prompt";
    EXPECT_EQ(passwordReads, 0);
    // The check does read them.
    SetFieldText(Form1->Edit2->Handle(), L"secret");
    Form1->BitBtn2->Click();
    EXPECT_GE(accountReads, 1);
    EXPECT_GE(passwordReads, 1);
    RemoveWindowSubclass(Form1->Edit1->Handle(), CountMessages, WM_GETTEXT);
    RemoveWindowSubclass(Form1->Edit2->Handle(), CountMessages, WM_GETTEXT);
    RemoveWindowSubclass(Form1->Handle(), CountMessages, WM_TIMER);
}

// Once in, the prompt timer stops and the hidden password field holds
// nothing, not even as something to undo; the signing-in text names the
// account.
TEST_F(SecretHandling, SignedInLeavesThePasswordFieldEmpty) {
    Form1->Edit1->SetFocus();
    TypeText(L"Tovi");
    Form1->Edit2->SetFocus();
    TypeText(L"906");
    ASSERT_EQ(SendMessageW(Form1->Edit1->Handle(), EM_CANUNDO, 0, 0), TRUE) << "typing can be undone";
    EXPECT_EQ(SendMessageW(Form1->Edit2->Handle(), EM_CANUNDO, 0, 0), FALSE) << "the masked field keeps no undo";
    ASSERT_TRUE(Form1->Timer1->Enabled());
    Form1->BitBtn2->Click();
    ASSERT_TRUE(Form2->Visible()) << "the right account signed in";
    EXPECT_FALSE(Form1->Timer1->Enabled());
    EXPECT_EQ(Form1->Edit2->TextLength(), 0);
    EXPECT_EQ(SendMessageW(Form1->Edit2->Handle(), EM_CANUNDO, 0, 0), FALSE);
    SendMessageW(Form1->Edit2->Handle(), EM_UNDO, 0, 0);
    EXPECT_EQ(Form1->Edit2->TextLength(), 0) << "undo brought text back";
    EXPECT_EQ(TextOf(Form1->Edit1->Handle()), L"Tovi");
    EXPECT_EQ(TextOf(Form1->Label3->Handle()), SigningIn(L"Tovi"));
    // Hidden and never shown again, it gives no prompt for the emptied field.
    Pump(1300);
    EXPECT_FALSE(Form1->Visible());
    EXPECT_EQ(TextOf(Form1->Label3->Handle()), SigningIn(L"Tovi"));
}
