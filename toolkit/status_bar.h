#pragma once
// The common-controls status bar, kept along the bottom edge of its form.

#include <windows.h>

#include <commctrl.h>

#include "control.h"

class TStatusBar : public TControl {
public:
    DECLARE_CLASS_NAME(TStatusBar)
    using TControl::TControl;

    bool SimplePanel = false;

    void SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) override;
    void ParentResized() override;

protected:
    const wchar_t* WindowClassName() const override;
    DWORD WindowStyle() const override { return TControl::WindowStyle() | SBARS_SIZEGRIP; }
    void HandleCreated() override;
};
