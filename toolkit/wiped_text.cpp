#include "wiped_text.h"

#include "system_error.h"
#include "text_codec.h"

WipedBuffer<char> WipedBig5FromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int needed = Big5Size(text);
    WipedBuffer<char> bytes(static_cast<std::size_t>(needed));
    // Taken as empty, a typed account would be refused without a word.
    if (WriteBig5(text, bytes.Data(), needed) != needed) ThrowLastError("cannot convert a typed text to code page 950");
    bytes.SetLength(static_cast<std::size_t>(needed));
    return bytes;
}
