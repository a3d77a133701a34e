#pragma once
// A font as a layout describes it.

#include <windows.h>

#include <string>

#include "colors.h"

// The application's FontCache makes the GDI font for it.
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
