#include "graphics.h"

#include <map>

#include "exception.h"
#include "property_values.h"
#include "win_handles.h"

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
    const UniqueWindowDC screen = ScreenDC();
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

static int CharsetFromValue(const layout::Value& value, const std::string& where) {
    if (value.IsInteger()) return props::Integer(value, where);
    static const std::map<std::string, int> named = {
        {"DEFAULT_CHARSET", DEFAULT_CHARSET},
        {"ANSI_CHARSET", ANSI_CHARSET},
        {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET},
        {"GB2312_CHARSET", GB2312_CHARSET},
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
}
