#pragma once
// Conversions between the program's byte strings, which are Big5 (Windows
// code page 950, kBig5CodePage), and the UTF-16 text that Windows shows.
// Every text goes to the screen through the Unicode API, so it reads
// correctly whatever the system's code page is. Every conversion to or from
// the program's bytes is named for Big5; wiped_text.h has the one for
// secrets.

#include <string>
#include <string_view>

#include "ansi_string.h"

constexpr unsigned kBig5CodePage = 950;

std::wstring WideFromBig5(const AnsiString& text);

// Characters with no exact Big5 form become '?': never a best-fit
// look-alike, so a circled or accented letter cannot pass for a plain one.
AnsiString Big5FromWide(const std::wstring& text);
// The same conversion into a buffer of the caller's: Big5Size gives the
// bytes `text` takes (it throws SystemFailure when the text cannot be
// converted), and WriteBig5 writes them into `out`, with room for `size`,
// returning how many it wrote (0 on failure, with the reason in
// GetLastError).
int Big5Size(std::wstring_view text);
int WriteBig5(std::wstring_view text, char* out, int size);
AnsiString Big5FromUtf16(const std::u16string& text);

// Text written in the program's UTF-8 sources, as Big5 bytes.
AnsiString Big5FromUtf8(const char* utf8);
#if defined(__cpp_char8_t)
// The same for a u8"..." literal, whose characters are char8_t from C++20
// on: the same UTF-8 bytes.
inline AnsiString Big5FromUtf8(const char8_t* utf8) { return Big5FromUtf8(reinterpret_cast<const char*>(utf8)); }
#endif

// UTF-8 bytes (any, NULs included) as UTF-16 in `wide`; false, leaving
// `wide` unspecified, when the bytes are not valid UTF-8.
bool WideFromUtf8(const std::string& utf8, std::wstring& wide);
