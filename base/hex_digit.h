#pragma once
// One hexadecimal digit, in either case.

// The value of `c` as a hex digit (0 to 15), or -1 when it is none.
inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
