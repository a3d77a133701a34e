#pragma once
// Reading typed values out of layout properties, with errors that name the
// property ("Form1.Label1.Left: expected an integer").

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

}  // namespace props
