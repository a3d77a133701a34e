// Reading and writing the binary layout stream: exact bytes, the encodings
// the layouts use, the writer's choices and refusals, and the reader against
// hostile input.

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

#include "layout_test_support.h"

// The byte tables below are laid out by hand, a field of the stream a line;
// clang-format would put every adjacent string literal on a line of its own.
// clang-format off

namespace layout_test {
namespace {

// Parses from an exactly sized heap copy, so AddressSanitizer sees any overread.
// Returns the Exception message, or "parsed".
std::string ErrorOf(const std::uint8_t* data, std::size_t size, Component* parsed = nullptr) {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
    if (size) std::memcpy(copy.get(), data, size);
    try {
        Component c = layout::ReadLayout(copy.get(), size);
        if (parsed) *parsed = std::move(c);
    } catch (const Exception& e) {
        return e.Message.Bytes();
    }
    return "parsed";
}

std::string ErrorOf(const std::string& s) {
    return ErrorOf(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A literal with embedded zero bytes, without its terminator.
template <std::size_t N>
std::string Lit(const char (&s)[N]) { return std::string(s, N - 1); }

// Root "T"/"A" with one property "P" whose value starts at offset 10.
std::string WithValue(const std::string& value, bool closed = true) {
    return std::string("TPF0" "\x01" "T" "\x01" "A" "\x01" "P") + value + (closed ? std::string(2, '\0') : "");
}

TEST(LayoutStream, ExampleBytesFromTheFormat) {
    Component form = Make("TForm1", "Form1", {{"Left", Value::Integer(252)}});
    Bytes expected = ToBytes(Lit("TPF0" "\x06" "TForm1" "\x05" "Form1"
                                 "\x04" "Left" "\x03\xFC\x00" "\x00" "\x00"));
    EXPECT_EQ(expected, layout::WriteLayout(form));

    Component read = Read(expected);
    EXPECT_EQ(Describe(form), Describe(read));
    EXPECT_EQ(4u, read.offset);
    ASSERT_NE(nullptr, read.Find("Left"));
    EXPECT_EQ(17u, read.Find("Left")->offset);
    EXPECT_EQ(nullptr, read.Find("Top"));
}

TEST(LayoutStream, ReadsHandWrittenEncodings) {
    Bytes bytes = ToBytes(Lit("TPF0" "\xF3\x02\x05" "\x01" "T" "\x01" "A"  // prefix: inherited, position 5
                              "\x01" "a" "\x04\xFE\xFF\xFF\xFF"
                              "\x01" "b" "\x12\x02\x00\x00\x00\x33\x5E\x41\x00"
                              "\x01" "c" "\x0B\x02" "fs" "\x00"
                              "\x01" "d" "\x0E" "\x02\x07\x01\x01" "x" "\x09\x00" "\x01\x00" "\x00"
                              "\x01" "e" "\x01\x02\x01\x06\x01" "z" "\x00"
                              "\x00" "\x00"));
    Component c = Read(bytes);
    EXPECT_EQ(3, c.flags);
    EXPECT_EQ(5, c.childPosition.value_or(-1));
    const char* expected[][2] = {{"a", "int32 -2"}, {"b", "wstring u'\\u5E33A'"}, {"c", "set [fs]"},
                                 {"d", "collection <7 x=true> <->"}, {"e", "list (int8 1) (string 'z')"}};
    ASSERT_EQ(std::size(expected), c.properties.size());
    for (std::size_t i = 0; i < c.properties.size(); ++i) {
        EXPECT_EQ(expected[i][0], c.properties[i].name);
        EXPECT_EQ(expected[i][1], Describe(c.properties[i].value));
    }
    EXPECT_EQ(bytes, layout::WriteLayout(c));
}

TEST(LayoutStream, WriterPicksSmallestIntegerAndFittingText) {
    using T = ValueType;
    const std::pair<std::int64_t, ValueType> integers[] = {
        {0, T::Int8}, {127, T::Int8}, {-128, T::Int8}, {128, T::Int16}, {-129, T::Int16},
        {32767, T::Int16}, {-32768, T::Int16}, {32768, T::Int32}, {-32769, T::Int32},
        {INT32_MAX, T::Int32}, {INT32_MIN, T::Int32}, {INT32_MAX + 1LL, T::Int64}, {INT32_MIN - 1LL, T::Int64}};
    for (const auto& [n, type] : integers) EXPECT_EQ(Describe(Typed(type, n)), Describe(Value::Integer(n)));

    const std::pair<std::u16string, Value> texts[] = {
        {u"*", Str("*")}, {u"", Str("")}, {std::u16string(255, u'a'), Str(std::string(255, 'a'))},
        {std::u16string(256, u'a'), Typed(ValueType::LString, 0, std::string(256, 'a'))},
        {u"caf\u00E9", WStr(u"caf\u00E9")}, {u"\u5E33", WStr(u"\u5E33")}};
    for (const auto& [text, expected] : texts) EXPECT_EQ(Describe(expected), Describe(Value::Text(text)));
}

TEST(LayoutStream, WriterRefusesWhatCannotReadBack) {
    auto refuses = [](const Component& c) { EXPECT_THROW(layout::WriteLayout(c), Exception) << Describe(c); };
    auto withValue = [](Value v) { return Make("T", "A", {{"P", std::move(v)}}); };
    for (const Value& v : {Str(std::string(256, 's')), I8(128), I16(-40000), Typed(ValueType::Int32, INT32_MAX + 1LL),
                           Typed(ValueType::Null), Ident(""), Set({"a", ""}), Typed(ValueType::Extended)})
        refuses(withValue(v));
    refuses(Make("T", "A", {{"", I8(1)}}));
    refuses(Make("", "A", {}));
    Component flags = Make("T", "A", {});
    flags.flags = 8;
    refuses(flags);
    flags.flags = 2;  // position flag without a position
    refuses(flags);
    Component deep = Make("T", "A", {});
    for (int i = 0; i < layout::kMaxNesting; ++i) deep = Make("T", "A", {}, {deep});
    refuses(deep);

    // A class name that starts like a prefix byte gets a real prefix.
    Component longName = Make(std::string(240, 'C'), "A", {});
    EXPECT_EQ(Describe(longName), Describe(Read(layout::WriteLayout(longName))));
}

TEST(LayoutStream, HugeAndNegativeLengthsRejected) {
    for (char type : {'\x0A', '\x0C', '\x12', '\x14'}) {
        SCOPED_TRACE(int(type));
        std::string huge = ErrorOf(WithValue(std::string(1, type) + "\xFF\xFF\xFF\x7F" "abc"));
        EXPECT_NE(std::string::npos, huge.find(" length 2147483647 exceeds the 5 bytes left at offset 11")) << huge;
        std::string negative = ErrorOf(WithValue(std::string(1, type) + "\xFF\xFF\xFF\xFF"));
        EXPECT_NE(std::string::npos, negative.find(" length -1 at offset 11")) << negative;
    }
    // Three UTF-16 units need six bytes, not five.
    EXPECT_EQ("layout stream: wide string length 3 exceeds the 5 bytes left at offset 11",
              ErrorOf(WithValue(Lit("\x12\x03\x00\x00\x00" "abc"))));
}

TEST(LayoutStream, NestingIsBounded) {
    auto components = [](int depth) {
        std::string s = "TPF0";
        for (int i = 0; i < depth; ++i) s += Lit("\x01" "T" "\x01" "A" "\x00");
        return s + std::string(depth, '\0');
    };
    EXPECT_EQ("parsed", ErrorOf(components(layout::kMaxNesting)));
    EXPECT_EQ("layout stream: nesting deeper than 32 levels at offset 164", ErrorOf(components(100000)));

    // The root is one level, so 31 lists fit inside its property.
    auto lists = [](int depth) { return WithValue(std::string(depth, '\x01') + std::string(depth, '\0')); };
    EXPECT_EQ("parsed", ErrorOf(lists(31)));
    EXPECT_EQ("layout stream: nesting deeper than 32 levels at offset 41", ErrorOf(lists(32)));

    std::string collections;
    for (int i = 0; i < 32; ++i) collections += "\x0E\x01\x01" "P";
    collections += "\x09" + std::string(64, '\0');
    EXPECT_EQ("layout stream: nesting deeper than 32 levels at offset 134", ErrorOf(WithValue(collections)));
}

TEST(LayoutStream, FlippedBytesParseOrThrowException) {
    Bytes full = LoadCompiled("TFORM1");
    std::size_t parsedCount = 0;
    for (std::size_t at = 0; at < full.size(); ++at) {
        for (std::uint8_t mask : {0x01, 0x10, 0x80, 0xFF}) {
            Bytes bad = full;
            bad[at] ^= mask;
            Component parsed;
            try {
                if (ErrorOf(bad.data(), bad.size(), &parsed) != "parsed") continue;
            } catch (...) {
                ADD_FAILURE() << "non-Exception failure at offset " << at << " mask " << int(mask);
                continue;
            }
            // Whatever the reader accepts must write out and read back unchanged.
            ++parsedCount;
            Bytes rewritten = layout::WriteLayout(parsed);
            EXPECT_EQ(rewritten, layout::WriteLayout(Read(rewritten))) << at;
        }
    }
    EXPECT_GT(parsedCount, 0u);  // flips inside names and numbers still parse
}

}  // namespace
}  // namespace layout_test
// clang-format on
