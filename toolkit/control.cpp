#include "control.h"

#include "application.h"
#include "device_context.h"
#include "exception.h"
#include "form.h"
#include "property_values.h"
#include "system_error.h"
#include "text_codec.h"

TControl::TControl(TCustomForm& form) : TComponent(&form), form_(form), font_(Application->Fonts()) {}

void TControl::SetText(const AnsiString& text) {
    text_ = text;
    if (handle_ && !SetWindowTextW(handle_.Get(), WideFromBig5(text).c_str()))
        ThrowLastError(AnsiString("cannot show the text of " + Name()));
}

void TControl::SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) {
    const std::string where = PropertyPath(name);
    // A font of its own means the control no longer follows its form's; it
    // starts from the form's font.
    if (IsFontProperty(name) && ParentFont) {
        Font = form_.Font;
        ParentFont = false;
    }
    if (SetDesignProperty(name, value, where)) return;
    if (name == "TabOrder") TabOrder = props::Integer(value, where);
    else if (name == "Visible") visible_ = props::Boolean(value, where);
    else if (name == "ParentFont") ParentFont = props::Boolean(value, where);
    else TComponent::SetProperty(name, value, handlers);
}

const TFont& TControl::EffectiveFont() const { return ParentFont ? form_.Font : Font; }

void TControl::RefreshFont() {
    font_.Refresh(EffectiveFont(), form_.ScreenPixelsPerInch(), form_.PixelsPerInch);
    if (!handle_) return;
    SendMessageW(handle_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
    FitToResolution();
}

int TControl::Scaled(int designLength) const { return form_.Scaled(designLength); }

void TControl::CreateHandle(HWND parent) {
    RefreshFont();
    const std::wstring text = WideFromBig5(text_);
    HWND hwnd =
        CreateWindowExW(WindowExStyle(), WindowClassName(), text.c_str(), WindowStyle(), Scaled(Left), Scaled(Top),
                        Scaled(Width), Scaled(Height), parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) ThrowLastError(AnsiString("cannot create the window of " + Name()));
    handle_.Reset(hwnd);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
    HandleCreated();
    FitToResolution();
}

void TControl::ResolutionChanged() {
    if (!handle_) return;
    // Left at the old resolution's place and size, it would overlap or be
    // cut off.
    if (!SetWindowPos(handle_.Get(), nullptr, Scaled(Left), Scaled(Top), Scaled(Width), Scaled(Height),
                      SWP_NOZORDER | SWP_NOACTIVATE))
        ThrowLastError(AnsiString("cannot place " + Name() + " at the screen's resolution"));
    RefreshFont();
}

bool TControl::Visible() const {
    if (!handle_) return visible_;
    return (GetWindowLongPtrW(handle_.Get(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::SetFocus() {
    if (handle_) ::SetFocus(handle_.Get());
}

SIZE TControl::TextExtent(const std::wstring& text) const {
    const UniqueWindowDC screen = ScreenDC();
    const UniqueSelection font = Select(screen.Get(), FontHandle());
    SIZE size{0, 0};
    // Unmeasured, the widget would be sized to nothing and its text unseen.
    bool measured = false;
    if (text.empty()) {
        TEXTMETRICW metrics{};
        measured = GetTextMetricsW(screen.Get(), &metrics);
        size.cy = metrics.tmHeight;
    } else {
        measured = GetTextExtentPoint32W(screen.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
    if (!measured) ThrowLastError(AnsiString("cannot measure the text of " + Name()));
    return size;
}

void TControl::ResizeTo(int width, int height) {
    if (!handle_) return;
    // Left at its old size, a longer text would show cut off.
    if (!SetWindowPos(handle_.Get(), nullptr, Scaled(Left), Scaled(Top), width, height, SWP_NOZORDER | SWP_NOACTIVATE))
        ThrowLastError(AnsiString("cannot size " + Name() + " to its text"));
}
