#pragma once
// Colours as layouts name them, and as GDI draws them.

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
