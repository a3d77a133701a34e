// Build-time tool: turns the readable icon picture (resources/mainicon.txt:
// a 16-colour palette and 32 rows of 32 hex digits, '.' transparent) into a
// Windows .ico file with one 32 x 32, 4-bit image.
//
//   make_icon INPUT.txt OUTPUT.ico

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

struct Picture {
    std::array<std::uint32_t, 16> palette{};  // 0xRRGGBB
    std::vector<std::string> rows;
};

bool Parse(std::istream& in, Picture& picture, std::string& error) {
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("palette ", 0) == 0) {
            std::istringstream fields(line.substr(8));
            std::string index, rgb;
            fields >> index >> rgb;
            if (index.size() != 1 || HexDigit(index[0]) < 0 || rgb.size() != 6) {
                error = "line " + std::to_string(lineNumber) + ": bad palette entry";
                return false;
            }
            picture.palette[static_cast<size_t>(HexDigit(index[0]))] = std::stoul(rgb, nullptr, 16);
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

std::vector<std::uint8_t> Encode(const Picture& picture) {
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_icon INPUT.txt OUTPUT.ico\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "make_icon: cannot read " << argv[1] << "\n";
        return 1;
    }
    Picture picture;
    std::string error;
    if (!Parse(in, picture, error)) {
        std::cerr << argv[1] << ": " << error << "\n";
        return 1;
    }
    const std::vector<std::uint8_t> bytes = Encode(picture);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::cerr << "make_icon: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
