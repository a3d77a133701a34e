#pragma once
// Decoding UTF-8, the same on the build machine and on Windows.

#include <string>
#include <string_view>

// Decodes `utf8` (any bytes, NULs included) into UTF-16, appended to `out`
// unless it is null; false on malformed, overlong or surrogate input, or a
// code point past U+10FFFF (what was appended by then is left as it is).
bool Utf16FromUtf8(std::string_view utf8, std::u16string* out);
