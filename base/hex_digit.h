#pragma once
// Hexadecimal: one digit read, in either case; a number written.

#include <string>

// The value of `c` as a hex digit (0 to 15), or -1 when it is none.
inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "0x" and at least two upper-case hex digits, for messages. Written out
// rather than formatted by printf, whose MinGW implementation (with
// floating point) is about a tenth of the Windows program.
inline std::string Hex(unsigned value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    if (digits.size() < 2) digits.insert(digits.begin(), '0');
    return "0x" + digits;
}
