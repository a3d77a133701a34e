#include "application.h"

#include <commctrl.h>

#include "text_codec.h"

namespace {
TApplication theApplication;

AnsiString ProgramName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return Big5FromWide(name);
}
}  // namespace

TApplication* Application = &theApplication;

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() { DestroyForms(); }

void TApplication::Initialize() {
    terminated_ = false;
    if (Title.IsEmpty()) Title = ProgramName();

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

void TApplication::AddForm(std::unique_ptr<TCustomForm> form) {
    TCustomForm* raw = Own(std::move(form));
    forms_.push_back(raw);
    if (!mainForm_) mainForm_ = raw;
}

void TApplication::DestroyForms() {
    mainForm_ = nullptr;
    forms_.clear();
    DestroyComponents();
}

void TApplication::Run() {
    if (mainForm_ && !terminated_) mainForm_->Show();
    MSG message;
    while (!terminated_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            terminated_ = true;
            break;
        }
        Dispatch(message);
    }
}

void TApplication::ProcessMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        Dispatch(message);
    }
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    PostQuitMessage(0);
}

// Keys that move the focus or press a button are handled by the window
// they are typed in before the widget sees them, as in a dialog, but by the
// toolkit (TCustomForm::DialogKey) rather than IsDialogMessageW: Wine's
// IsDialogMessageW clicks the focused button on Enter only when it is the
// default push button; with another button focused it sends IDOK to the
// window, so Enter on the No button would not press No. Here Enter presses
// whichever button has the focus, and the default button from anywhere else;
// Esc the cancel button, Tab the layout's tab order.
void TApplication::Dispatch(MSG& message) {
    const bool dialogKey = message.message == WM_KEYDOWN || message.message == WM_SYSCHAR;
    if (dialogKey && message.hwnd) {
        if (TCustomForm* form = TCustomForm::OfWindow(GetAncestor(message.hwnd, GA_ROOT))) {
            // A key whose handling failed is consumed: it was meant for the window.
            bool consumed = true;
            Guarded([&] { consumed = form->DialogKey(message); });
            if (consumed) return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

HWND TApplication::MessageBoxOwner() const {
    HWND active = GetActiveWindow();
    for (TCustomForm* form : forms_)
        if (form->Handle() == active && form->Visible()) return active;
    for (TCustomForm* form : forms_)
        if (form->Visible()) return form->Handle();
    return nullptr;
}

void TApplication::ShowException(const Exception& error) {
    // Reporting must not fail in turn: it runs inside the window procedure's
    // last line of defence.
    try {
        ::MessageBoxW(MessageBoxOwner(), WideFromBig5(error.Message).c_str(), WideFromBig5(Title).c_str(),
                      MB_OK | MB_ICONSTOP);
    } catch (...) {
        ::MessageBoxW(MessageBoxOwner(), L"", nullptr, MB_OK | MB_ICONSTOP);
    }
}

void TApplication::ShowCurrentException() noexcept {
    Exception error("");
    try {
        error = CurrentException();
    } catch (...) {
        // No memory even for the message: the box is shown without it.
    }
    ShowException(error);
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, int flags) {
    return ::MessageBoxW(MessageBoxOwner(), WideFromBig5(text).c_str(), WideFromBig5(caption).c_str(),
                         static_cast<UINT>(flags));
}

void TApplication::Invoke(const TNotifyEvent& handler, TObject* sender) {
    if (handler) Guarded([&] { handler(sender); });
}
