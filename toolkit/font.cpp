#include "font.h"

#include <map>

#include "exception.h"
#include "property_values.h"

static int CharsetFromValue(const layout::Value& value, const std::string& where) {
    static const std::map<std::string, int> named = {
        {"DEFAULT_CHARSET", DEFAULT_CHARSET},
        {"ANSI_CHARSET", ANSI_CHARSET},
        {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET},
        {"GB2312_CHARSET", GB2312_CHARSET},
    };
    return props::IntegerOrName(value, where, named, "character set");
}

void TFont::SetProperty(const std::string& name, const layout::Value& value, const std::string& where) {
    if (name == "Name") {
        Name = props::Text(value, where).Bytes();
    } else if (name == "Height") {
        Height = props::Integer(value, where);
    } else if (name == "Color") {
        Color = ColorFromValue(value, where);
    } else if (name == "Charset") {
        Charset = CharsetFromValue(value, where);
    } else if (name == "Style") {
        if (value.type != layout::ValueType::Set) props::Invalid(where, "expected a set of styles");
        Bold = Italic = Underline = StrikeOut = false;
        for (const std::string& style : value.names) {
            if (style == "fsBold") Bold = true;
            else if (style == "fsItalic") Italic = true;
            else if (style == "fsUnderline") Underline = true;
            else if (style == "fsStrikeOut") StrikeOut = true;
            else props::Invalid(where, "unknown font style " + style);
        }
    } else {
        throw Exception(AnsiString("unknown property " + where));
    }
}
