#include "label.h"

#include "application.h"
#include "form.h"
#include "property_values.h"
#include "text_codec.h"

DWORD TLabel::WindowStyle() const {
    // No word wrap and no '&' prefixes: the caption shows exactly as given.
    return TControl::WindowStyle() | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
}

void TLabel::SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) {
    const std::string where = PropertyPath(name);
    if (name == "Caption") text_ = props::Text(value, where);
    else if (name == "AutoSize") AutoSize = props::Boolean(value, where);
    else TControl::SetProperty(name, value, handlers);
}

void TLabel::SetText(const AnsiString& text) {
    const bool changed = handle_ && text != text_;
    TControl::SetText(text);
    FitToCaption();
    if (!changed) return;
    if (!live_) live_.emplace(handle_.Get(), Application->AccessibilityAnnotations());
    live_->Announce();
}

void TLabel::FitToCaption() {
    if (!handle_ || !AutoSize) return;
    const SIZE extent = TextExtent(WideFromBig5(text_));
    ResizeTo(extent.cx, extent.cy);
    InvalidateRect(handle_.Get(), nullptr, TRUE);
}

HBRUSH TLabel::ControlColor(HDC dc) {
    SetTextColor(dc, ColorToRGB(EffectiveFont().Color));
    SetBkColor(dc, ColorToRGB(Form().Color));
    return Form().BackgroundBrush();
}
