// Makes the program's windows in this process and shows the sign-in window
// with the prompt, an account and a masked password typed, the focus in the
// password field. With CHANGE_TO other than 0 it first sends the sign-in
// window what Windows sends when the window reaches a screen of CHANGE_TO
// pixels per inch (WM_DPICHANGED, with the window's rectangle scaled as
// Windows suggests). Then it asks scripts/screenshots for a picture of the
// window, as the end-to-end driver does: it writes DIR\NAME.want (WxH+X+Y)
// and waits for DIR\NAME.png.
//
//   resolution_picture NAME CHANGE_TO DIR

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "program_texts.h"
#include "text_codec.h"

namespace {

bool PumpUntil(bool (*done)(const std::wstring&), const std::wstring& argument, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        Application->ProcessMessages();
        if (done(argument)) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
}

bool Never(const std::wstring&) { return false; }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool SignInInFront(const std::wstring&) { return Form1->Visible() && GetForegroundWindow() == Form1->Handle(); }

int Fail(const char* what) {
    std::fprintf(stderr, "resolution_picture: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: resolution_picture NAME CHANGE_TO DIR\n");
        return 2;
    }
    const std::wstring name = argv[1], directory = argv[3];
    const int changeTo = _wtoi(argv[2]);
    const bool built = Application->Guarded([] {
        Application->Initialize();
        Application->CreateForm(Form1);
        Application->CreateForm(Form2);
        Application->CreateForm(Form3);
    });
    if (!built) return Fail("the windows could not be made");
    Form1->Show();
    if (!PumpUntil(SignInInFront, L"", 5000)) return Fail("the sign-in window did not come to the front");

    Form1->Timer1->SetEnabled(false);
    Form1->Label3->SetText(Big5FromWide(program_texts::Prompt()));
    SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
    SetWindowTextW(Form1->Edit2->Handle(), L"906");
    Form1->Edit2->SetFocus();
    if (changeTo > 0) {
        RECT rect{};
        GetWindowRect(Form1->Handle(), &rect);
        const int from = static_cast<int>(GetDpiForWindow(Form1->Handle()));
        rect.right = rect.left + MulDiv(rect.right - rect.left, changeTo, from);
        rect.bottom = rect.top + MulDiv(rect.bottom - rect.top, changeTo, from);
        SendMessageW(Form1->Handle(), WM_DPICHANGED, MAKEWPARAM(changeTo, changeTo), reinterpret_cast<LPARAM>(&rect));
    }
    PumpUntil(Never, L"", 300);

    RECT area{};
    GetWindowRect(Form1->Handle(), &area);
    const std::wstring picture = directory + L"\\" + name + L".png", request = directory + L"\\" + name + L".want";
    DeleteFileW(picture.c_str());
    FILE* want = _wfopen((request + L".draft").c_str(), L"w");
    if (!want) return Fail("cannot write the request");
    std::fprintf(want, "%ldx%ld+%ld+%ld\n", area.right - area.left, area.bottom - area.top, area.left, area.top);
    std::fclose(want);
    // Renamed whole, so the script never reads half a request.
    MoveFileExW((request + L".draft").c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!PumpUntil(Exists, picture, 15000)) return Fail("no picture within 15 s");
    Application->DestroyForms();
    return 0;
}
