#include "screen_resolution.h"

#include "device_context.h"
#include "library_entry.h"

int QueryScreenPixelsPerInch() {
    const UniqueWindowDC screen = ScreenDC();
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

int QueryWindowPixelsPerInch(HWND hwnd) {
    // Found at run time: Windows 7, 8 and 8.1 have no GetDpiForWindow, and a
    // program that imports it does not start there.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll"))
        if (const auto getDpiForWindow = LibraryEntry<GetDpiForWindowFunction>(user32, "GetDpiForWindow"))
            if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    return QueryScreenPixelsPerInch();
}
