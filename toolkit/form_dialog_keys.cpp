// Keys handled as in a dialog (Tab, Enter, Esc, Alt+access key) and the
// focus: where it goes when the window is activated, and which button is
// drawn as the one Enter presses.

#include "form.h"

#include <cwctype>

TControl* TCustomForm::ControlFromHandle(HWND hwnd) const {
    if (!hwnd) return nullptr;
    for (const auto& component : Components())
        if (TControl* control = component->AsControl(); control && control->Handle() == hwnd) return control;
    return nullptr;
}

TControl* TCustomForm::FocusedControl() const { return ControlFromHandle(GetFocus()); }

TControl* TCustomForm::DefaultButton() const {
    for (const auto& component : Components())
        if (TControl* control = component->AsControl(); control && control->IsDefault()) return control;
    return nullptr;
}

TControl* TCustomForm::CancelButton() const {
    for (const auto& component : Components())
        if (TControl* control = component->AsControl(); control && control->IsCancel()) return control;
    return nullptr;
}

void TCustomForm::FocusFirstOrLast() {
    if (lastFocus_ && IsWindow(lastFocus_) && ControlFromHandle(lastFocus_)) {
        ::SetFocus(lastFocus_);
        return;
    }
    const auto order = TabOrderList();
    if (!order.empty()) order.front()->SetFocus();
}

void TCustomForm::FocusChanged() {
    TControl* focused = FocusedControl();
    for (const auto& component : Components())
        if (TControl* control = component->AsControl()) control->FocusMoved(focused);
}

bool TCustomForm::DialogKey(const MSG& message) {
    // Keys still queued for a window that has since been hidden or disabled
    // (by a modal box) press nothing: a second Enter must not sign in twice.
    if (!Visible() || !IsWindowEnabled(handle_.Get())) return false;
    const bool alt = GetKeyState(VK_MENU) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (message.message == WM_KEYDOWN && !alt) {
        switch (message.wParam) {
        case VK_TAB:
            if (control) return false;
            SelectNext(GetKeyState(VK_SHIFT) >= 0);
            return true;
        case VK_RETURN: {
            // A focused button is pressed; from anywhere else, the default one.
            TControl* target = FocusedControl();
            if (!target || !target->IsButton()) target = DefaultButton();
            if (!target) return false;
            target->Click();
            return true;
        }
        case VK_ESCAPE:
            if (TControl* cancel = CancelButton()) {
                cancel->Click();
                return true;
            }
            return false;
        default: return false;
        }
    }
    if (message.message == WM_SYSCHAR) {
        const wchar_t key = static_cast<wchar_t>(std::towupper(static_cast<wchar_t>(message.wParam)));
        for (const auto& component : Components())
            if (TControl* control = component->AsControl(); control && control->AccessKey() == key) {
                control->SetFocus();
                control->Click();
                return true;
            }
    }
    return false;
}
