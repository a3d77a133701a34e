#pragma once
// A window whose text the program changes to tell the user something (the
// status line): assistive technology is told it is a polite live region,
// and each change is announced with the events screen readers listen to.

#include <windows.h>

#include <memory>

class LiveRegion {
public:
    // Marks `window` (borrowed; it outlives this object) a polite live
    // region: a screen reader reads its new text once it has finished what
    // it is saying. Where the system keeps no such mark (Wine's oleacc
    // refuses it), the events alone still reach screen readers.
    explicit LiveRegion(HWND window);
    ~LiveRegion();  // takes the mark off again
    LiveRegion(const LiveRegion&) = delete;
    LiveRegion& operator=(const LiveRegion&) = delete;

    // The window's text, which is its accessible name, has changed.
    void Announce() const;

private:
    struct Annotations;
    HWND window_;
    std::unique_ptr<Annotations> annotations_;  // null when the system took no mark
};
