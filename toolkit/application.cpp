#include "application.h"

#include <commctrl.h>

#include "scope_exit.h"
#include "system_error.h"
#include "text_codec.h"

namespace {
TApplication theApplication;

// The program file's path. A path that does not fit is cut short, with no
// terminator on older systems: it is read again into a larger buffer
// until it fits.
std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD copied = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (copied < path.size()) return path.substr(0, copied);
        if (path.size() >= 32768) return {};  // longer than any path the system allows
        path.resize(path.size() * 2);
    }
}

// The program file's name without its extension: the title of its boxes.
std::wstring ProgramName() {
    const std::wstring path = ProgramPath();
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}
}  // namespace

TApplication* Application = &theApplication;

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() { DestroyForms(); }

void TApplication::Initialize() {
    terminated_ = false;
    failed_ = false;
    if (Title.IsEmpty()) Title = Big5FromWide(ProgramName());

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    if (!InitCommonControlsEx(&controls)) ThrowLastError("cannot prepare the common controls");
}

void TApplication::AddForm(std::unique_ptr<TCustomForm> form) {
    TCustomForm* raw = Own(std::move(form));
    if (!mainForm_) mainForm_ = raw;
}

void TApplication::DestroyForms() {
    mainForm_ = nullptr;
    DestroyComponents();
}

void TApplication::Run() {
    // A failure already reported (in a window procedure while the windows
    // were built) ends the run before it starts.
    if (failed_) return;
    if (mainForm_ && !terminated_) mainForm_->Show();
    running_ = true;
    const ScopeExit done([this] { running_ = false; });
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
    // last line of defence. A box refused with its owner is tried once more
    // on its own.
    try {
        // A failure before Initialize has no title yet: the program's name.
        const std::wstring text = WideFromBig5(error.Message),
                           title = Title.IsEmpty() ? ProgramName() : WideFromBig5(Title);
        if (!::MessageBoxW(MessageBoxOwner(), text.c_str(), title.c_str(), MB_OK | MB_ICONSTOP))
            ::MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    } catch (...) {
        ::MessageBoxW(MessageBoxOwner(), L"", nullptr, MB_OK | MB_ICONSTOP);
    }
}

void TApplication::ReportCurrentException() noexcept {
    if (failed_) return;
    bool ending = false;
    Exception error("");
    try {
        try {
            throw;
        } catch (const SystemFailure&) {
            ending = true;
            throw;
        } catch (const std::bad_alloc&) {
            ending = true;
            error = Exception(WithReason("not enough memory", ERROR_NOT_ENOUGH_MEMORY));
        }
    } catch (...) {
        try {
            error = CurrentException();
        } catch (...) {
            // No memory even for the message: the box is shown without it.
        }
    }
    // Set before the box shows: what fails while it is open (its owner's
    // painting, a timer) is not shown on top of it.
    if (ending) failed_ = true;
    ShowException(error);
    // After the box: the end of the loop would close it at once.
    if (ending && running_) Terminate();
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, int flags) {
    const int answer = ::MessageBoxW(MessageBoxOwner(), WideFromBig5(text).c_str(), WideFromBig5(caption).c_str(),
                                     static_cast<UINT>(flags));
    if (!answer) ThrowLastError(AnsiString("cannot show the message box ") + caption);
    return answer;
}

void TApplication::Invoke(const TNotifyEvent& handler, TObject* sender) {
    if (handler) Guarded([&] { handler(sender); });
}
