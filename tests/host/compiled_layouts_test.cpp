// Each compiled window layout, read back by the stream reader and written out
// again as layout text, is its readable source line for line: nothing lost,
// reordered or changed by the compiler or the writer.

#include <gtest/gtest.h>
#include <sstream>

#include "layout_test_support.h"

#ifndef SIGNIN_FORMS_DIR
#error "SIGNIN_FORMS_DIR must name the directory holding the readable layouts"
#endif

namespace layout_test {
namespace {

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        const int tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        out += static_cast<char>(((0xFF80 >> tail) & 0xFF) | (c >> (6 * tail)));
        for (int shift = 6 * (tail - 1); shift >= 0; shift -= 6) out += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
    }
    return out;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// A value as the layout text writes it; anything the three windows do not
// use is marked so that it shows in the comparison.
std::string AsText(const Value& v) {
    switch (v.type) {
    case ValueType::Int8:
    case ValueType::Int16:
    case ValueType::Int32:
    case ValueType::Int64: return std::to_string(v.integer);
    case ValueType::String:
    case ValueType::LString:
    case ValueType::Utf8String: return Quoted(v.bytes);
    case ValueType::WString: return Quoted(Utf8(v.wide));
    case ValueType::Ident: return v.bytes;
    case ValueType::False: return "False";
    case ValueType::True: return "True";
    case ValueType::Set: {
        std::string out;
        for (const std::string& name : v.names) out += (out.empty() ? "" : ", ") + name;
        return "[" + out + "]";
    }
    case ValueType::Collection: return v.items.empty() ? "<>" : "<items>";
    default: return "<" + Describe(v) + ">";
    }
}

void AsText(const Component& c, std::ostringstream& out) {
    out << "object " << c.name << ": " << c.className << "\n";
    for (const Property& p : c.properties) out << p.name << " = " << AsText(p.value) << "\n";
    for (const Component& child : c.children) AsText(child, out);
    out << "end\n";
}

// The source's lines without indentation, blank lines or comments.
std::string SourceLines(const std::string& path) {
    Bytes bytes = LoadFile(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line, out;
    while (std::getline(in, line)) {
        line.erase(0, line.find_first_not_of(" \t"));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.rfind("//", 0) == 0) continue;
        out += line + "\n";
    }
    return out;
}

TEST(CompiledLayouts, EachReadsBackAsItsSource) {
    for (const char* form : {"1", "2", "3"}) {
        SCOPED_TRACE(form);
        std::ostringstream compiled;
        AsText(Read(LoadCompiled(std::string("TFORM") + form)), compiled);
        EXPECT_EQ(SourceLines(std::string(SIGNIN_FORMS_DIR) + "/Unit" + form + ".layout"), compiled.str());
    }
}

}  // namespace
}  // namespace layout_test
