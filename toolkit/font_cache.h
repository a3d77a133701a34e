#pragma once
// The application's fonts: one GDI font for each distinct font its windows
// draw with, shared by every window and widget that uses it.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "font.h"
#include "win_handles.h"

class FontCache {
public:
    using SharedFont = std::shared_ptr<const UniqueFont>;

    // The GDI font for `font`, designed at `designPixelsPerInch`, on a
    // screen of `screenPixelsPerInch`: the one already made for the same
    // request, or a new one. It is freed when the last holder lets it go.
    SharedFont Acquire(const TFont& font, int screenPixelsPerInch, int designPixelsPerInch);

private:
    // What tells two requests apart: face, height in screen pixels, weight,
    // italic, underline, strike-out, character set, quality.
    using Key = std::tuple<std::wstring, LONG, LONG, BYTE, BYTE, BYTE, BYTE, BYTE>;
    std::map<Key, std::weak_ptr<const UniqueFont>> fonts_;
};

// A widget's or window's hold on its font from a font cache (the
// application's), taken when first asked for and kept for the holder's
// lifetime; taken again when asked for at another resolution.
class HeldFont {
public:
    explicit HeldFont(FontCache& cache) : cache_(cache) {}
    HFONT Handle(const TFont& font, int screenPixelsPerInch, int designPixelsPerInch);

private:
    FontCache& cache_;
    FontCache::SharedFont font_;
    int screenPixelsPerInch_ = 0;
    int designPixelsPerInch_ = 0;
};
