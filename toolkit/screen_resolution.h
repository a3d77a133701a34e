#pragma once
// The screen's resolution, and scaling designed lengths to it.

#include <windows.h>

// Pixels per inch of the screen, asked of the system; layouts are designed
// at 96. (A window keeps the value it was built with, until it is told of
// another: see TCustomForm::ScreenPixelsPerInch.)
int QueryScreenPixelsPerInch();

// Pixels per inch of the screen the window `hwnd` is on, as the system tells
// the window where it can (Windows 10 version 1607 and later); elsewhere the
// screen's, as QueryScreenPixelsPerInch.
int QueryWindowPixelsPerInch(HWND hwnd);

// Scales a designed length from one resolution to another.
inline int ScaleLength(int length, int toPixelsPerInch, int fromPixelsPerInch) {
    return MulDiv(length, toPixelsPerInch, fromPixelsPerInch);
}
