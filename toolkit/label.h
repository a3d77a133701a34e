#pragma once
// A label: a standard Windows static control showing its caption, sized to
// it, so screen readers read it as usual.

#include <optional>

#include "control.h"
#include "live_region.h"

class TLabel : public TControl {
public:
    DECLARE_CLASS_NAME(TLabel)
    using TControl::TControl;

    bool AutoSize = true;  // the label fits its caption in its font

    void SetText(const AnsiString& text) override;
    void SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) override;
    HBRUSH ControlColor(HDC dc) override;
    bool NamesAField() const override { return true; }

protected:
    const wchar_t* WindowClassName() const override { return L"STATIC"; }
    DWORD WindowStyle() const override;
    void FitToResolution() override { FitToCaption(); }

private:
    void FitToCaption();

    // A caption changed once its window is made tells the user something
    // (the status line): from its first change on, the label is a live
    // region and each change is announced.
    std::optional<LiveRegion> live_;
};
