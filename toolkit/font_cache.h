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
// application's), kept for the holder's lifetime or until the next Refresh.
class HeldFont {
public:
    explicit HeldFont(FontCache& cache) : cache_(cache) {}
    // Takes the font for `font` as it is now, at these resolutions, from the
    // cache (the one held already when nothing changed) and lets the one
    // held before go. Throws SystemFailure, keeping the old one, when the
    // font cannot be made.
    void Refresh(const TFont& font, int screenPixelsPerInch, int designPixelsPerInch);
    // The font last taken; null before the first Refresh.
    HFONT Handle() const { return font_ ? font_->Get() : nullptr; }

private:
    FontCache& cache_;
    FontCache::SharedFont font_;
};
