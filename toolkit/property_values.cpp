#include "property_values.h"

#include <climits>

#include "exception.h"
#include "text_codec.h"

namespace props {

void Invalid(const std::string& where, const std::string& what) { throw Exception(AnsiString(where + ": " + what)); }

int Integer(const layout::Value& value, const std::string& where) {
    if (!value.IsInteger() || value.type == layout::ValueType::Currency) Invalid(where, "expected an integer");
    if (value.integer < INT_MIN || value.integer > INT_MAX) Invalid(where, "integer out of range");
    return static_cast<int>(value.integer);
}

bool Boolean(const layout::Value& value, const std::string& where) {
    if (!value.IsBoolean()) Invalid(where, "expected True or False");
    return value.type == layout::ValueType::True;
}

const std::string& Identifier(const layout::Value& value, const std::string& where) {
    if (value.type != layout::ValueType::Ident) Invalid(where, "expected an identifier");
    return value.bytes;
}

AnsiString Text(const layout::Value& value, const std::string& where) {
    switch (value.type) {
    case layout::ValueType::String:
    case layout::ValueType::LString:
        // Single-byte strings are written only for ASCII text; anything else
        // would be in an unknown code page.
        for (unsigned char c : value.bytes)
            if (c >= 0x80) Invalid(where, "non-ASCII byte in a byte string");
        return AnsiString(value.bytes);
    case layout::ValueType::WString: return Big5FromUtf16(value.wide);
    case layout::ValueType::Utf8String: {
        std::wstring wide;
        if (!WideFromUtf8(value.bytes, wide)) Invalid(where, "invalid UTF-8 text");
        return Big5FromWide(wide);
    }
    default: Invalid(where, "expected text");
    }
}

}  // namespace props
