#include "text_codec.h"

#include <windows.h>

#include <climits>

#include "exception.h"
#include "system_error.h"

std::wstring WideFromBig5(const AnsiString& text) {
    if (text.IsEmpty()) return {};
    const int needed = MultiByteToWideChar(kProgramCodePage, 0, text.c_str(), text.Length(), nullptr, 0);
    if (needed <= 0) ThrowLastError("cannot convert a text from code page 950");
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    if (MultiByteToWideChar(kProgramCodePage, 0, text.c_str(), text.Length(), wide.data(), needed) != needed)
        ThrowLastError("cannot convert a text from code page 950");
    return wide;
}

int Cp950Size(std::wstring_view text) {
    if (text.size() > INT_MAX / 2) throw Exception("text too long to convert");
    const int needed = WriteCp950(text, nullptr, 0);
    if (needed <= 0) ThrowLastError("cannot convert a text to code page 950");
    return needed;
}

int WriteCp950(std::wstring_view text, char* out, int size) {
    BOOL usedDefault = FALSE;
    return WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out,
                               size, "?", &usedDefault);
}

AnsiString Big5FromWide(const std::wstring& text) {
    if (text.empty()) return {};
    const int needed = Cp950Size(text);
    std::string bytes(static_cast<size_t>(needed), '\0');
    if (WriteCp950(text, bytes.data(), needed) != needed) ThrowLastError("cannot convert a text to code page 950");
    return AnsiString(std::move(bytes));
}

AnsiString AnsiFromUtf16(const std::u16string& text) { return Big5FromWide(std::wstring(text.begin(), text.end())); }

bool WideFromUtf8(const std::string& utf8, std::wstring& wide) {
    wide.clear();
    if (utf8.empty()) return true;
    if (utf8.size() > INT_MAX) return false;
    const int length = static_cast<int>(utf8.size());
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (needed <= 0) return false;
    wide.resize(static_cast<size_t>(needed));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    return true;
}

AnsiString AnsiFromUtf8(const char* utf8) {
    std::wstring wide;
    if (!WideFromUtf8(utf8, wide)) throw Exception("invalid UTF-8 text");
    return Big5FromWide(wide);
}
