// The window itself: its window class, making it, showing and closing it,
// and its message procedure, which hands each message to the widget it
// concerns, with the procedure's helpers (the widget of a window handle,
// the focus given back on activation).

#include "form.h"

#include <algorithm>

#include "application.h"
#include "library_entry.h"
#include "system_error.h"
#include "text_codec.h"

TCustomForm::TCustomForm(TComponent* owner) : TComponent(owner), DesignedBox(320, 240), font_(Application->Fonts()) {
    Application->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
    // Out of the table first: what its windows are sent as they go finds
    // no form.
    auto& forms = Application->forms_;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    // Widgets and timers go while the window they live in still exists.
    DestroyComponents();
    handle_.Reset();
}

const wchar_t* TCustomForm::WindowClass() {
    static constexpr const wchar_t* kName = L"TSignInFormWindow";
    static const bool registered = [] {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        // A window works without the arrow cursor or the icon: the pointer
        // keeps the shape it comes in with, and the system draws its
        // default icon. The class's icons are of the sizes the system uses
        // at its own resolution; a window on a screen of another takes its
        // own (FitIconsToResolution).
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = kName;
        windowClass.hIcon = static_cast<HICON>(LoadImageW(
            instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
        windowClass.hIconSm =
            static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        // A throw leaves `registered` unset, so the next window tries again.
        if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            ThrowLastError("cannot register the window class");
        return true;
    }();
    (void)registered;
    return kName;
}

void TCustomForm::CreateWindowHandle() {
    const std::wstring caption = WideFromBig5(Caption);
    // The window keeps its designed place on the screen, so that it stays on
    // a screen of the resolution it was designed for; its size scales.
    HWND hwnd = CreateWindowExW(0, WindowClass(), caption.c_str(), WS_OVERLAPPEDWINDOW, Left, Top, Scaled(Width),
                                Scaled(Height), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) ThrowLastError(AnsiString("cannot create the window " + Name()));
    handle_.Reset(hwnd);
    // Where the system tells each window its screen's resolution, the window
    // may have been placed on a screen other than the main one.
    const int pixelsPerInch = QueryWindowPixelsPerInch(hwnd);
    if (pixelsPerInch != screenPixelsPerInch_) {
        screenPixelsPerInch_ = pixelsPerInch;
        // Left at its design size, the window would cut off its widgets.
        if (!SetWindowPos(hwnd, nullptr, 0, 0, Scaled(Width), Scaled(Height),
                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
            ThrowLastError(AnsiString("cannot size " + Name() + " to the screen's resolution"));
        FitIconsToResolution();
    }
    RefreshFont();
}

void TCustomForm::RefreshFont() { font_.Refresh(Font, screenPixelsPerInch_, PixelsPerInch); }

void TCustomForm::ChangeResolution(int pixelsPerInch, const RECT& suggested) {
    if (pixelsPerInch <= 0) return;
    screenPixelsPerInch_ = pixelsPerInch;
    // The window's own font is taken again at once: the one of the old
    // resolution goes as soon as no widget holds it either.
    RefreshFont();
    for (TControl* control : Controls()) control->ResolutionChanged();
    FitIconsToResolution();
    // Last, so that its WM_SIZE lays the status bar along the bottom edge in
    // its new font.
    if (!SetWindowPos(handle_.Get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                      suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE))
        ThrowLastError(AnsiString("cannot size " + Name() + " to the screen's resolution"));
}

namespace {
// The size of a system metric (SM_CXICON, SM_CXSMICON) at `pixelsPerInch`:
// as the system tells it where it can (Windows 10 version 1607 and later;
// found at run time, as a program that imports it does not start on
// earlier systems), else the system's own, scaled from the resolution it
// is given at.
int MetricAt(int metric, int pixelsPerInch) {
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll"))
        if (const auto forDpi = LibraryEntry<GetSystemMetricsForDpiFunction>(user32, "GetSystemMetricsForDpi"))
            if (const int size = forDpi(metric, static_cast<UINT>(pixelsPerInch))) return size;
    return ScaleLength(GetSystemMetrics(metric), pixelsPerInch, QueryScreenPixelsPerInch());
}

UniqueIcon LoadProgramIcon(int size) {
    return UniqueIcon(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, 0)));
}
}  // namespace

void TCustomForm::FitIconsToResolution() {
    // An icon only decorates: one that cannot be loaded leaves the window
    // the icon it has.
    if (UniqueIcon icon = LoadProgramIcon(MetricAt(SM_CXICON, screenPixelsPerInch_))) {
        SendMessageW(handle_.Get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.Get()));
        bigIcon_ = std::move(icon);  // the one before goes once the window has let it go
    }
    if (UniqueIcon icon = LoadProgramIcon(MetricAt(SM_CXSMICON, screenPixelsPerInch_))) {
        SendMessageW(handle_.Get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.Get()));
        smallIcon_ = std::move(icon);
    }
}

