#pragma once
// What the reader (layout_stream.cpp) and the writer (layout_writer.cpp) of
// the layout stream share: the format's limits and marks. Internal to the
// layout library.

#include <cstddef>
#include <cstdint>
#include <string>

#include "hex_digit.h"
#include "layout_stream.h"

namespace layout {
namespace encoding {

// Every stream starts with the signature. Every list (properties, children,
// list values, sets, collections) ends with the end mark, and a list value
// and each collection item start with the list mark.
inline constexpr char kSignature[4] = {'T', 'P', 'F', '0'};
inline constexpr std::uint8_t kEndMark = static_cast<std::uint8_t>(ValueType::Null);
inline constexpr std::uint8_t kListMark = static_cast<std::uint8_t>(ValueType::List);
inline constexpr std::size_t kMaxShortString = 255;
inline constexpr std::uint8_t kPrefixMark = 0xF0;
inline constexpr std::uint8_t kKnownFlags = 0x07;  // 1 inherited, 2 child position, 4 inline
inline constexpr std::uint8_t kFlagChildPosition = 0x02;

inline bool IsIntegerType(std::uint8_t type) {
    switch (static_cast<ValueType>(type)) {
    case ValueType::Int8:
    case ValueType::Int16:
    case ValueType::Int32:
    case ValueType::Int64: return true;
    default: return false;
    }
}

inline std::size_t IntegerSize(ValueType type) {
    switch (type) {
    case ValueType::Int8: return 1;
    case ValueType::Int16: return 2;
    case ValueType::Int32: return 4;
    default: return 8;
    }
}

}  // namespace encoding
}  // namespace layout
