// The writer of the layout stream, the reader's counterpart: the build-time
// layout compiler and the tests write layouts; the program only reads them,
// and its file holds none of this.

#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

#include "exception.h"
#include "layout_encoding.h"
#include "layout_stream.h"

namespace layout {
namespace {

using namespace encoding;

// ---------------------------------------------------------------- writing

class Writer {
public:
    std::vector<std::uint8_t> Root(const Component& root) {
        out_.assign(std::begin(kSignature), std::end(kSignature));
        WriteComponent(root, 1);
        return std::move(out_);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw Exception(AnsiString("layout stream: cannot write " + where_ + ": " + what));
    }

    void Byte(std::uint8_t b) { out_.push_back(b); }

    void Little(std::uint64_t v, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }

    void Raw(const std::string& bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }

    void ShortString(const std::string& s, const char* what) {
        if (s.size() > kMaxShortString)
            Fail(std::string(what) + " of " + std::to_string(s.size()) + " bytes (at most 255)");
        Byte(static_cast<std::uint8_t>(s.size()));
        Raw(s);
    }

    void Count(std::size_t n, const char* what) {
        if (n > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            Fail(std::string(what) + " too long");
        Little(n, 4);
    }

    void CheckDepth(int depth) const {
        if (depth > kMaxNesting) Fail("nesting deeper than " + std::to_string(kMaxNesting) + " levels");
    }

    void Integer(ValueType type, std::int64_t v) {
        std::size_t n = IntegerSize(type);
        std::int64_t high = n == 8 ? INT64_MAX : (std::int64_t(1) << (8 * n - 1)) - 1;
        if (v > high || v < -high - 1)
            Fail("integer " + std::to_string(v) + " does not fit value type " + Hex(static_cast<unsigned>(type)));
        Byte(static_cast<std::uint8_t>(type));
        Little(static_cast<std::uint64_t>(v), n);
    }

    void WriteComponent(const Component& c, int depth) {
        where_ = "component " + c.name;
        CheckDepth(depth);
        if (c.flags & ~kKnownFlags) Fail("unsupported prefix flags " + Hex(c.flags));
        bool hasPosition = (c.flags & kFlagChildPosition) != 0;
        if (hasPosition != c.childPosition.has_value()) Fail("prefix flag 2 and the child position must come together");
        if (c.className.empty()) Fail("empty class name");
        // A class name of 240 bytes or more would read as a prefix byte, so
        // such a name always gets one.
        if (c.flags != 0 || c.className.size() >= kPrefixMark) Byte(kPrefixMark | c.flags);
        if (hasPosition) Integer(Value::Integer(*c.childPosition).type, *c.childPosition);
        ShortString(c.className, "class name");
        ShortString(c.name, "instance name");
        WriteProperties(c.properties, c.name, depth);
        for (const Component& child : c.children) WriteComponent(child, depth + 1);
        Byte(kEndMark);
    }

    void WriteProperties(const std::vector<Property>& properties, const std::string& owner, int depth) {
        for (const Property& p : properties) {
            where_ = owner + "." + p.name;
            if (p.name.empty()) Fail("empty property name");
            ShortString(p.name, "property name");
            WriteValue(p.value, depth);
        }
        Byte(kEndMark);
    }

    void WriteValue(const Value& v, int depth) {
        switch (v.type) {
        case ValueType::Null: Fail("a null value (0x00) would end the enclosing list");
        case ValueType::List:
            CheckDepth(depth + 1);
            Byte(kListMark);
            for (const Value& item : v.list) WriteValue(item, depth + 1);
            Byte(kEndMark);
            return;
        case ValueType::Int8:
        case ValueType::Int16:
        case ValueType::Int32:
        case ValueType::Int64: Integer(v.type, v.integer); return;
        default: break;
        }
        Byte(static_cast<std::uint8_t>(v.type));
        switch (v.type) {
        case ValueType::Currency: Little(static_cast<std::uint64_t>(v.integer), 8); break;
        case ValueType::Extended:
            if (v.bytes.size() != 10) Fail("extended value of " + std::to_string(v.bytes.size()) + " bytes, not 10");
            Raw(v.bytes);
            break;
        case ValueType::Single: {
            std::uint32_t bits;
            std::memcpy(&bits, &v.single, sizeof bits);
            Little(bits, 4);
            break;
        }
        case ValueType::Date: {
            std::uint64_t bits;
            std::memcpy(&bits, &v.real, sizeof bits);
            Little(bits, 8);
            break;
        }
        case ValueType::String: ShortString(v.bytes, "string"); break;
        case ValueType::Ident:
            if (v.bytes.empty()) Fail("empty identifier");
            ShortString(v.bytes, "identifier");
            break;
        case ValueType::False:
        case ValueType::True:
        case ValueType::Nil: break;
        case ValueType::Binary:
        case ValueType::LString:
        case ValueType::Utf8String:
            Count(v.bytes.size(), "string or binary value");
            Raw(v.bytes);
            break;
        case ValueType::WString:
            Count(v.wide.size(), "wide string");
            for (char16_t unit : v.wide) Little(unit, 2);
            break;
        case ValueType::Set:
            for (const std::string& member : v.names) {
                if (member.empty()) Fail("empty set member");
                ShortString(member, "set member");
            }
            Byte(kEndMark);
            break;
        case ValueType::Collection: {
            CheckDepth(depth + 1);
            std::string where = where_;
            for (const CollectionItem& item : v.items) {
                if (item.index) Integer(Value::Integer(*item.index).type, *item.index);
                Byte(kListMark);
                WriteProperties(item.properties, where, depth + 1);
                where_ = where;
            }
            Byte(kEndMark);
            break;
        }
        default: Fail("unknown value type " + Hex(static_cast<unsigned>(v.type)));
        }
    }

    std::vector<std::uint8_t> out_;
    std::string where_;
};

}  // namespace

std::vector<std::uint8_t> WriteLayout(const Component& root) { return Writer().Root(root); }

}  // namespace layout
