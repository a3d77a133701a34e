#include "utf8.h"

#include <cstdint>

bool Utf16FromUtf8(std::string_view utf8, std::u16string* out) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto b = static_cast<unsigned char>(utf8[i]);
        std::size_t extra;
        if (b < 0x80) extra = 0;
        else if ((b & 0xE0) == 0xC0) extra = 1;
        else if ((b & 0xF0) == 0xE0) extra = 2;
        else if ((b & 0xF8) == 0xF0) extra = 3;
        else return false;
        if (extra > utf8.size() - i - 1) return false;
        std::uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            auto c = static_cast<unsigned char>(utf8[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static const std::uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (out) {
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
                out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
            } else {
                out->push_back(static_cast<char16_t>(cp));
            }
        }
        i += extra + 1;
    }
    return true;
}
