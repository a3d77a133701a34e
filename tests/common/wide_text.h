#pragma once
// Texts the test programs write in UTF-8 source, as the UTF-16 that windows
// hold and show; and back, for messages.

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

// A u8"..." literal, whose characters are char8_t.
inline std::wstring Utf16(const char8_t* utf8) { return Utf16(reinterpret_cast<const char*>(utf8)); }

inline std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

}  // namespace wide_text
