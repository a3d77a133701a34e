#pragma once
// A window whose text the program changes to tell the user something (the
// status line): assistive technology is told it is a polite live region,
// and each change is announced with the events screen readers listen to.

#include <windows.h>

struct IAccPropServices;

class LiveRegion {
public:
    // Marks `window` (borrowed; it outlives this object) a polite live
    // region with `annotations`, the application's accessibility service
    // (borrowed; it outlives every window; null where the system has none):
    // a screen reader reads its new text once it has finished what it is
    // saying. Where the system keeps no such mark (Wine's oleacc refuses
    // it), the events alone still reach screen readers.
    LiveRegion(HWND window, IAccPropServices* annotations);
    ~LiveRegion();  // takes the mark off again
    LiveRegion(const LiveRegion&) = delete;
    LiveRegion& operator=(const LiveRegion&) = delete;

    // The window's text, which is its accessible name, has changed.
    void Announce() const;

private:
    HWND window_;
    IAccPropServices* marked_ = nullptr;  // the service that took the mark; null when none did
};
