// Input meant to break the sign-in window: huge pasted texts, characters
// with no Big5 form, and attempts to copy the password out of its field.

#include "test_support.h"

using namespace testing_support;

namespace {

class HostileInput : public ProgramWindows {
protected:
    static void SetClipboardText(const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    }
    static std::wstring ClipboardText() {
        std::wstring text;
        if (!OpenClipboard(nullptr)) return text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
    static void PressWith(WORD modifier, WORD key) {
        INPUT inputs[4] = {};
        for (INPUT& input : inputs) input.type = INPUT_KEYBOARD;
        inputs[0].ki.wVk = modifier;
        inputs[1].ki.wVk = key;
        inputs[2].ki.wVk = key;
        inputs[2].ki.dwFlags = KEYEVENTF_KEYUP;
        inputs[3].ki.wVk = modifier;
        inputs[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, inputs, sizeof(INPUT));
        Pump(100);
    }
    static void PressCtrl(WORD key) { PressWith(VK_CONTROL, key); }
};

}  // namespace

TEST_F(HostileInput, PasswordCannotBeCopiedOutOfItsField) {
    Form1->Edit2->SetFocus();
    TypeText(L"906");
    EXPECT_EQ(SendMessageW(Form1->Edit2->Handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    SetClipboardText(L"sentinel");
    SendMessageW(Form1->Edit2->Handle(), EM_SETSEL, 0, -1);
    PressCtrl('C');
    EXPECT_EQ(ClipboardText(), L"sentinel");
    PressCtrl('X');
    EXPECT_EQ(ClipboardText(), L"sentinel");
    // The other keys for Copy and Cut.
    SendMessageW(Form1->Edit2->Handle(), EM_SETSEL, 0, -1);
    PressCtrl(VK_INSERT);
    EXPECT_EQ(ClipboardText(), L"sentinel");
    SendMessageW(Form1->Edit2->Handle(), EM_SETSEL, 0, -1);
    PressWith(VK_SHIFT, VK_DELETE);
    EXPECT_EQ(ClipboardText(), L"sentinel");
    // What the field's context menu sends for Copy and Cut.
    SendMessageW(Form1->Edit2->Handle(), WM_COPY, 0, 0);
    SendMessageW(Form1->Edit2->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(ClipboardText(), L"sentinel");
    EXPECT_EQ(Form1->Edit2->GetText(), AnsiString("906"));
}

TEST_F(HostileInput, MegabytePastedIntoEachFieldIsRefusedAndTheWindowStillAnswers) {
    ASSERT_TRUE(PumpUntil([] { return Form1->Label3->GetText().Bytes().find('\xBD') != std::string::npos; }, 1500))
        << "the prompt first";
    const std::wstring prompt = WindowText(Form1->Label3->Handle());
    std::wstring huge(1 << 20, L'T');
    for (size_t i = 0; i < huge.size(); i += 7) huge[i] = static_cast<wchar_t>(0x4E00 + i % 2000);
    SetClipboardText(huge);
    for (TEdit* field : {Form1->Edit1, Form1->Edit2}) {
        field->SetFocus();
        PressCtrl('V');
        EXPECT_EQ(GetWindowTextLengthW(field->Handle()), static_cast<int>(huge.size())) << "nothing is cut off";
    }
    const auto start = std::chrono::steady_clock::now();
    PressKey(VK_RETURN);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(took.count(), 1000);
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(Form2->Visible());
    EXPECT_EQ(WindowText(Form1->Label3->Handle()), prompt);
    // Still answering: the right account gets in.
    SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
    SetWindowTextW(Form1->Edit2->Handle(), L"906");
    PressKey(VK_RETURN);
    EXPECT_TRUE(Form2->Visible());
}

TEST_F(HostileInput, CharactersWithoutABig5FormAreRefused) {
    const std::wstring accounts[] = {
        L"Tovi\xD83D\xDE00",  // an emoji after the name
        L"To\x0301vi",        // a combining mark
        L"Tovi\x0007",        // a control character
        L"T\x1D0Fvi",         // small capital O
        L"\x0422ovi",         // Cyrillic capital TE
        L"\x03A4ovi",         // Greek capital TAU
        L"\x1E6Aovi",         // T with a dot above
    };
    for (const std::wstring& account : accounts) {
        SetWindowTextW(Form1->Edit1->Handle(), account.c_str());
        SetWindowTextW(Form1->Edit2->Handle(), L"906");
        EXPECT_NE(Form1->Edit1->GetText(), AnsiString("Tovi"));
        Form1->Edit2->SetFocus();
        PressKey(VK_RETURN);
        EXPECT_TRUE(Form1->Visible());
        EXPECT_FALSE(Form2->Visible());
    }
    for (const wchar_t* password : {L"9\x20DD"
                                    L"06",
                                    L"\x2468"
                                    L"06",
                                    L"\x0669\x0660\x0666", L"906\xFE0F"}) {
        SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
        SetWindowTextW(Form1->Edit2->Handle(), password);
        PressKey(VK_RETURN);
        EXPECT_TRUE(Form1->Visible());
    }
}
