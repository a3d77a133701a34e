#pragma once
// A widget that is a child window of a form: its place, size, font, tab
// order and text. Positions and sizes are kept as designed and scaled to the
// screen when the window is made.

#include <windows.h>

#include "component.h"
#include "designed_box.h"
#include "font.h"
#include "font_cache.h"
#include "win_handles.h"

class TControl : public TComponent, public DesignedBox {
public:
    // A widget always lives in a window, which owns it.
    explicit TControl(TCustomForm& form);
    TCustomForm& Form() const { return form_; }

    HWND Handle() const { return handle_.Get(); }

    bool ParentFont = true;  // draws with its form's font, not Font
    int TabOrder = -1;
    // Whether the widget shows in its window, as a window's Visible() tells
    // of the window: its window's own visibility once made, the layout's
    // Visible until then.
    bool Visible() const;

    virtual AnsiString GetText() const { return text_; }
    virtual void SetText(const AnsiString& text);

    void SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) override;

    TControl* AsControl() override { return this; }

    // Makes the control's window inside its form's window, with its font
    // (RefreshFont).
    void CreateHandle(HWND parent);
    // Its form reached a screen of another resolution: its place, size and
    // font, and what follows from them (FitToResolution), become what they
    // would be had the window been made there.
    void ResolutionChanged();
    // Takes the GDI font for EffectiveFont() as it is now, at its form's
    // resolution, from the application's font cache, and gives it to the
    // window if made, which then fits to it (FitToResolution). The toolkit
    // calls it when the window is made and after a change of resolution;
    // a Font or ParentFont changed after that takes effect with the next call.
    void RefreshFont();

    // What the window asks of its widgets for keys and focus:
    // - whether Tab stops at it, and what happens when Tab brings it the focus;
    virtual bool TabStop() const { return false; }
    virtual void TabbedInto() {}
    // - whether it is a button (Enter presses it while it has the focus), the
    //   default button (Enter presses it from anywhere else) or the cancel
    //   button (Esc), and pressing it;
    virtual bool IsButton() const { return false; }
    virtual bool IsDefault() const { return false; }
    virtual bool IsCancel() const { return false; }
    virtual void Click() {}
    // - the upper-case letter that, with Alt, presses it; 0 if none;
    virtual wchar_t AccessKey() const { return 0; }
    // - that the focus moved to `focused` (null: to none of the widgets).
    virtual void FocusMoved(TControl* /*focused*/) {}
    // A caption that names the field on its line, and a field named so:
    // the window orders them for screen readers.
    virtual bool NamesAField() const { return false; }
    virtual bool NamedByItsCaption() const { return false; }
    void SetFocus();

    // Notifications the form passes on from the control's window.
    virtual void Command(WORD /*code*/) {}
    virtual HBRUSH ControlColor(HDC /*dc*/) { return nullptr; }
    virtual void ParentResized() {}

    // The font the control draws with: its own, or its form's; and the GDI
    // font RefreshFont last took for it (null before).
    const TFont& EffectiveFont() const;
    HFONT FontHandle() const { return font_.Handle(); }

protected:
    virtual const wchar_t* WindowClassName() const = 0;
    virtual DWORD WindowStyle() const { return WS_CHILD | (visible_ ? WS_VISIBLE : 0); }
    virtual DWORD WindowExStyle() const { return 0; }
    virtual void HandleCreated() {}
    // Fits what the system does not scale (a label's size to its caption, a
    // button's picture) to the form's resolution: once the window is made,
    // and again after each change of resolution.
    virtual void FitToResolution() {}

    int Scaled(int designLength) const;
    // Width and height of a text in the control's font, in screen pixels.
    SIZE TextExtent(const std::wstring& text) const;
    // Gives the window a size in screen pixels, at its designed place.
    void ResizeTo(int width, int height);

    // The text shown: a label's or button's caption, an edit's contents
    // (the edit's window holds the live text once made: see TEdit::GetText).
    AnsiString text_;

private:
    TCustomForm& form_;
    bool visible_ = true;
    HeldFont font_;

protected:
    // Last, so that it goes first: the window never holds a freed font. A
    // widget that gives its window more (a picture) destroys it first.
    UniqueWindow handle_;
};
