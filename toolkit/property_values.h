#pragma once
// Reading typed values out of layout properties, with errors that name the
// property ("Form1.Label1.Left: expected an integer").

#include <map>
#include <string>

#include "ansi_string.h"
#include "layout_stream.h"

namespace props {

int Integer(const layout::Value& value, const std::string& where);
bool Boolean(const layout::Value& value, const std::string& where);
const std::string& Identifier(const layout::Value& value, const std::string& where);
// Text of any string type, converted to the program's code page.
AnsiString Text(const layout::Value& value, const std::string& where);
[[noreturn]] void Invalid(const std::string& where, const std::string& what);

// A value written either as an integer or as one of the names in `named`
// ("unknown `what` NAME" for any other name).
template <typename T>
T IntegerOrName(const layout::Value& value, const std::string& where, const std::map<std::string, T>& named,
                const std::string& what) {
    if (value.IsInteger()) return static_cast<T>(Integer(value, where));
    const std::string& name = Identifier(value, where);
    auto found = named.find(name);
    if (found == named.end()) Invalid(where, "unknown " + what + " " + name);
    return found->second;
}

}  // namespace props
