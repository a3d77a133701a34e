#pragma once
// Labels and one-line edit fields: standard Windows static and edit
// controls, so screen readers and UI automation read them as usual.

#include "controls.h"

class TLabel : public TControl {
public:
    static constexpr const char* kClassName = "TLabel";
    using TControl::TControl;
    const char* ClassName() const override { return kClassName; }

    bool AutoSize = true;  // the label fits its caption in its font

    void SetText(const AnsiString& text) override;
    void SetProperty(const std::string& name, const layout::Value& value,
                     const HandlerResolver& handlers) override;
    HBRUSH ControlColor(HDC dc) override;

protected:
    const wchar_t* WindowClassName() const override { return L"STATIC"; }
    DWORD WindowStyle() const override;
    void HandleCreated() override { FitToCaption(); }

private:
    void FitToCaption();
};

class TEdit : public TControl {
public:
    static constexpr const char* kClassName = "TEdit";
    using TControl::TControl;
    const char* ClassName() const override { return kClassName; }

    char PasswordChar = '\0';  // when set, every character shows as it
    int MaxLength = 0;         // 0: no limit

    AnsiString GetText() const override;
    void SetProperty(const std::string& name, const layout::Value& value,
                     const HandlerResolver& handlers) override;
    bool TabStop() const override { return true; }

protected:
    const wchar_t* WindowClassName() const override { return L"EDIT"; }
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    void HandleCreated() override;
};
