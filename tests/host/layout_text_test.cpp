// The text form of a layout: what each kind of value reads as.

#include "layout_text.h"

#include <gtest/gtest.h>

#include "layout_test_support.h"

// The byte tables below are laid out by hand, a field of the stream a line;
// clang-format would put every adjacent string literal on a line of its own.
// clang-format off

namespace layout_test {
namespace {

Component Parse(const std::string& text) { return layout::ParseLayoutText(text, "t.layout"); }

TEST(LayoutText, ValuesAndNesting) {
    Component c = Parse("\xEF\xBB\xBF// comment\r\n"
                        "object Form1: TForm1\r\n"
                        "\r\n"
                        "  Caption = 'It''s'\n"
                        "  Wide = '\xE5\xB8\xB3\xF0\x9F\x98\x80'\n"
                        "  PasswordChar = '*'\n"
                        "  Font.Style = [fsBold, fsItalic]\n"
                        "  None = []\n"
                        "  Panels = < >\n"
                        "  Points = (1 -2 ('x' y) ())\n"
                        "  Data = {0a FF 10}\n"
                        "  Big = -9223372036854775808\n"
                        "  object = True\n"
                        "  OnClick = Button_1Click\n"
                        "  object A: TA\n"
                        "    object B: TB\n"
                        "    end\n"
                        "  end\n"
                        "  object C: TC\n"
                        "  end\n"
                        "end\n");
    EXPECT_EQ("object Form1: TForm1\n"
              "  Caption = string 'It's'\n"
              "  Wide = wstring u'\\u5E33\\uD83D\\uDE00'\n"
              "  PasswordChar = string '*'\n"
              "  Font.Style = set [fsBold] [fsItalic]\n"
              "  None = set\n"
              "  Panels = collection\n"
              "  Points = list (int8 1) (int8 -2) (list (string 'x') (ident 'y')) (list)\n"
              "  Data = binary '\\x0A\\xFF\\x10'\n"
              "  Big = int64 -9223372036854775808\n"
              "  object = true\n"
              "  OnClick = ident 'Button_1Click'\n"
              "  object A: TA\n"
              "    object B: TB\n"
              "    end\n"
              "  end\n"
              "  object C: TC\n"
              "  end\n"
              "end\n",
              Describe(c));
}

}  // namespace
}  // namespace layout_test
// clang-format on
