#pragma once
// Colours and fonts as layouts name them, and the screen's scale.

#include <windows.h>

#include <string>

namespace layout {
struct Value;
}

// A colour: an RGB value, or a system colour index with the top byte 0xFF.
using TColor = unsigned;
constexpr TColor clSystemColor = 0xFF000000u;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

COLORREF ColorToRGB(TColor color);
TColor ColorFromValue(const layout::Value& value, const std::string& where);

// Pixels per inch of the screen; layouts are designed at 96.
int ScreenPixelsPerInch();

// Scales a designed length from one resolution to another.
inline int ScaleLength(int length, int toPixelsPerInch, int fromPixelsPerInch) {
    return MulDiv(length, toPixelsPerInch, fromPixelsPerInch);
}

// A font as a layout describes it; the application's FontCache makes the
// GDI font for it.
class TFont {
public:
    std::string Name = "MS Sans Serif";
    int Height = -11;  // negative: character height in pixels at the design resolution
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = clWindowText;
    int Charset = DEFAULT_CHARSET;

    // Sets one "Font.*" sub-property (the name without the "Font." prefix).
    void SetProperty(const std::string& name, const layout::Value& value, const std::string& where);
};
