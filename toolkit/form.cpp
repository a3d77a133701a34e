// The window itself: making it, showing and closing it, and its message
// procedure, which hands each message to the widget it concerns.

#include "form.h"

#include "application.h"
#include "text_codec.h"

TCustomForm::TCustomForm(TComponent* owner) : TComponent(owner), DesignedBox(320, 240) {}

TCustomForm::~TCustomForm() {
    // Widgets and timers go while the window they live in still exists.
    DestroyComponents();
    handle_.Reset();
}

void TCustomForm::CreateWindowHandle() {
    const std::wstring caption = WideFromAnsi(Caption);
    // The window keeps its designed place on the screen, so that it stays on
    // a screen of the resolution it was designed for; its size scales.
    HWND hwnd = CreateWindowExW(0, TApplication::kFormWindowClass, caption.c_str(), WS_OVERLAPPEDWINDOW, Left, Top,
                                Scaled(Width), Scaled(Height), nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd) throw Exception(AnsiString("cannot create the window " + Name()));
    handle_.Reset(hwnd);
}

HBRUSH TCustomForm::BackgroundBrush() const {
    if (Color & clSystemColor) return GetSysColorBrush(static_cast<int>(Color & 0xFF));
    if (!background_) background_.Reset(CreateSolidBrush(ColorToRGB(Color)));
    return background_.Get();
}

void TCustomForm::Show() {
    if (!handle_) return;
    ShowWindow(handle_.Get(), SW_SHOWNORMAL);
    SetForegroundWindow(handle_.Get());
    if (!FocusedControl()) FocusFirstOrLast();
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

namespace {
// The form a window of our class belongs to (set on WM_NCCREATE); it is the
// form's own once CreateWindowExW has returned.
TCustomForm* FormOfOurWindow(HWND hwnd) {
    auto* form = reinterpret_cast<TCustomForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return form && form->Handle() == hwnd ? form : nullptr;
}
}  // namespace

TCustomForm* TCustomForm::OfWindow(HWND hwnd) {
    wchar_t className[64] = {};
    if (!hwnd || !GetClassNameW(hwnd, className, 64) || lstrcmpW(className, TApplication::kFormWindowClass) != 0)
        return nullptr;
    return FormOfOurWindow(hwnd);
}

LRESULT CALLBACK TCustomForm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    TCustomForm* form = FormOfOurWindow(hwnd);
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
        for (const auto& component : Components())
            if (TControl* control = component->AsControl()) control->ParentResized();
        break;
    case WM_ACTIVATE: {
        // Keep the focused widget while the window is inactive, as a dialog
        // does. The system's own handling puts the focus on the window itself
        // when it is activated, so the widget gets it back after that.
        if (LOWORD(wParam) == WA_INACTIVE && ControlFromHandle(GetFocus())) lastFocus_ = GetFocus();
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd)) FocusFirstOrLast();
        return result;
    }
    case WM_SETFOCUS: FocusFirstOrLast(); return 0;
    case WM_CLOSE: Close(); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(FontHandle());
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
