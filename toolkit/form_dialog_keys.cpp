// Keys handled as in a dialog (Tab, Enter, Esc, Alt+access key): the tab
// order, the buttons Enter and Esc press, and telling the widgets where the
// focus went. (A button draws its own frame as the one Enter presses: see
// bitbtn.cpp.)

#include <algorithm>
#include <cwctype>

#include "form.h"

TControl* TCustomForm::FocusedControl() const { return ControlFromHandle(GetFocus()); }

TControl* TCustomForm::DefaultButton() const {
    for (TControl* control : Controls())
        if (control->IsDefault()) return control;
    return nullptr;
}

TControl* TCustomForm::CancelButton() const {
    for (TControl* control : Controls())
        if (control->IsCancel()) return control;
    return nullptr;
}

void TCustomForm::FocusChanged() {
    TControl* focused = FocusedControl();
    for (TControl* control : Controls()) control->FocusMoved(focused);
}

// Why not IsDialogMessageW: see TApplication::Dispatch.
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
        for (TControl* control : Controls())
            if (control->AccessKey() == key) {
                control->SetFocus();
                control->Click();
                return true;
            }
    }
    return false;
}

// ---- the tab order ----

std::vector<TControl*> TCustomForm::TabOrderList() const {
    std::vector<TControl*> list;
    for (TControl* control : Controls())
        if (control->TabStop()) list.push_back(control);
    // Compared as unsigned, a widget without a tab order (-1) becomes the
    // largest value and sorts after every widget with one; the stable sort
    // keeps such widgets in the order they were made.
    std::stable_sort(list.begin(), list.end(), [](const TControl* a, const TControl* b) {
        const unsigned ka = static_cast<unsigned>(a->TabOrder), kb = static_cast<unsigned>(b->TabOrder);
        return ka < kb;
    });
    return list;
}

void TCustomForm::SelectNext(bool forward) {
    const auto order = TabOrderList();
    if (order.empty()) return;
    const auto current = std::find(order.begin(), order.end(), FocusedControl());
    size_t index = 0;
    if (current == order.end()) index = forward ? 0 : order.size() - 1;
    else if (forward) index = (static_cast<size_t>(current - order.begin()) + 1) % order.size();
    else index = (static_cast<size_t>(current - order.begin()) + order.size() - 1) % order.size();
    order[index]->SetFocus();
    order[index]->TabbedInto();
}
