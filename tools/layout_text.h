#pragma once
// The readable text form of a window layout (forms/*.layout), as written by
// hand and compiled at build time into the binary layout stream:
//
//   // comment
//   object Form1: TForm1
//     Left = 252                  integer
//     Caption = 'It''s'           text ('' is a quote), UTF-8
//     Visible = True              True / False
//     Color = clBtnFace           identifier (enumeration value, handler name)
//     Font.Style = [fsBold]       set
//     Panels = <>                 empty collection
//     Points = (1 2 (3 4))        list
//     Data = {0A1B FF}            binary
//     object Label1: TLabel       child, in creation order
//     end
//   end

#include <string>

#include "layout_stream.h"

namespace layout {

// Parses one layout. Errors throw Exception with "sourceName:line: message".
Component ParseLayoutText(const std::string& utf8Text, const std::string& sourceName);

}  // namespace layout
