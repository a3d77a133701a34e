#include "text_codec.h"

#include <windows.h>

#include <climits>

#include "exception.h"
#include "system_error.h"
#include "utf8.h"

std::wstring WideFromBig5(const AnsiString& text) {
    if (text.IsEmpty()) return {};
    const int needed = MultiByteToWideChar(kBig5CodePage, 0, text.c_str(), text.Length(), nullptr, 0);
    if (needed <= 0) ThrowLastError("cannot convert a text from code page 950");
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    if (MultiByteToWideChar(kBig5CodePage, 0, text.c_str(), text.Length(), wide.data(), needed) != needed)
        ThrowLastError("cannot convert a text from code page 950");
    return wide;
}

int Big5Size(std::wstring_view text) {
    if (text.size() > INT_MAX / 2) throw Exception("text too long to convert");
    const int needed = WriteBig5(text, nullptr, 0);
    if (needed <= 0) ThrowLastError("cannot convert a text to code page 950");
    return needed;
}

int WriteBig5(std::wstring_view text, char* out, int size) {
    BOOL usedDefault = FALSE;
    return WideCharToMultiByte(kBig5CodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out,
                               size, "?", &usedDefault);
}

AnsiString Big5FromWide(const std::wstring& text) {
    if (text.empty()) return {};
    const int needed = Big5Size(text);
    std::string bytes(static_cast<size_t>(needed), '\0');
    if (WriteBig5(text, bytes.data(), needed) != needed) ThrowLastError("cannot convert a text to code page 950");
    return AnsiString(std::move(bytes));
}

AnsiString Big5FromUtf16(const std::u16string& text) { return Big5FromWide(std::wstring(text.begin(), text.end())); }

bool WideFromUtf8(const std::string& utf8, std::wstring& wide) {
    std::u16string units;
    if (!Utf16FromUtf8(utf8, &units)) return false;
    wide.assign(units.begin(), units.end());
    return true;
}

AnsiString Big5FromUtf8(const char* utf8) {
    std::wstring wide;
    if (!WideFromUtf8(utf8, wide)) throw Exception("invalid UTF-8 text");
    return Big5FromWide(wide);
}