HBRUSH TCustomForm::BackgroundBrush() const {
    if (Color & clSystemColor) return GetSysColorBrush(static_cast<int>(Color & 0xFF));
    if (!background_) {
        background_.Reset(CreateSolidBrush(ColorToRGB(Color)));
        if (!background_) ThrowLastError(AnsiString("cannot create the background of " + Name()));
    }
    return background_.Get();
}

void TCustomForm::Show() {
    if (!handle_) return;
    ShowWindow(handle_.Get(), SW_SHOWNORMAL);
    SetForegroundWindow(handle_.Get());
    if (!FocusedControl()) RestoreLastFocusOrFirst();
}

void TCustomForm::SetVisible(bool visible) {
    if (visible) Show();
    else if (handle_) ShowWindow(handle_.Get(), SW_HIDE);
}

bool TCustomForm::Visible() const { return handle_ && IsWindowVisible(handle_.Get()); }

bool TCustomForm::ClosingEndsApplication() const { return Application->MainForm() == this; }

void TCustomForm::Close() {
    SetVisible(false);
    if (ClosingEndsApplication()) Application->Terminate();
}

TCustomForm* TCustomForm::OfWindow(HWND hwnd) {
    for (TCustomForm* form : Application->Forms())
        if (hwnd && form->Handle() == hwnd) return form;
    return nullptr;
}

// The form is found by its window in the program's own table of live
// forms, never through anything kept in the window (its user data, extra
// bytes or properties), which another program can write. A window is its
// form's once CreateWindowExW has returned and handle_ holds it. So
// WM_NCCREATE, WM_CREATE and the first WM_SIZE (all sent during
// CreateWindowExW) go to DefWindowProcW and never reach HandleMessage:
// nothing the form does may depend on them. The widgets are made after the
// window and laid out then.
LRESULT CALLBACK TCustomForm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TCustomForm* form = OfWindow(hwnd);
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    Application->Guarded([&] { result = form->HandleMessage(message, wParam, lParam); });
    return result;
}

LRESULT TCustomForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = handle_.Get();
    switch (message) {
    case WM_COMMAND:
        if (TControl* control = ControlFromHandle(reinterpret_cast<HWND>(lParam))) {
            const WORD code = HIWORD(wParam);
            control->Command(code);
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (TControl* control = ControlFromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = control->ControlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_TIMER:
        for (const auto& component : Components())
            if (component->TimerFired(wParam)) return 0;
        break;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, BackgroundBrush());
        return 1;
    }
    case WM_SIZE:
        for (TControl* control : Controls()) control->ParentResized();
        break;
    case WM_ACTIVATE: {
        // Keep the focused widget while the window is inactive, as a dialog
        // does. The system's own handling puts the focus on the window itself
        // when it is activated, so the widget gets it back after that.
        if (LOWORD(wParam) == WA_INACTIVE && ControlFromHandle(GetFocus())) lastFocus_ = GetFocus();
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd)) RestoreLastFocusOrFirst();
        return result;
    }
    case WM_SETFOCUS: RestoreLastFocusOrFirst(); return 0;
    case WM_CLOSE: Close(); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(FontHandle());
    case WM_NCCREATE:
    case WM_CREATE:
        // The window is made: these come from another program, with
        // pointers the system's own handling would read.
        return message == WM_NCCREATE ? TRUE : 0;
    case WM_DPICHANGED: {
        // Moved to a screen of another resolution, or the screen's changed.
        // The high word is the vertical resolution, equal to the horizontal.
        // Any program can send or post this message with any numbers, so
        // the rectangle is copied only where it can be read, and a message
        // of no sane resolution or size changes nothing.
        RECT suggested{};
        SIZE_T copied = 0;
        if (!lParam ||
            !ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(lParam), &suggested,
                               sizeof(suggested), &copied) ||
            copied != sizeof(suggested))
            return 0;
        constexpr int kLowest = 24, kHighest = 960, kLargestSide = 32767;
        const int pixelsPerInch = HIWORD(wParam);
        const LONG width = suggested.right - suggested.left, height = suggested.bottom - suggested.top;
        if (pixelsPerInch < kLowest || pixelsPerInch > kHighest || width <= 0 || height <= 0 || width > kLargestSide ||
            height > kLargestSide)
            return 0;
        ChangeResolution(pixelsPerInch, suggested);
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TControl* TCustomForm::ControlFromHandle(HWND hwnd) const {
    if (!hwnd) return nullptr;
    for (TControl* control : Controls())
        if (control->Handle() == hwnd) return control;
    return nullptr;
}

void TCustomForm::RestoreLastFocusOrFirst() {
    if (lastFocus_ && IsWindow(lastFocus_) && ControlFromHandle(lastFocus_)) {
        ::SetFocus(lastFocus_);
        return;
    }
    const auto order = TabOrderList();
    if (!order.empty()) order.front()->SetFocus();
}
