// The stock button pictures: a green check mark and a red no-entry sign,
// drawn with GDI into a colour image and a mask that keeps the corners
// transparent, both handed to an image list as they are: making an icon of
// them first for ImageList_AddIcon would cost several times what the rest
// of the button does (docs/PERFORMANCE.md).

#include "button_glyphs.h"

#include "device_context.h"
#include "system_error.h"

namespace {

// Paints the picture twice: in colour on black (the colour image) and in
// black on white (its mask, where white means transparent).
template <typename Paint>
UniqueImageList MakeGlyph(int size, Paint paint) {
    const UniqueWindowDC screen = ScreenDC();
    UniqueBitmap color(CreateCompatibleBitmap(screen.Get(), size, size));
    UniqueBitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
    if (!color || !mask) ThrowLastError("cannot create a button picture");
    {
        const UniqueMemoryDC dc = CompatibleDC(screen.Get());
        RECT all{0, 0, size, size};
        {
            const UniqueSelection selected = Select(dc.Get(), color.Get());
            FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            paint(dc.Get(), size, false);
        }
        const UniqueSelection selected = Select(dc.Get(), mask.Get());
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        paint(dc.Get(), size, true);
    }
    UniqueImageList list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 0));
    // The list copies both bitmaps.
    if (!list || ImageList_Add(list.Get(), color.Get(), mask.Get()) < 0)
        ThrowLastError("cannot create a button picture");
    return list;
}

COLORREF Ink(bool forMask, COLORREF color) { return forMask ? RGB(0, 0, 0) : color; }

UniqueBrush InkBrush(bool forMask, COLORREF color) {
    UniqueBrush brush(CreateSolidBrush(Ink(forMask, color)));
    if (!brush) ThrowLastError("cannot create a button picture");
    return brush;
}

}  // namespace

UniqueImageList CreateCheckMarkGlyph(int size) {
    return MakeGlyph(size, [](HDC dc, int s, bool forMask) {
        const UniqueBrush brush = InkBrush(forMask, RGB(0, 128, 0));
        const UniqueSelection selectedBrush = Select(dc, brush.Get());
        const UniqueSelection noPen = Select(dc, GetStockObject(NULL_PEN));
        // A thick tick as one polygon: down-stroke, then the long up-stroke.
        const POINT tick[] = {
            {s * 2 / 18, s * 9 / 18},  {s * 5 / 18, s * 6 / 18},  {s * 7 / 18, s * 9 / 18},
            {s * 14 / 18, s * 2 / 18}, {s * 17 / 18, s * 5 / 18}, {s * 7 / 18, s * 16 / 18},
        };
        Polygon(dc, tick, 6);
    });
}

UniqueImageList CreateNoEntryGlyph(int size) {
    return MakeGlyph(size, [](HDC dc, int s, bool forMask) {
        const UniqueBrush red = InkBrush(forMask, RGB(200, 0, 0));
        const UniqueSelection noPen = Select(dc, GetStockObject(NULL_PEN));
        {
            const UniqueSelection selectedBrush = Select(dc, red.Get());
            Ellipse(dc, 1, 1, s, s);
        }
        if (forMask) return;  // the bar lies inside the disc: the mask is the disc
        RECT bar{s * 4 / 18, s * 7 / 18, s * 14 / 18, s * 11 / 18};
        FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    });
}
