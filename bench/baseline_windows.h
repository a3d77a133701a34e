#pragma once
// The sign-in program's three windows made directly with Win32 calls: the
// same windows, controls, fonts and texts as the program shows, with no
// toolkit layer and no layout stream. Only a yardstick for measuring the
// program against; the program itself does not use it.

#include <windows.h>

namespace baseline {

// Registers the window class of the three windows and prepares the
// common controls and the fonts. Call once before making any window.
void Initialize(HINSTANCE instance);

// Each makes one window, hidden, with all its controls; the sign-in window
// also starts its once-a-second prompt timer.
HWND CreateSignInWindow();
HWND CreateWaitWindow();
HWND CreateMainWindow();

// Shows the sign-in window in front with the focus on its first button.
void ShowSignInWindow();

// Handles events until the program ends; returns the exit code.
int RunMessageLoop();

}  // namespace baseline
