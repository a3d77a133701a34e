#pragma once
// The binary layout stream: a window's properties and children as a tree.
// ReadLayout treats its input as untrusted: every length is checked, and a
// malformed stream raises Exception naming what was wrong and at which offset.
// WriteLayout produces the bytes ReadLayout accepts; the build-time layout
// compiler and the tests share it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace layout {

// The type byte that introduces each value in the stream.
enum class ValueType : std::uint8_t {
    Null = 0x00,
    List = 0x01,
    Int8 = 0x02,
    Int16 = 0x03,
    Int32 = 0x04,
    Extended = 0x05,
    String = 0x06,
    Ident = 0x07,
    False = 0x08,
    True = 0x09,
    Binary = 0x0A,
    Set = 0x0B,
    LString = 0x0C,
    Nil = 0x0D,
    Collection = 0x0E,
    Single = 0x0F,
    Currency = 0x10,
    Date = 0x11,
    WString = 0x12,
    Int64 = 0x13,
    Utf8String = 0x14,
};

struct Property;

struct CollectionItem {
    std::optional<std::int64_t> index;
    std::vector<Property> properties;
};

// One value. `type` says which payload field is meaningful:
//   Int8/Int16/Int32/Int64/Currency -> integer (Currency in ten-thousandths)
//   Extended -> bytes (the 10 raw bytes); Single -> single; Date -> real
//   String/LString/Utf8String/Ident/Binary -> bytes
//   WString -> wide (UTF-16 code units)
//   Set -> names; List -> list; Collection -> items
//   False/True/Nil/Null -> nothing
struct Value {
    ValueType type = ValueType::Nil;
    std::int64_t integer = 0;
    float single = 0;
    double real = 0;
    std::string bytes;
    std::u16string wide;
    std::vector<std::string> names;
    std::vector<Value> list;
    std::vector<CollectionItem> items;

    bool IsInteger() const;
    bool IsText() const;  // any of the string types
    bool IsBoolean() const;

    static Value Integer(std::int64_t v);           // smallest integer type that holds v
    static Value Text(const std::u16string& text);  // String when ASCII, else WString
    static Value Identifier(std::string name);
    static Value Boolean(bool v);
    static Value SetOf(std::vector<std::string> members);
    static Value EmptyCollection();
};

struct Property {
    std::string name;  // dotted path, e.g. "Font.Height"
    Value value;
    std::size_t offset = 0;  // where the property's name starts in the stream
};

struct Component {
    std::uint8_t flags = 0;                     // prefix flags, 0 when no prefix
    std::optional<std::int64_t> childPosition;  // with prefix flag 2
    std::string className;
    std::string name;
    std::vector<Property> properties;
    std::vector<Component> children;
    std::size_t offset = 0;  // where the component starts in the stream

    const Property* Find(const std::string& propertyName) const;
};

// Deepest nesting of components, lists and collections a reader accepts;
// deeper streams are rejected instead of exhausting the stack.
constexpr int kMaxNesting = 32;

Component ReadLayout(const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> WriteLayout(const Component& root);

}  // namespace layout
