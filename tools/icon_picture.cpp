// The readable icon picture and the .ico file made from it.

#include "icon_picture.h"

#include <sstream>

#include "hex_digit.h"

namespace {

constexpr int kSize = 32;

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A palette colour: exactly six hex digits, RRGGBB.
bool ParseColour(const std::string& rgb, std::uint32_t& colour) {
    if (rgb.size() != 6) return false;
    colour = 0;
    for (char c : rgb) {
        const int digit = HexDigit(c);
        if (digit < 0) return false;
        colour = colour << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

}  // namespace

bool ParsePicture(std::istream& in, Picture& picture, std::string& error) {
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("palette ", 0) == 0) {
            std::istringstream fields(line.substr(8));
            std::string index, rgb, extra;
            fields >> index >> rgb >> extra;
            std::uint32_t colour = 0;
            if (index.size() != 1 || HexDigit(index[0]) < 0 || !ParseColour(rgb, colour) || !extra.empty()) {
                error = "line " + std::to_string(lineNumber) + ": bad palette entry '" + line.substr(8) +
                        "' (expected an index 0-F and six hex digits RRGGBB)";
                return false;
            }
            picture.palette[static_cast<size_t>(HexDigit(index[0]))] = colour;
            continue;
        }
        if (line.size() != kSize) {
            error = "line " + std::to_string(lineNumber) + ": a row must have 32 pixels";
            return false;
        }
        for (char c : line)
            if (c != '.' && HexDigit(c) < 0) {
                error = "line " + std::to_string(lineNumber) + ": bad pixel '" + std::string(1, c) + "'";
                return false;
            }
        picture.rows.push_back(line);
    }
    if (picture.rows.size() != kSize) {
        error = "the picture must have 32 rows";
        return false;
    }
    return true;
}

std::vector<std::uint8_t> EncodeIcon(const Picture& picture) {
    const std::uint32_t colourBytes = kSize * kSize / 2;  // 4 bits a pixel, rows already 4-byte aligned
    const std::uint32_t maskBytes = kSize * 4;            // 1 bit a pixel, rows padded to 4 bytes
    const std::uint32_t imageBytes = 40 + 16 * 4 + colourBytes + maskBytes;
    std::vector<std::uint8_t> out;
    // ICONDIR and its one entry.
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    out.push_back(kSize);
    out.push_back(kSize);
    out.push_back(16);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, imageBytes);
    Put32(out, 6 + 16);
    // BITMAPINFOHEADER: the height counts the colour image and the mask.
    Put32(out, 40);
    Put32(out, kSize);
    Put32(out, kSize * 2);
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0);
    Put32(out, colourBytes + maskBytes);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 16);
    Put32(out, 0);
    for (std::uint32_t rgb : picture.palette) {
        out.push_back(static_cast<std::uint8_t>(rgb));        // blue
        out.push_back(static_cast<std::uint8_t>(rgb >> 8));   // green
        out.push_back(static_cast<std::uint8_t>(rgb >> 16));  // red
        out.push_back(0);
    }
    // Rows are stored bottom-up.
    for (int y = kSize - 1; y >= 0; --y) {
        const std::string& row = picture.rows[static_cast<size_t>(y)];
        for (int x = 0; x < kSize; x += 2) {
            const int high = row[x] == '.' ? 0 : HexDigit(row[x]);
            const int low = row[x + 1] == '.' ? 0 : HexDigit(row[x + 1]);
            out.push_back(static_cast<std::uint8_t>(high << 4 | low));
        }
    }
    for (int y = kSize - 1; y >= 0; --y) {
        const std::string& row = picture.rows[static_cast<size_t>(y)];
        for (int x = 0; x < kSize; x += 8) {
            std::uint8_t bits = 0;
            for (int b = 0; b < 8; ++b)
                if (row[x + b] == '.') bits |= static_cast<std::uint8_t>(0x80 >> b);
            out.push_back(bits);
        }
    }
    return out;
}
