#pragma once
// A top-level window built from its layout: its own properties, its widgets
// (bound by name to the window class's members) and its event handlers
// (bound by name to the class's methods).

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "colors.h"
#include "component.h"
#include "control.h"
#include "designed_box.h"
#include "exception.h"
#include "font_cache.h"
#include "layout_stream.h"
#include "screen_resolution.h"

// What a window class makes known by name to its layout, and what resolves
// the handlers the layout names while it is read.
class Publication : public HandlerResolver {
public:
    template <typename T>
    void Member(const std::string& name, T*& slot) {
        members_[name] = Binding{T::kClassName, [&slot](TComponent* component) {
                                     slot = dynamic_cast<T*>(component);
                                     return slot != nullptr;
                                 }};
    }

    template <typename Form>
    void Handler(const std::string& name, Form* form, void (Form::*method)(TObject*)) {
        handlers_[name] = [form, method](TObject* sender) { (form->*method)(sender); };
    }
    TNotifyEvent ResolveHandler(const std::string& handlerName, const std::string& where) const override;

private:
    friend class TCustomForm;
    struct Binding {
        const char* className;
        std::function<bool(TComponent*)> bind;
        bool bound = false;
    };
    std::map<std::string, Binding> members_;
    std::map<std::string, TNotifyEvent> handlers_;
};

class TCustomForm : public TComponent, public DesignedBox {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    HWND Handle() const { return handle_.Get(); }
    // The window object of a top-level window, if it is one of ours (found
    // among TApplication::Forms).
    static TCustomForm* OfWindow(HWND hwnd);

    AnsiString Caption;
    TColor Color = clBtnFace;
    int PixelsPerInch = 96;  // the resolution the layout was designed at
    // Read from the layout and kept as written, so that a window's
    // properties are all there as designed; nothing draws or builds by them.
    int TextHeight = 13;
    bool OldCreateOrder = false;

    // Reads the layout resource named after the class in capitals and
    // builds the window from it, hidden.
    void Build();
    // Builds the window from a layout already read.
    void Build(const layout::Component& root);

    void Show();
    void SetVisible(bool visible);
    bool Visible() const;
    // The application's main window ends the application; any other hides.
    void Close();

    void SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) override;

    // Pixels per inch of the screen the window is on: the one it was made on,
    // or the one the system last moved it to (WM_DPICHANGED).
    int ScreenPixelsPerInch() const { return screenPixelsPerInch_; }
    int Scaled(int designLength) const { return ScaleLength(designLength, screenPixelsPerInch_, PixelsPerInch); }
    HBRUSH BackgroundBrush() const;
    // Takes the GDI font of the window's own Font as it is now, at its
    // resolution, from the application's font cache: when the window is
    // made and after a change of resolution. (Its widgets take theirs with
    // TControl::RefreshFont.)
    void RefreshFont();
    // The GDI font RefreshFont last took (null before).
    HFONT FontHandle() const { return font_.Handle(); }

    // The widgets that take the focus, in tab order.
    std::vector<TControl*> TabOrderList() const;
    TControl* FocusedControl() const;
    // The widgets Enter and Esc press (see TControl::IsDefault, IsCancel).
    TControl* DefaultButton() const;
    TControl* CancelButton() const;

    // Tab, Shift+Tab, Enter, Esc and Alt+access key, handled as in a dialog,
    // before the widget the key was typed in sees it. Returns whether the
    // message was consumed. A window class may handle keys of its own first.
    virtual bool DialogKey(const MSG& message);
    // Tells every widget that the focus moved (see TControl::FocusMoved).
    void FocusChanged();

protected:
    // Names the class's members and handlers for binding from its layout.
    virtual void Publish(Publication& /*publication*/) {}
    // Whether closing this window ends the application.
    virtual bool ClosingEndsApplication() const;

private:
    // The window class every form's window is made of, registered on first
    // use; returns its name.
    static const wchar_t* WindowClass();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void AddChild(const layout::Component& child, Publication& publication);
    void CreateWindowHandle();
    // The window reached a screen of `pixelsPerInch`: it takes the
    // rectangle the system suggests, and its widgets and fonts become what
    // they would be had the window been made there.
    void ChangeResolution(int pixelsPerInch, const RECT& suggested);
    // Gives the window icons of the sizes the system uses at the window's
    // resolution: the class's icons are sized for the system's resolution
    // when the class is registered.
    void FitIconsToResolution();
    // The widgets in the order their windows are made (see form_building.cpp).
    std::vector<TControl*> WindowOrder() const;
    TControl* ControlFromHandle(HWND hwnd) const;
    // Gives the focus back to the widget that last had it in this window,
    // else to the first in tab order.
    void RestoreLastFocusOrFirst();
    void SelectNext(bool forward);

    // The window's own icons (WM_SETICON), once its resolution differs from
    // the one the class's icons were made for; they go after the window.
    UniqueIcon bigIcon_, smallIcon_;
    UniqueWindow handle_;
    mutable UniqueBrush background_;
    HeldFont font_;
    int screenPixelsPerInch_ = 96;
    HWND lastFocus_ = nullptr;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};
