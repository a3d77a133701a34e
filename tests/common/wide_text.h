#pragma once
// Texts the test programs write in UTF-8 source, as the UTF-16 that windows
// hold and show.

#include <windows.h>

#include <string>

namespace wide_text {

inline std::wstring Utf16(const char* utf8) {
    const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring text(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), needed);
    text.resize(static_cast<size_t>(needed - 1));
    return text;
}

}  // namespace wide_text
