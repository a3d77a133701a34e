#pragma once
// Conversions of a secret text that make no copy outside wiped buffers.

#include <string_view>

#include "wiped_buffer.h"

// The text as Big5 bytes, converted as the program's other
// texts are: a character with no exact Big5 form becomes '?', never a
// best-fit look-alike. Throws SystemFailure when the system cannot convert
// it.
WipedBuffer<char> WipedBig5FromWide(std::wstring_view text);
