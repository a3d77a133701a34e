#pragma once
// A one-line edit field: a standard Windows edit control, optionally
// masking what is typed.

#include "control.h"

class TEdit : public TControl {
public:
    DECLARE_CLASS_NAME(TEdit)
    using TControl::TControl;

    char PasswordChar = '\0';  // when set, every character shows as it
    int MaxLength = 0;         // 0: no limit

    AnsiString GetText() const override;
    void SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) override;
    bool TabStop() const override { return true; }
    // Tabbing into a field selects its text, as in a dialog.
    void TabbedInto() override;
    void Command(WORD code) override;
    bool NamedByItsCaption() const override { return true; }

protected:
    const wchar_t* WindowClassName() const override { return L"EDIT"; }
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    void HandleCreated() override;
};
