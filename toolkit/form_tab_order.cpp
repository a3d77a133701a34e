// The tab order: the widgets that take the focus, and moving through them.

#include "form.h"

#include <algorithm>

std::vector<TControl*> TCustomForm::TabOrderList() const {
    std::vector<TControl*> list;
    for (const auto& component : Components())
        if (TControl* control = component->AsControl(); control && control->TabStop()) list.push_back(control);
    // Widgets without a tab order keep their place after those with one.
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
