#include "system_error.h"

#include <cwctype>
#include <string>

#include "text_codec.h"

AnsiString WithReason(const AnsiString& what, DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                   error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring reason = text ? text : L"";
    LocalFree(text);
    while (!reason.empty() && std::iswspace(reason.back())) reason.pop_back();
    // Some calls (those of GDI among them) fail without saying why.
    // The number in decimal: std::to_string writes it without printf, which
    // std::to_wstring uses (with floating point, a tenth of the program).
    if (reason.empty() || error == ERROR_SUCCESS) {
        const std::string number = std::to_string(error);
        reason = L"system error " + std::wstring(number.begin(), number.end());
    }
    return AnsiString(what.Bytes() + ": " + Big5FromWide(reason).Bytes());
}

void ThrowLastError(const AnsiString& what) {
    const DWORD error = GetLastError();
    throw SystemFailure(WithReason(what, error));
}
