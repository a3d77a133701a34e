#pragma once
// A one-line edit field: a standard Windows edit control, optionally
// masking what is typed.

#include "control.h"
#include "wiped_buffer.h"

class TEdit : public TControl {
public:
    DECLARE_CLASS_NAME(TEdit)
    using TControl::TControl;
    // The field's window goes first, given back the edit control's own
    // procedure: the masking procedure finds no field once this one goes.
    ~TEdit() override;

    char PasswordChar = '\0';  // when set, every character shows as it
    int MaxLength = 0;         // 0: no limit

    // The text; a masked field's is read only through ReadText, and
    // GetText throws Exception for it.
    AnsiString GetText() const override;
    // The text as UTF-16 in a buffer wiped when it goes: a password read so
    // leaves no copy behind. (A field whose window is not made yet holds no
    // typed text: nothing.)
    WipedBuffer<wchar_t> ReadText() const;
    // How many characters the field holds; its text is not read.
    int TextLength() const;
    // Empties the field, leaving none of its old text in the field's own
    // buffer or its undo.
    void WipeText();
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

private:
    // Marks the program's own calls to a masked field: these pass whatever
    // they are, whoever's message the program is handling meanwhile.
    class OwnCall;
    static LRESULT CALLBACK MaskedFieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The masked field whose window `hwnd` is, looked up among the live
    // windows' widgets; null if none.
    static const TEdit* MaskedFieldOf(HWND hwnd);
    LRESULT CallEditControl(UINT message, WPARAM wParam, LPARAM lParam) const;
    void EraseWithoutTrace(DWORD from, DWORD to) const;
    // Erases the selection without trace; true if there was one.
    bool EraseSelection() const;
    // Empties a masked field's buffer after growing it to hold any password
    // (see edit.cpp).
    void ReserveRoom();
    WNDPROC editControlProc_ = nullptr;  // the edit control's own, once masked
    mutable bool ownCall_ = false;
};
