#pragma once
// Shared by the layout tests: a text dump of a layout tree (whole trees
// compare as text, and a failure shows the diff), values of a stated type,
// and the layouts compiled by the build.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "exception.h"
#include "layout_stream.h"

// The byte tables below are laid out by hand, a field of the stream a line;
// clang-format would put every adjacent string literal on a line of its own.
// clang-format off

#ifndef SIGNIN_LAYOUT_DIR
#error "SIGNIN_LAYOUT_DIR must name the directory holding the compiled layouts"
#endif

namespace layout_test {

using layout::Component;
using layout::Property;
using layout::Value;
using layout::ValueType;
using Bytes = std::vector<std::uint8_t>;

inline std::string Escaped(unsigned unit, const char* format) {
    if (unit >= 0x20 && unit < 0x7F && unit != '\\') return std::string(1, static_cast<char>(unit));
    char text[16];
    std::snprintf(text, sizeof text, format, unit);
    return text;
}

// Type name, then every payload field that is set.
inline std::string Describe(const Value& v) {
    static const char* const kTypes[] = {
        "null", "list", "int8", "int16", "int32", "extended", "string", "ident", "false", "true", "binary",
        "set", "lstring", "nil", "collection", "single", "currency", "date", "wstring", "int64", "utf8"};
    auto type = static_cast<unsigned>(v.type);
    std::string out = type < std::size(kTypes) ? kTypes[type] : "type " + std::to_string(type);
    if (v.integer) out += " " + std::to_string(v.integer);
    if (v.single != 0 || v.real != 0) {
        char text[64];
        std::snprintf(text, sizeof text, " %a %a", double(v.single), v.real);
        out += text;
    }
    if (!v.bytes.empty() || v.type == ValueType::String) {
        out += " '";
        for (unsigned char c : v.bytes) out += Escaped(c, "\\x%02X");
        out += "'";
    }
    if (!v.wide.empty()) {
        out += " u'";
        for (char16_t u : v.wide) out += Escaped(u, "\\u%04X");
        out += "'";
    }
    for (const std::string& name : v.names) out += " [" + name + "]";
    for (const Value& item : v.list) out += " (" + Describe(item) + ")";
    for (const auto& item : v.items) {
        out += " <" + (item.index ? std::to_string(*item.index) : "-");
        for (const Property& p : item.properties) out += " " + p.name + "=" + Describe(p.value);
        out += ">";
    }
    return out;
}

inline std::string Describe(const Component& c, const std::string& indent = "") {
    std::string out = indent + "object " + c.name + ": " + c.className;
    if (c.flags) out += " flags " + std::to_string(c.flags);
    if (c.childPosition) out += " position " + std::to_string(*c.childPosition);
    out += "\n";
    for (const Property& p : c.properties) out += indent + "  " + p.name + " = " + Describe(p.value) + "\n";
    for (const Component& child : c.children) out += Describe(child, indent + "  ");
    return out + indent + "end\n";
}

// Values whose type is stated, not chosen by Value::Integer or Value::Text.
inline Value Typed(ValueType type, std::int64_t integer = 0, std::string bytes = "") {
    Value v;
    v.type = type;
    v.integer = integer;
    v.bytes = std::move(bytes);
    return v;
}
inline Value I8(std::int64_t n) { return Typed(ValueType::Int8, n); }
inline Value I16(std::int64_t n) { return Typed(ValueType::Int16, n); }
inline Value Str(std::string s) { return Typed(ValueType::String, 0, std::move(s)); }
inline Value Ident(std::string s) { return Typed(ValueType::Ident, 0, std::move(s)); }
inline Value WStr(std::u16string s) { Value v = Typed(ValueType::WString); v.wide = std::move(s); return v; }
inline Value Set(std::vector<std::string> names) { Value v = Typed(ValueType::Set); v.names = std::move(names); return v; }

using Props = std::vector<std::pair<std::string, Value>>;

inline Component Make(std::string className, std::string name, const Props& props,
                      std::vector<Component> children = {}) {
    Component c;
    c.className = std::move(className);
    c.name = std::move(name);
    for (const auto& [propertyName, value] : props) c.properties.push_back({propertyName, value, 0});
    c.children = std::move(children);
    return c;
}

inline Bytes LoadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline Bytes LoadCompiled(const std::string& resource) {
    return LoadFile(std::string(SIGNIN_LAYOUT_DIR) + "/" + resource + ".bin");
}

inline Component Read(const Bytes& bytes) { return layout::ReadLayout(bytes.data(), bytes.size()); }

}  // namespace layout_test
// clang-format on
