#include "layout_stream.h"

#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "exception.h"
#include "layout_encoding.h"

namespace layout {
namespace {

using namespace encoding;

// ---------------------------------------------------------------- reading

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    Component Root() {
        if (size_ < 4 || std::memcmp(data_, kSignature, sizeof(kSignature)) != 0)
            throw Exception("layout stream: missing TPF0 signature");
        pos_ = 4;
        Component root = ReadComponent(1);
        if (pos_ != size_) Fail("trailing bytes after the root component", pos_);
        return root;
    }

private:
    [[noreturn]] static void Fail(const std::string& what, std::size_t offset) {
        throw Exception(AnsiString("layout stream: " + what + " at offset " + std::to_string(offset)));
    }

    std::size_t Left() const { return size_ - pos_; }

    // Consumes n bytes; `at` is where the item being read started.
    const std::uint8_t* Take(std::size_t n, const char* what, std::size_t at) {
        if (n > Left()) Fail(std::string("truncated ") + what, at);
        const std::uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }

    std::uint8_t Peek(const char* what) {
        if (Left() == 0) Fail(std::string("truncated ") + what, pos_);
        return data_[pos_];
    }

    std::uint8_t Byte(const char* what) { return *Take(1, what, pos_); }

    std::uint64_t Unsigned(std::size_t n, const char* what) {
        const std::uint8_t* p = Take(n, what, pos_);
        std::uint64_t v = 0;
        for (std::size_t i = n; i-- > 0;) v = (v << 8) | p[i];
        return v;
    }

    std::int64_t Signed(std::size_t n, const char* what) {
        std::uint64_t v = Unsigned(n, what);
        if (n < 8 && ((v >> (8 * n - 1)) & 1)) v |= ~std::uint64_t(0) << (8 * n);
        return static_cast<std::int64_t>(v);
    }

    std::string ShortString(const char* what) {
        std::size_t at = pos_;
        std::size_t n = Byte(what);
        const std::uint8_t* p = Take(n, what, at);
        return std::string(reinterpret_cast<const char*>(p), n);
    }

    // An int32 byte or unit count; `unitSize` bytes per unit must still be left.
    std::size_t Count(const char* what, std::size_t unitSize) {
        std::size_t at = pos_;
        std::int64_t n = Signed(4, what);
        if (n < 0) Fail(std::string("negative ") + what + " " + std::to_string(n), at);
        if (static_cast<std::uint64_t>(n) > Left() / unitSize)
            Fail(std::string(what) + " " + std::to_string(n) + " exceeds the " + std::to_string(Left()) + " bytes left",
                 at);
        return static_cast<std::size_t>(n);
    }

    std::string Bytes(std::size_t n, const char* what) {
        const std::uint8_t* p = Take(n, what, pos_);
        return std::string(reinterpret_cast<const char*>(p), n);
    }

    static void CheckDepth(int depth, std::size_t at) {
        if (depth > kMaxNesting) Fail("nesting deeper than " + std::to_string(kMaxNesting) + " levels", at);
    }

    std::int64_t ReadInteger(const char* what) {
        std::size_t at = pos_;
        std::uint8_t type = Byte(what);
        if (!IsIntegerType(type)) Fail(std::string(what) + " has value type " + Hex(type) + ", not an integer", at);
        return Signed(IntegerSize(static_cast<ValueType>(type)), what);
    }

    Component ReadComponent(int depth) {
        Component c;
        c.offset = pos_;
        CheckDepth(depth, pos_);
        std::uint8_t first = Peek("component");
        if ((first & 0xF0) == kPrefixMark) {
            ++pos_;
            c.flags = first & 0x0F;
            if (c.flags & ~kKnownFlags)
                Fail("unsupported component prefix " + Hex(first) +
                         " (known flags: 1 inherited, 2 child position, 4 inline)",
                     c.offset);
            if (c.flags & kFlagChildPosition) c.childPosition = ReadInteger("child position");
        }
        std::size_t at = pos_;
        c.className = ShortString("class name");
        if (c.className.empty()) Fail("empty class name", at);
        c.name = ShortString("instance name");
        ReadProperties(c.properties, depth);
        while (Peek("child list") != kEndMark) c.children.push_back(ReadComponent(depth + 1));
        ++pos_;
        return c;
    }

    void ReadProperties(std::vector<Property>& properties, int depth) {
        for (;;) {
            std::size_t at = pos_;
            std::string name = ShortString("property name");
            if (name.empty()) return;
            Property p;
            p.name = std::move(name);
            p.offset = at;
            p.value = ReadValue(depth);
            properties.push_back(std::move(p));
        }
    }

