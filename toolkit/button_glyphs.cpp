// The stock button pictures: a green check mark and a red no-entry sign,
// drawn with GDI into an icon whose mask keeps the corners transparent.

#include "button_glyphs.h"

#include "exception.h"
#include "win_handles.h"

namespace {

// Paints the picture twice: in colour on black (the icon's colour image) and
// in black on white (its mask, where white means transparent).
template <typename Paint>
HICON MakeGlyph(int size, Paint paint) {
    ScreenDC screen;
    BitmapHandle color(CreateCompatibleBitmap(screen.Get(), size, size));
    BitmapHandle mask(CreateBitmap(size, size, 1, 1, nullptr));
    if (!color || !mask) throw Exception("cannot create a button picture");
    {
        MemoryDC dc(screen.Get());
        SelectedObject selected(dc.Get(), color.Get());
        RECT all{0, 0, size, size};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        paint(dc.Get(), size, false);
    }
    {
        MemoryDC dc(screen.Get());
        SelectedObject selected(dc.Get(), mask.Get());
        RECT all{0, 0, size, size};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        paint(dc.Get(), size, true);
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.Get();
    info.hbmColor = color.Get();
    HICON icon = CreateIconIndirect(&info);  // copies both bitmaps
    if (!icon) throw Exception("cannot create a button picture");
    return icon;
}

COLORREF Ink(bool forMask, COLORREF color) { return forMask ? RGB(0, 0, 0) : color; }

}  // namespace

HICON CreateCheckMarkGlyph(int size) {
    return MakeGlyph(size, [](HDC dc, int s, bool forMask) {
        BrushHandle brush(CreateSolidBrush(Ink(forMask, RGB(0, 128, 0))));
        SelectedObject selectedBrush(dc, brush.Get());
        SelectedObject noPen(dc, GetStockObject(NULL_PEN));
        // A thick tick as one polygon: down-stroke, then the long up-stroke.
        const POINT tick[] = {
            {s * 2 / 18, s * 9 / 18},  {s * 5 / 18, s * 6 / 18},   {s * 7 / 18, s * 9 / 18},
            {s * 14 / 18, s * 2 / 18}, {s * 17 / 18, s * 5 / 18}, {s * 7 / 18, s * 16 / 18},
        };
        Polygon(dc, tick, 6);
    });
}

HICON CreateNoEntryGlyph(int size) {
    return MakeGlyph(size, [](HDC dc, int s, bool forMask) {
        BrushHandle red(CreateSolidBrush(Ink(forMask, RGB(200, 0, 0))));
        SelectedObject noPen(dc, GetStockObject(NULL_PEN));
        {
            SelectedObject selectedBrush(dc, red.Get());
            Ellipse(dc, 1, 1, s, s);
        }
        if (forMask) return;  // the bar lies inside the disc: the mask is the disc
        RECT bar{s * 4 / 18, s * 7 / 18, s * 14 / 18, s * 11 / 18};
        FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    });
}
