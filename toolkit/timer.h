#pragma once
// A timer that raises OnTimer every Interval milliseconds while enabled. Its
// ticks arrive as messages to its form's window, so they are handled on the
// thread of the event loop, between other events, never in parallel.

#include <windows.h>

#include "component.h"

class TTimer : public TComponent {
public:
    DECLARE_CLASS_NAME(TTimer)
    // A timer ticks through its window, which owns it.
    explicit TTimer(TCustomForm& form);
    ~TTimer() override;

    TNotifyEvent OnTimer;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    void SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) override;
    void Loaded() override;
    // Raises OnTimer when the message is this timer's.
    bool TimerFired(std::uintptr_t timerId) override;

private:
    UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }
    void Update();

    TCustomForm& form_;
    bool enabled_ = true;
    unsigned interval_ = 1000;
    bool loaded_ = false;
    bool running_ = false;
};
