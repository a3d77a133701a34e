#include "colors.h"

#include <map>

#include "property_values.h"

COLORREF ColorToRGB(TColor color) {
    if (color & clSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0xFFFFFF;
}

TColor ColorFromValue(const layout::Value& value, const std::string& where) {
    static const std::map<std::string, TColor> named = {
        {"clBtnFace", clBtnFace}, {"clWindow", clWindow}, {"clWindowText", clWindowText},
        {"clBlack", clBlack},     {"clWhite", clWhite},   {"clRed", 0x0000FF},
        {"clGreen", 0x008000},    {"clBlue", 0xFF0000},   {"clBtnText", clSystemColor | COLOR_BTNTEXT},
    };
    return props::IntegerOrName(value, where, named, "colour");
}
