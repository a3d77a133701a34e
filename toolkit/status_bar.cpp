#include "status_bar.h"

#include <windows.h>

#include <commctrl.h>

#include "property_values.h"

const wchar_t* TStatusBar::WindowClassName() const { return STATUSCLASSNAMEW; }

void TStatusBar::SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) {
    const std::string where = PropertyPath(name);
    if (name == "Panels") {
        // The bar shows one part across its width; panels of a layout's
        // own would be lost without a word.
        if (value.type != layout::ValueType::Collection) props::Invalid(where, "expected a collection");
        if (!value.items.empty()) props::Invalid(where, "panels are not supported: only an empty collection (<>)");
    } else if (name == "SimplePanel") {
        SimplePanel = props::Boolean(value, where);
    } else {
        TControl::SetProperty(name, value, handlers);
    }
}

void TStatusBar::HandleCreated() {
    SendMessageW(handle_.Get(), SB_SIMPLE, SimplePanel, 0);
    // No panels: one part across the whole bar, with no text.
    int rightEdge = -1;
    SendMessageW(handle_.Get(), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&rightEdge));
}

void TStatusBar::ParentResized() {
    // The bar places and sizes itself along the bottom of its parent.
    if (handle_) SendMessageW(handle_.Get(), WM_SIZE, 0, 0);
}
