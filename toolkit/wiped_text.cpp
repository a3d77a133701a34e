#include "wiped_text.h"

#include "text_codec.h"

WipedBuffer<char> WipedCp950FromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int needed = Cp950Size(text);
    WipedBuffer<char> bytes(static_cast<std::size_t>(needed));
    const int written = WriteCp950(text, bytes.Data(), needed);
    bytes.SetLength(written > 0 ? static_cast<std::size_t>(written) : 0);
    return bytes;
}
