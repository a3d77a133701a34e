#pragma once
// What a widget and a window both take from their layout: their place and
// size as designed (pixels at the design resolution, scaled to the screen
// when the window is made) and their font.

#include <string>

#include "font.h"

namespace layout {
struct Value;
}

class DesignedBox {
public:
    explicit DesignedBox(int width = 0, int height = 0) : Width(width), Height(height) {}

    int Left = 0;
    int Top = 0;
    int Width;
    int Height;
    TFont Font;

    static bool IsFontProperty(const std::string& name) { return name.rfind("Font.", 0) == 0; }

    // Sets Left, Top, Width, Height or a "Font.*" property; returns false,
    // changing nothing, for any other name. `where` names the property in
    // errors.
    bool SetDesignProperty(const std::string& name, const layout::Value& value, const std::string& where);
};
