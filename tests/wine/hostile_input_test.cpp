// Input meant to break the sign-in window: huge pasted texts. (Characters
// with no Big5 form are in the refusal table of signin_test.cpp; copying the
// password out is tried end to end, where the clipboard is another
// program's.)

#include <cstdint>
#include <string>

#include "test_support.h"

using namespace testing_support;

namespace {

class HostileInput : public ProgramWindows {};

// About a million characters (2 MiB on the clipboard, more than 1 MiB in
// Big5): the start of the accepted value, then ASCII letters and Chinese
// characters, so that a comparison that looked only at the start, or cut
// the text short, would let it in.
std::wstring Megabyte(const std::wstring& start) {
    std::wstring text = start;
    text.reserve(1u << 20);
    for (uint32_t i = 0; text.size() < (1u << 20); ++i)
        text.push_back(i % 5 == 4 ? static_cast<wchar_t>(0x4E00 + i % 3000) : static_cast<wchar_t>(L'a' + i % 26));
    return text;
}

// Pastes `text` with Ctrl+V into `field`, emptied first.
void Paste(TEdit* field, const std::wstring& text) {
    PutOnClipboard(text);
    field->SetFocus();
    SetFieldText(field->Handle(), L"");
    ASSERT_TRUE(PressKey('V', false, false, /*ctrl=*/true));
    EXPECT_EQ(field->TextLength(), static_cast<int>(text.size())) << "nothing is cut off";
}

}  // namespace

TEST_F(HostileInput, MegabytePastedIntoEachFieldIsRefusedAndTheWindowStillAnswers) {
    ASSERT_TRUE(PumpUntil([] { return Form1->Label3->GetText().Bytes().find('\xBD') != std::string::npos; }, 5000))
        << "the prompt first";
    const std::wstring prompt = TextOf(Form1->Label3->Handle());
    const std::wstring account = Megabyte(L"Tovi"), password = Megabyte(L"906");
    struct Case {
        const char* what;
        bool pasteAccount, pastePassword;  // else the accepted value typed
    };
    for (const Case& c :
         {Case{"a megabyte in the account field", true, false}, Case{"a megabyte in the password field", false, true},
          Case{"a megabyte in each field", true, true}}) {
        SCOPED_TRACE(c.what);
        if (c.pasteAccount) Paste(Form1->Edit1, account);
        else SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
        if (c.pastePassword) Paste(Form1->Edit2, password);
        else SetFieldText(Form1->Edit2->Handle(), L"906");
        Form1->Edit2->SetFocus();
        // A refusal of a megabyte takes a few hundred milliseconds; the bound
        // is one no load reaches but a check that grows with the square of
        // the text's length would.
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(PressKey(VK_RETURN));
        EXPECT_LT(MsSince(start), 8000);
        EXPECT_TRUE(Form1->Visible());
        EXPECT_FALSE(Form2->Visible());
        EXPECT_EQ(TextOf(Form1->Label3->Handle()), prompt);
    }
    // Still answering: the right account gets in.
    SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
    SetFieldText(Form1->Edit2->Handle(), L"906");
    ASSERT_TRUE(PressKey(VK_RETURN));
    EXPECT_TRUE(Form2->Visible());
}
