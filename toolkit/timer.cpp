#include "timer.h"

#include "application.h"
#include "form.h"
#include "property_values.h"
#include "system_error.h"

TTimer::TTimer(TCustomForm& form) : TComponent(&form), form_(form) {}

TTimer::~TTimer() {
    enabled_ = false;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Update();
}

void TTimer::SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) {
    const std::string where = PropertyPath(name);
    if (name == "Enabled") {
        enabled_ = props::Boolean(value, where);
    } else if (name == "Interval") {
        const int interval = props::Integer(value, where);
        if (interval < 0) props::Invalid(where, "must not be negative");
        interval_ = static_cast<unsigned>(interval);
    } else if (name == "OnTimer") {
        OnTimer = handlers.ResolveHandler(props::Identifier(value, where), where);
    } else {
        TComponent::SetProperty(name, value, handlers);
    }
}

void TTimer::Loaded() {
    loaded_ = true;
    Update();
}

// Runs the system timer exactly when the timer is enabled, has an interval
// and a handler, and its window exists; setting it again restarts the count.
void TTimer::Update() {
    HWND window = form_.Handle();
    // A timer that cannot be stopped goes on ticking, but its ticks are
    // ignored (see TimerFired): nothing a person sees changes.
    if (running_ && window) KillTimer(window, Id());
    running_ = false;
    if (!loaded_ || !enabled_ || interval_ == 0 || !OnTimer || !window) return;
    // A timer that cannot start is reported and ends the program: left
    // unsaid, the prompt would never come or the wait window never hand
    // over. Trying again on a later message would not do: the wait window
    // gets no other message, and the timers the system lacks now it lacks then.
    if (!SetTimer(window, Id(), interval_, nullptr)) ThrowLastError(AnsiString("cannot start the timer " + Name()));
    running_ = true;
}

bool TTimer::TimerFired(std::uintptr_t timerId) {
    if (timerId != Id()) return false;
    if (running_) Application->Invoke(OnTimer, this);
    return true;
}
