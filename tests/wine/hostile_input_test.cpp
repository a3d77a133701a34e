// Input meant to break the sign-in window: huge pasted texts. (Characters
// with no Big5 form are in the refusal table of signin_test.cpp; copying the
// password out is tried end to end, where the clipboard is another
// program's.)

#include "test_support.h"

using namespace testing_support;

namespace {

class HostileInput : public ProgramWindows {};

}  // namespace

TEST_F(HostileInput, MegabytePastedIntoEachFieldIsRefusedAndTheWindowStillAnswers) {
    ASSERT_TRUE(PumpUntil([] { return Form1->Label3->GetText().Bytes().find('\xBD') != std::string::npos; }, 1500))
        << "the prompt first";
    const std::wstring prompt = WindowText(Form1->Label3->Handle());
    std::wstring huge(1 << 20, L'T');
    for (size_t i = 0; i < huge.size(); i += 7) huge[i] = static_cast<wchar_t>(0x4E00 + i % 2000);
    SetClipboardText(huge);
    for (TEdit* field : {Form1->Edit1, Form1->Edit2}) {
        field->SetFocus();
        ASSERT_TRUE(PressKey('V', false, false, /*ctrl=*/true));
        EXPECT_EQ(GetWindowTextLengthW(field->Handle()), static_cast<int>(huge.size())) << "nothing is cut off";
    }
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PressKey(VK_RETURN));
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(Form2->Visible());
    EXPECT_EQ(WindowText(Form1->Label3->Handle()), prompt);
    // Still answering: the right account gets in.
    SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
    SetWindowTextW(Form1->Edit2->Handle(), L"906");
    ASSERT_TRUE(PressKey(VK_RETURN));
    EXPECT_TRUE(Form2->Visible());
}
