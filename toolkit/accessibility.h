#pragma once
// COM on the program's thread and the system's accessibility annotation
// service (IAccPropServices), which marks a window a live region. The
// application owns the one instance for the program's life (see
// TApplication::AccessibilityAnnotations): COM is started when the service
// is first asked for and ended when the application goes, after every
// window and every mark it set.

#include <windows.h>

#include "win_handles.h"

struct IAccPropServices;

class AccessibilityServices {
public:
    AccessibilityServices();
    // Lets the service go, then ends COM if it was started here.
    ~AccessibilityServices();
    AccessibilityServices(const AccessibilityServices&) = delete;
    AccessibilityServices& operator=(const AccessibilityServices&) = delete;

    // The annotation service, started on the first call, on the calling
    // thread (the event loop's); null where the system has none. It is
    // tried once: a later call gives what the first got.
    IAccPropServices* Annotations();

private:
    using CoUninitializeFunction = void(WINAPI*)();

    bool tried_ = false;
    // ole32, loaded only when the service is first asked for: start-up
    // does without it.
    UniqueModule ole32_;
    CoUninitializeFunction uninitialize_ = nullptr;  // set when COM was started here
    ComReference<IAccPropServices> annotations_;
};