    Value ReadValue(int depth) {
        std::size_t at = pos_;
        std::uint8_t type = Byte("value type");
        Value v;
        v.type = static_cast<ValueType>(type);
        switch (v.type) {
        case ValueType::Null: Fail("end marker (0x00) where a value belongs", at);
        case ValueType::List:
            CheckDepth(depth + 1, at);
            while (Peek("list") != kEndMark) v.list.push_back(ReadValue(depth + 1));
            ++pos_;
            break;
        case ValueType::Int8: v.integer = Signed(1, "int8"); break;
        case ValueType::Int16: v.integer = Signed(2, "int16"); break;
        case ValueType::Int32: v.integer = Signed(4, "int32"); break;
        case ValueType::Int64: v.integer = Signed(8, "int64"); break;
        case ValueType::Currency: v.integer = Signed(8, "currency"); break;
        case ValueType::Extended: v.bytes = Bytes(10, "extended"); break;
        case ValueType::Single: {
            auto bits = static_cast<std::uint32_t>(Unsigned(4, "single"));
            std::memcpy(&v.single, &bits, sizeof bits);
            break;
        }
        case ValueType::Date: {
            std::uint64_t bits = Unsigned(8, "date");
            std::memcpy(&v.real, &bits, sizeof bits);
            break;
        }
        case ValueType::String: v.bytes = ShortString("string"); break;
        case ValueType::Ident:
            v.bytes = ShortString("identifier");
            if (v.bytes.empty()) Fail("empty identifier", at);
            break;
        case ValueType::False:
        case ValueType::True:
        case ValueType::Nil: break;
        case ValueType::Binary: v.bytes = Bytes(Count("binary length", 1), "binary data"); break;
        case ValueType::LString: v.bytes = Bytes(Count("long string length", 1), "long string"); break;
        case ValueType::Utf8String: v.bytes = Bytes(Count("UTF-8 string length", 1), "UTF-8 string"); break;
        case ValueType::WString: {
            std::size_t n = Count("wide string length", 2);
            v.wide.resize(n);
            for (std::size_t i = 0; i < n; ++i) v.wide[i] = static_cast<char16_t>(Unsigned(2, "wide string"));
            break;
        }
        case ValueType::Set:
            for (;;) {
                std::string member = ShortString("set member");
                if (member.empty()) break;
                v.names.push_back(std::move(member));
            }
            break;
        case ValueType::Collection:
            CheckDepth(depth + 1, at);
            ReadItems(v.items, depth + 1);
            break;
        default: Fail("unknown value type " + Hex(type), at);
        }
        return v;
    }

    void ReadItems(std::vector<CollectionItem>& items, int depth) {
        for (;;) {
            std::uint8_t b = Peek("collection");
            if (b == kEndMark) break;
            CollectionItem item;
            if (IsIntegerType(b)) item.index = ReadInteger("collection item index");
            std::size_t at = pos_;
            b = Byte("collection item");
            if (b != kListMark) Fail("collection item starts with " + Hex(b) + " instead of 0x01", at);
            ReadProperties(item.properties, depth);
            items.push_back(std::move(item));
        }
        ++pos_;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace

// ---------------------------------------------------------------- values

bool Value::IsInteger() const { return IsIntegerType(static_cast<std::uint8_t>(type)); }

bool Value::IsText() const {
    return type == ValueType::String || type == ValueType::LString || type == ValueType::WString ||
           type == ValueType::Utf8String;
}

bool Value::IsBoolean() const { return type == ValueType::False || type == ValueType::True; }

Value Value::Integer(std::int64_t v) {
    Value value;
    value.integer = v;
    if (v >= INT8_MIN && v <= INT8_MAX) value.type = ValueType::Int8;
    else if (v >= INT16_MIN && v <= INT16_MAX) value.type = ValueType::Int16;
    else if (v >= INT32_MIN && v <= INT32_MAX) value.type = ValueType::Int32;
    else value.type = ValueType::Int64;
    return value;
}

Value Value::Text(const std::u16string& text) {
    Value value;
    bool ascii = true;
    for (char16_t unit : text) ascii = ascii && unit < 0x80;
    if (!ascii) {
        value.type = ValueType::WString;
        value.wide = text;
        return value;
    }
    value.type = text.size() <= kMaxShortString ? ValueType::String : ValueType::LString;
    value.bytes.assign(text.begin(), text.end());
    return value;
}

Value Value::Identifier(std::string name) {
    Value value;
    value.type = ValueType::Ident;
    value.bytes = std::move(name);
    return value;
}

Value Value::Boolean(bool v) {
    Value value;
    value.type = v ? ValueType::True : ValueType::False;
    return value;
}

Value Value::SetOf(std::vector<std::string> members) {
    Value value;
    value.type = ValueType::Set;
    value.names = std::move(members);
    return value;
}

Value Value::EmptyCollection() {
    Value value;
    value.type = ValueType::Collection;
    return value;
}

const Property* Component::Find(const std::string& propertyName) const {
    for (const Property& p : properties)
        if (p.name == propertyName) return &p;
    return nullptr;
}

Component ReadLayout(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) size = 0;
    return Reader(data, size).Root();
}

}  // namespace layout
