// The three compiled window layouts hold exactly these trees: every property
// with its value type, and the children in creation order.

#include <gtest/gtest.h>

#include "layout_test_support.h"

// The byte tables below are laid out by hand, a field of the stream a line;
// clang-format would put every adjacent string literal on a line of its own.
// clang-format off

namespace layout_test {
namespace {

const Value kFalse = Typed(ValueType::False);

Props Window(std::int64_t left, Value top, std::int64_t width, std::int64_t height, const char* caption) {
    return {
        {"Left", I16(left)}, {"Top", top}, {"Width", I16(width)}, {"Height", I16(height)},
        {"Caption", Str(caption)},
        {"Color", Ident("clBtnFace")},
        {"Font.Charset", Ident("DEFAULT_CHARSET")},
        {"Font.Color", Ident("clWindowText")},
        {"Font.Height", I8(-11)},
        {"Font.Name", Str("MS Sans Serif")},
        {"Font.Style", Set({})},
        {"OldCreateOrder", kFalse},
        {"PixelsPerInch", I8(96)},
        {"TextHeight", I8(13)},
    };
}

// Bounds, then the bold 24-pixel font the labels and buttons share.
Props Bold(Value left, Value top, Value width, Value height, Props middle = {}) {
    Props props = {{"Left", left}, {"Top", top}, {"Width", width}, {"Height", height}};
    props.insert(props.end(), middle.begin(), middle.end());
    Props font = {
        {"Font.Charset", Ident("DEFAULT_CHARSET")},
        {"Font.Color", Ident("clWindowText")},
        {"Font.Height", I8(-24)},
        {"Font.Name", Str("MS Sans Serif")},
        {"Font.Style", Set({"fsBold"})},
        {"ParentFont", kFalse},
    };
    props.insert(props.end(), font.begin(), font.end());
    return props;
}

std::u16string Spaces(std::size_t n) { return std::u16string(n, u' '); }

void ExpectCompiled(const char* resource, const Component& expected) {
    SCOPED_TRACE(resource);
    Bytes bytes = LoadCompiled(resource);
    EXPECT_EQ(Describe(expected), Describe(Read(bytes)));
}

TEST(CompiledLayouts, Form1) {
    Props bitBtn1 = Bold(I8(32), I16(240), I8(105), I8(49));
    bitBtn1.insert(bitBtn1.end(), {{"TabOrder", I8(0)}, {"OnClick", Ident("BitBtn1Click")}, {"Kind", Ident("bkNo")}});
    Props bitBtn2 = Bold(I16(200), I16(240), I8(97), I8(49));
    bitBtn2.insert(bitBtn2.end(), {{"TabOrder", I8(1)}, {"OnClick", Ident("BitBtn2Click")}, {"Kind", Ident("bkOK")}});
    ExpectCompiled("TFORM1",
        Make("TForm1", "Form1", Window(252, I16(186), 349, 357, "Form1"), {
            // 帳號： and 密碼： (full-width colon), then two spaces
            Make("TLabel", "Label1", Bold(I8(40), I8(40), I8(90), I8(29),
                 {{"Caption", WStr(u"\u5E33\u865F\uFF1A" + Spaces(2))}})),
            Make("TLabel", "Label2", Bold(I8(40), I8(104), I8(90), I8(29),
                 {{"Caption", WStr(u"\u5BC6\u78BC\uFF1A" + Spaces(2))}})),
            Make("TBitBtn", "BitBtn1", bitBtn1),
            Make("TBitBtn", "BitBtn2", bitBtn2),
            Make("TTimer", "Timer1", {{"OnTimer", Ident("Timer1Timer")}}),
            Make("TEdit", "Edit1", {{"Left", I16(144)}, {"Top", I8(40)}, {"Width", I8(121)},
                                    {"Height", I8(21)}, {"TabOrder", I8(2)}}),
            Make("TEdit", "Edit2", {{"Left", I16(144)}, {"Top", I8(112)}, {"Width", I8(121)},
                                    {"Height", I8(21)}, {"PasswordChar", Str("*")}, {"TabOrder", I8(3)}}),
            Make("TLabel", "Label3", Bold(I8(40), I16(168), I8(106), I8(29),
                 {{"Caption", Str(std::string(15, ' '))}})),
        }));
}

TEST(CompiledLayouts, Form2) {
    ExpectCompiled("TFORM2",
        Make("TForm2", "Form2", Window(188, I8(114), 295, 190, "Form2"), {
            // 開啟系統... and 請稍候..., padded with spaces
            Make("TLabel", "Label1", Bold(I8(16), I8(32), I16(192), I8(29),
                 {{"Caption", WStr(u"\u958B\u555F\u7CFB\u7D71..." + Spaces(10))}})),
            Make("TLabel", "Label2", Bold(I8(80), I8(88), I16(195), I8(29),
                 {{"Caption", WStr(u"\u8ACB\u7A0D\u5019..." + Spaces(14))}})),
            Make("TTimer", "Thtime", {{"Enabled", kFalse}, {"OnTimer", Ident("ThtimeTimer")}}),
            Make("TStatusBar", "StatusBar1", {{"Left", I8(0)}, {"Top", I16(137)}, {"Width", I16(287)},
                                              {"Height", I8(19)}, {"Panels", Typed(ValueType::Collection)},
                                              {"SimplePanel", kFalse}}),
        }));
}

TEST(CompiledLayouts, Form3) {
    ExpectCompiled("TFORM3", Make("TForm3", "Form3", Window(244, I16(213), 696, 480, "Form3")));
}

}  // namespace
}  // namespace layout_test
// clang-format on
