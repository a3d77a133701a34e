#include "font_cache.h"

#include <cstdlib>

#include "exception.h"
#include "screen_resolution.h"
#include "system_error.h"
#include "text_codec.h"

namespace {

// The character set a layout's font is asked for in. DEFAULT_CHARSET means
// the program's own, Big5: on a system of another code page it would pick a
// face with no Chinese glyphs, and every caption would draw as boxes.
BYTE RequestedCharset(int charset) {
    return static_cast<BYTE>(charset == DEFAULT_CHARSET ? CHINESEBIG5_CHARSET : charset);
}

// Small fonts (under 12 points: a character height under 16 pixels at 96
// pixels per inch) are drawn solid. A Chinese face's strokes at that size are
// a pixel or less wide, and smoothing turns them pale grey; on a screen of
// higher resolution the strokes grow no wider in that face, so the rule
// follows the design size, not the pixels.
constexpr int kSmoothedFromDesignPixels = 16;

LOGFONTW Request(const TFont& font, int screenPixelsPerInch, int designPixelsPerInch) {
    LOGFONTW request{};
    request.lfHeight = ScaleLength(font.Height, screenPixelsPerInch, designPixelsPerInch);
    request.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    request.lfItalic = font.Italic;
    request.lfUnderline = font.Underline;
    request.lfStrikeOut = font.StrikeOut;
    request.lfCharSet = RequestedCharset(font.Charset);
    request.lfOutPrecision = OUT_DEFAULT_PRECIS;
    request.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    const bool small = std::abs(ScaleLength(font.Height, 96, designPixelsPerInch)) < kSmoothedFromDesignPixels;
    request.lfQuality = small ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
    request.lfPitchAndFamily = DEFAULT_PITCH;
    const std::wstring face = WideFromBig5(AnsiString(font.Name));
    lstrcpynW(request.lfFaceName, face.c_str(), LF_FACESIZE);
    return request;
}

}  // namespace

FontCache::SharedFont FontCache::Acquire(const TFont& font, int screenPixelsPerInch, int designPixelsPerInch) {
    const LOGFONTW request = Request(font, screenPixelsPerInch, designPixelsPerInch);
    const Key key{request.lfFaceName,  request.lfHeight,    request.lfWeight,  request.lfItalic,
                  request.lfUnderline, request.lfStrikeOut, request.lfCharSet, request.lfQuality};
    std::weak_ptr<const UniqueFont>& entry = fonts_[key];
    if (SharedFont made = entry.lock()) return made;
    auto made = std::make_shared<const UniqueFont>(CreateFontIndirectW(&request));
    // Reported: another font in its place could draw the Chinese captions
    // as boxes, or too large for their places.
    if (!*made) ThrowLastError(AnsiString("cannot create font " + font.Name));
    entry = made;
    return made;
}

void HeldFont::Refresh(const TFont& font, int screenPixelsPerInch, int designPixelsPerInch) {
    font_ = cache_.Acquire(font, screenPixelsPerInch, designPixelsPerInch);
}
