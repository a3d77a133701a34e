#include "graphics.h"

#include <cstdlib>
#include <map>

#include "exception.h"
#include "property_values.h"
#include "text_codec.h"

COLORREF ColorToRGB(TColor color) {
    if (color & clSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0xFFFFFF;
}

TColor ColorFromValue(const layout::Value& value, const std::string& where) {
    if (value.IsInteger()) return static_cast<TColor>(props::Integer(value, where));
    static const std::map<std::string, TColor> named = {
        {"clBtnFace", clBtnFace}, {"clWindow", clWindow}, {"clWindowText", clWindowText},
        {"clBlack", clBlack},     {"clWhite", clWhite},   {"clRed", 0x0000FF},
        {"clGreen", 0x008000},    {"clBlue", 0xFF0000},   {"clBtnText", clSystemColor | COLOR_BTNTEXT},
    };
    const std::string& name = props::Identifier(value, where);
    auto found = named.find(name);
    if (found == named.end()) props::Invalid(where, "unknown colour " + name);
    return found->second;
}

int ScreenPixelsPerInch() {
    ScreenDC screen;
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

static int CharsetFromValue(const layout::Value& value, const std::string& where) {
    if (value.IsInteger()) return props::Integer(value, where);
    static const std::map<std::string, int> named = {
        {"DEFAULT_CHARSET", DEFAULT_CHARSET}, {"ANSI_CHARSET", ANSI_CHARSET},
        {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET}, {"GB2312_CHARSET", GB2312_CHARSET},
    };
    const std::string& name = props::Identifier(value, where);
    auto found = named.find(name);
    if (found == named.end()) props::Invalid(where, "unknown character set " + name);
    return found->second;
}

void TFont::SetProperty(const std::string& name, const layout::Value& value, const std::string& where) {
    if (name == "Name") {
        Name = props::Text(value, where).Bytes();
    } else if (name == "Height") {
        Height = props::Integer(value, where);
    } else if (name == "Color") {
        Color = ColorFromValue(value, where);
    } else if (name == "Charset") {
        Charset = CharsetFromValue(value, where);
    } else if (name == "Style") {
        if (value.type != layout::ValueType::Set) props::Invalid(where, "expected a set of styles");
        Bold = Italic = Underline = StrikeOut = false;
        for (const std::string& style : value.names) {
            if (style == "fsBold") Bold = true;
            else if (style == "fsItalic") Italic = true;
            else if (style == "fsUnderline") Underline = true;
            else if (style == "fsStrikeOut") StrikeOut = true;
            else props::Invalid(where, "unknown font style " + style);
        }
    } else {
        throw Exception(AnsiString("unknown property " + where));
    }
    handle_.Reset();
}

TFont& TFont::operator=(const TFont& other) {
    if (this == &other) return *this;
    Name = other.Name;
    Height = other.Height;
    Bold = other.Bold;
    Italic = other.Italic;
    Underline = other.Underline;
    StrikeOut = other.StrikeOut;
    Color = other.Color;
    Charset = other.Charset;
    handle_.Reset();
    return *this;
}

// The character set a layout's font is asked for in. DEFAULT_CHARSET means
// the program's own, Big5: on a system of another code page it would pick a
// face with no Chinese glyphs, and every caption would draw as boxes.
static BYTE RequestedCharset(int charset) {
    return static_cast<BYTE>(charset == DEFAULT_CHARSET ? CHINESEBIG5_CHARSET : charset);
}

// Small fonts (under 12 points: a character height under 16 pixels at 96
// pixels per inch) are drawn solid. A Chinese face's strokes at that size are
// a pixel or less wide, and smoothing turns them pale grey; on a screen of
// higher resolution the strokes grow no wider in that face, so the rule
// follows the design size, not the pixels.
constexpr int kSmoothedFromDesignPixels = 16;

HFONT TFont::Handle(int screenPixelsPerInch, int designPixelsPerInch) const {
    if (handle_ && handlePixelsPerInch_ == screenPixelsPerInch && handleDesignPixelsPerInch_ == designPixelsPerInch)
        return handle_.Get();
    LOGFONTW request{};
    request.lfHeight = ScaleLength(Height, screenPixelsPerInch, designPixelsPerInch);
    request.lfWeight = Bold ? FW_BOLD : FW_NORMAL;
    request.lfItalic = Italic;
    request.lfUnderline = Underline;
    request.lfStrikeOut = StrikeOut;
    request.lfCharSet = RequestedCharset(Charset);
    request.lfOutPrecision = OUT_DEFAULT_PRECIS;
    request.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    const bool small = std::abs(ScaleLength(Height, 96, designPixelsPerInch)) < kSmoothedFromDesignPixels;
    request.lfQuality = small ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
    request.lfPitchAndFamily = DEFAULT_PITCH;
    const std::wstring face = WideFromAnsi(AnsiString(Name));
    lstrcpynW(request.lfFaceName, face.c_str(), LF_FACESIZE);
    handle_.Reset(CreateFontIndirectW(&request));
    if (!handle_) throw Exception(AnsiString("cannot create font " + Name));
    handlePixelsPerInch_ = screenPixelsPerInch;
    handleDesignPixelsPerInch_ = designPixelsPerInch;
    return handle_.Get();
}
