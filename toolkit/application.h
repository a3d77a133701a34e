#pragma once
// The application object: owns every window for the whole run, runs the
// event loop on the calling thread, and reports failures to the user.

#include <windows.h>

#include <memory>
#include <vector>

#include "accessibility.h"
#include "component.h"
#include "exception.h"
#include "font_cache.h"
#include "form.h"

class TApplication : public TComponent {
public:
    DECLARE_CLASS_NAME(TApplication)

    TApplication();
    ~TApplication() override;

    // Prepares the toolkit before any window exists.
    void Initialize();

    // Builds a hidden window of class T from its layout and stores it in
    // `reference`. The first window built becomes the main window.
    template <typename T>
    void CreateForm(T*& reference) {
        auto form = std::make_unique<T>(this);
        form->Build();
        reference = form.get();
        AddForm(std::move(form));
    }

    // Shows the main window and handles events until the application ends.
    void Run();
    // Handles every event already waiting, then returns.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }

    TCustomForm* MainForm() const { return mainForm_; }
    // Every window object alive, in the order they were made: each enters
    // as it is made, before it builds its window, and leaves as it goes.
    // The window procedures find their objects here (TCustomForm::OfWindow).
    const std::vector<TCustomForm*>& Forms() const { return forms_; }

    void ShowException(const Exception& error);
    // Reports the exception being handled. A failed system call
    // (SystemFailure) or memory run out leaves the program unable to go on
    // as designed: the box names it, and the application then ends (see
    // Failed). Any other exception is shown and the program goes on. Once
    // the application is ending after a failure, nothing more is shown:
    // what fails next follows from the first. Call it only inside a catch
    // block.
    void ReportCurrentException() noexcept;
    // Whether a failure reported since Initialize ends the application.
    bool Failed() const { return failed_; }

    // Runs `body`; whatever it throws is reported with ReportCurrentException.
    // Returns whether `body` ended normally. Every way in from the system (a
    // window procedure, an event handler, a dialog key) and the start-up go
    // through it: no C++ exception may unwind through the system's frames.
    template <typename Body>
    bool Guarded(Body&& body) noexcept {
        try {
            body();
            return true;
        } catch (...) {
            ReportCurrentException();
            return false;
        }
    }
    // A modal message box with the system's flag bits; returns the id of
    // the button pressed (IDOK, IDCANCEL, ...). A box that cannot be shown
    // throws SystemFailure: the question was never asked. <windows.h> maps the name
    // MessageBox to MessageBoxW, here and in every caller alike (all of them
    // include it first), so the method keeps its name to its callers; the
    // system's box is always called by its own name, MessageBoxW.
    int MessageBox(const AnsiString& text, const AnsiString& caption, int flags);

    // Calls an event handler, guarded: an exception that escapes it is
    // reported and the event loop goes on.
    void Invoke(const TNotifyEvent& handler, TObject* sender);

    // Destroys every window, last built first.
    void DestroyForms();

    AnsiString Title;

    // The fonts every window and widget draws with, one of each.
    FontCache& Fonts() { return fonts_; }
    // The system's accessibility annotation service, with COM on the event
    // loop's thread: started on the first call, ended when the application
    // goes, after its windows. Null where the system has none.
    IAccPropServices* AccessibilityAnnotations() { return accessibility_.Annotations(); }

private:
    friend class TCustomForm;  // enters and leaves forms_
    void AddForm(std::unique_ptr<TCustomForm> form);
    void Dispatch(MSG& message);
    HWND MessageBoxOwner() const;

    std::vector<TCustomForm*> forms_;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool running_ = false;  // inside Run's event loop
    bool failed_ = false;
    FontCache fonts_;
    // Goes after every window and its live region: ~TApplication destroys
    // the windows first.
    AccessibilityServices accessibility_;
};

extern TApplication* Application;
