// The text form of a layout: values, and errors with line numbers.

#include "layout_text.h"

#include <gtest/gtest.h>

#include "layout_test_support.h"

// The byte tables below are laid out by hand, a field of the stream a line;
// clang-format would put every adjacent string literal on a line of its own.
// clang-format off

namespace layout_test {
namespace {

Component Parse(const std::string& text) { return layout::ParseLayoutText(text, "t.layout"); }

std::string ErrorOf(const std::string& text) {
    try {
        Parse(text);
    } catch (const Exception& e) {
        return e.Message.Bytes();
    }
    return "parsed";
}

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

TEST(LayoutText, ErrorsNameFileAndLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"object A: TA\n  Left = 1\n", "t.layout:1: object A has no matching end"},
        {"object A: TA\n  Caption = 'abc\nend\n", "t.layout:2: unterminated string"},
        {"object A: TA\n  Left = 1 2\nend\n", "t.layout:2: unexpected '2' after the value"},
        {"object A: TA\n  Left = 1.5\nend\n", "t.layout:2: unexpected '.5' after the value"},
        {"object A: TA\n  Left = 12px\nend\n", "t.layout:2: malformed integer"},
        {"object A: TA\n  Left = 1\n\n  Left = 2\nend\n", "t.layout:4: duplicate property Left (first set on line 2)"},
        {"// x\nobject A: TA\n  Caption = '\xC3\x28'\nend\n", "t.layout:3: invalid UTF-8"},
        {"object A: TA\n  Caption = '\xED\xA0\x80'\nend\n", "t.layout:2: invalid UTF-8"},  // surrogate
        {"object A: TA\n  Caption = '\xC0\xAF'\nend\n", "t.layout:2: invalid UTF-8"},      // overlong
        {"object A: TA\nend\nend\n", "t.layout:3: text after the end of the root object"},
        {"object A: TA\n  X = 9223372036854775808\nend\n", "t.layout:2: integer out of range"},
        {"object A: TA\n  X = (1 2\nend\n", "t.layout:2: unterminated list"},
        {"object A: TA\n  X = {ABC}\nend\n", "t.layout:2: odd number of hex digits"},
        {"object A: TA\n  object A: TB\n  end\nend\n", "t.layout:2: duplicate object name A"},
        {"Left = 1\n", "t.layout:1: property Left outside an object"},
        {"end\n", "t.layout:1: end without object"},
        {"// nothing\n", "t.layout:1: no object in the file"},
        {"", "t.layout:1: no object in the file"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(message, ErrorOf(text)) << text;

    std::string deep = "object A: TA\n  X = " + std::string(100, '(') + "\nend\n";
    EXPECT_EQ("t.layout:2: lists nested too deeply", ErrorOf(deep));
}

}  // namespace
}  // namespace layout_test
// clang-format on
