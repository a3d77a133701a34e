#pragma once
// The readable icon picture (resources/mainicon.txt): lines "palette I RRGGBB"
// giving the 16 colours, and 32 rows of 32 hex digits (palette indices, '.'
// transparent); '#' starts a comment line. And the one-image .ico file (32 x
// 32, 4 bits a pixel, with its transparency mask) made from it.

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

struct Picture {
    std::array<std::uint32_t, 16> palette{};  // 0xRRGGBB
    std::vector<std::string> rows;
};

// Reads a picture. On a mistake returns false with `error` naming the line.
bool ParsePicture(std::istream& in, Picture& picture, std::string& error);

std::vector<std::uint8_t> EncodeIcon(const Picture& picture);
