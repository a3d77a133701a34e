// The baseline program: shows the same sign-in window as the program, made
// directly with Win32 calls. Measured against the program by bench_driver.

#include <windows.h>

#include "baseline_windows.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    baseline::Initialize(instance);
    baseline::CreateSignInWindow();
    baseline::CreateWaitWindow();
    baseline::CreateMainWindow();
    baseline::ShowSignInWindow();
    return baseline::RunMessageLoop();
}
