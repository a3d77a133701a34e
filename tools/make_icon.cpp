// Build-time tool: turns the readable icon picture (resources/mainicon.txt:
// a 16-colour palette and 32 rows of 32 hex digits, '.' transparent) into a
// Windows .ico file with one 32 x 32, 4-bit image.
//
//   make_icon INPUT.txt OUTPUT.ico

#include <cstdio>
#include <fstream>
#include <iostream>

#include "icon_picture.h"

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
    if (!ParsePicture(in, picture, error)) {
        std::cerr << argv[1] << ": " << error << "\n";
        return 1;
    }
    const std::vector<std::uint8_t> bytes = EncodeIcon(picture);
    {
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        // Most of a small file is written only when it is closed: a failure
        // then (a full disk) counts too.
        out.close();
        if (out) return 0;
    }
    std::remove(argv[2]);  // no truncated icon for the build to pick up
    std::cerr << "make_icon: cannot write " << argv[2] << "\n";
    return 1;
}
