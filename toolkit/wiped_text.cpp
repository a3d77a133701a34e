#include "wiped_text.h"

#include <climits>

#include "exception.h"
#include "text_codec.h"

WipedBuffer<char> WipedCp950FromWide(std::wstring_view text) {
    if (text.empty()) return {};
    if (text.size() > INT_MAX / 2) throw Exception("text too long to convert");
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int needed =
        WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, "?", &usedDefault);
    if (needed <= 0) throw Exception("text conversion to code page 950 failed");
    WipedBuffer<char> bytes(static_cast<std::size_t>(needed));
    const int written = WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.Data(),
                                            needed, "?", &usedDefault);
    bytes.SetLength(written > 0 ? static_cast<std::size_t>(written) : 0);
    return bytes;
}
