#pragma once
// The screen's resolution, and scaling designed lengths to it.

#include <windows.h>

// Pixels per inch of the screen, asked of the system; layouts are designed
// at 96. (A window keeps the value it was built with: see
// TCustomForm::ScreenPixelsPerInch.)
int QueryScreenPixelsPerInch();

// Scales a designed length from one resolution to another.
inline int ScaleLength(int length, int toPixelsPerInch, int fromPixelsPerInch) {
    return MulDiv(length, toPixelsPerInch, fromPixelsPerInch);
}
