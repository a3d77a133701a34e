#pragma once
// The high-resolution clock the benchmark programs time with.

#include <windows.h>

// Milliseconds since an arbitrary start, from the performance counter.
inline double MillisecondsNow() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
