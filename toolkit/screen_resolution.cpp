#include "screen_resolution.h"

#include "win_handles.h"

int QueryScreenPixelsPerInch() {
    const UniqueWindowDC screen = ScreenDC();
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}
