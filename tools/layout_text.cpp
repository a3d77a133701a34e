#include "layout_text.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "exception.h"
#include "hex_digit.h"
#include "utf8.h"

namespace layout {
namespace {

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Parser {
public:
    Parser(const std::string& text, const std::string& source) : text_(text), source_(source) {}

    Component Parse() {
        std::size_t start = text_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        while (start < text_.size()) {
            std::size_t stop = text_.find('\n', start);
            if (stop == std::string::npos) stop = text_.size();
            line_text_ = text_.substr(start, stop - start);
            if (!line_text_.empty() && line_text_.back() == '\r') line_text_.pop_back();
            ++line_;
            if (!Utf16FromUtf8(line_text_, nullptr)) Fail("invalid UTF-8");
            ParseLine();
            start = stop + 1;
        }
        if (!open_.empty()) {
            line_ = open_.back().line;
            Fail("object " + open_.back().component.name + " has no matching end");
        }
        if (!root_) {
            line_ = std::max(line_, 1);
            Fail("no object in the file");
        }
        return std::move(*root_);
    }

private:
    struct Open {
        Component component;
        int line;
        std::map<std::string, int> propertyLines;
    };

    [[noreturn]] void Fail(const std::string& message) const {
        throw Exception(AnsiString(source_ + ":" + std::to_string(line_) + ": " + message));
    }

    char Peek() const { return pos_ < line_text_.size() ? line_text_[pos_] : '\0'; }
    bool AtEnd() const { return pos_ >= line_text_.size(); }

    void SkipSpace() {
        while (!AtEnd() && (line_text_[pos_] == ' ' || line_text_[pos_] == '\t')) ++pos_;
    }

    std::string Word(const char* what) {
        std::size_t begin = pos_;
        while (!AtEnd() && IsWordChar(line_text_[pos_])) ++pos_;
        if (begin == pos_) Fail(std::string("expected ") + what);
        return line_text_.substr(begin, pos_ - begin);
    }

    void ExpectLineEnd(const char* after) {
        SkipSpace();
        if (!AtEnd()) Fail("unexpected '" + line_text_.substr(pos_) + "' after " + after);
    }

    void ParseLine() {
        pos_ = 0;
        SkipSpace();
        if (AtEnd() || line_text_.compare(pos_, 2, "//") == 0) return;
        if (root_) Fail("text after the end of the root object");
        std::string path = Word("object, end or a property name");
        while (Peek() == '.') {
            ++pos_;
            path += '.';
            path += Word("a property name after '.'");
        }
        SkipSpace();
        if (path == "end" && AtEnd()) return CloseObject();
        if (path == "object" && Peek() != '=') return OpenObject();
        if (open_.empty()) Fail("property " + path + " outside an object");
        if (Peek() != '=') Fail("expected '=' after " + path);
        ++pos_;
        SkipSpace();
        Open& owner = open_.back();
        auto first = owner.propertyLines.emplace(path, line_);
        if (!first.second)
            Fail("duplicate property " + path + " (first set on line " + std::to_string(first.first->second) + ")");
        Property p;
        p.name = path;
        p.value = ParseValue(static_cast<int>(open_.size()));
        ExpectLineEnd("the value");
        owner.component.properties.push_back(std::move(p));
    }

    void OpenObject() {
        if (static_cast<int>(open_.size()) >= kMaxNesting)
            Fail("objects nested deeper than " + std::to_string(kMaxNesting) + " levels");
        Open o;
        o.line = line_;
        o.component.name = Word("an object name");
        SkipSpace();
        if (Peek() != ':') Fail("expected ':' after the object name");
        ++pos_;
        SkipSpace();
        o.component.className = Word("a class name");
        ExpectLineEnd("the class name");
        if (!names_.insert(o.component.name).second) Fail("duplicate object name " + o.component.name);
        open_.push_back(std::move(o));
    }

    void CloseObject() {
        if (open_.empty()) Fail("end without object");
        Component done = std::move(open_.back().component);
        open_.pop_back();
        if (open_.empty()) root_ = std::move(done);
        else open_.back().component.children.push_back(std::move(done));
    }

    Value ParseValue(int depth) {
        char c = Peek();
        if (c == '\'') return ParseString();
        if (c == '-' || IsDigit(c)) return ParseInteger();
        if (c == '[') return ParseSet();
        if (c == '(') return ParseList(depth);
        if (c == '{') return ParseBinary();
        if (c == '<') {
            ++pos_;
            SkipSpace();
            if (Peek() != '>') Fail("only empty collections (<>) are supported");
            ++pos_;
            return Value::EmptyCollection();
        }
        if (IsWordChar(c)) {
            std::string word = Word("a value");
            if (word == "True" || word == "False") return Value::Boolean(word == "True");
            return Value::Identifier(std::move(word));
        }
        Fail(AtEnd() ? "missing value" : "expected a value, found '" + line_text_.substr(pos_) + "'");
    }

    Value ParseString() {
        std::string utf8;
        for (++pos_;; ++pos_) {
            if (AtEnd()) Fail("unterminated string");
            if (line_text_[pos_] == '\'') {
                if (Peek2() != '\'') break;
                ++pos_;
            }
            utf8 += line_text_[pos_];
        }
        ++pos_;
        std::u16string text;
        Utf16FromUtf8(utf8, &text);  // the line was checked already
        return Value::Text(text);
    }

    char Peek2() const { return pos_ + 1 < line_text_.size() ? line_text_[pos_ + 1] : '\0'; }

    Value ParseInteger() {
        bool negative = Peek() == '-';
        if (negative) ++pos_;
        if (!IsDigit(Peek())) Fail("expected digits after '-'");
        // Magnitude may reach 2^63 for the most negative value.
        std::uint64_t limit = negative ? std::uint64_t(1) << 63 : (std::uint64_t(1) << 63) - 1;
        std::uint64_t magnitude = 0;
        while (IsDigit(Peek())) {
            unsigned digit = static_cast<unsigned>(line_text_[pos_++] - '0');
            if (magnitude > (limit - digit) / 10) Fail("integer out of range");
            magnitude = magnitude * 10 + digit;
        }
        if (IsWordChar(Peek())) Fail("malformed integer");
        return Value::Integer(negative ? static_cast<std::int64_t>(0 - magnitude)
                                       : static_cast<std::int64_t>(magnitude));
    }

    Value ParseSet() {
        std::vector<std::string> members;
        ++pos_;
        SkipSpace();
        if (Peek() == ']') {
            ++pos_;
            return Value::SetOf(members);
        }
        for (;;) {
            SkipSpace();
            members.push_back(Word("a set member"));
            SkipSpace();
            if (Peek() == ']') break;
            if (Peek() != ',') Fail("expected ',' or ']' in a set");
            ++pos_;
        }
        ++pos_;
        return Value::SetOf(std::move(members));
    }

    Value ParseList(int depth) {
        if (depth >= kMaxNesting) Fail("lists nested too deeply");
        Value v;
        v.type = ValueType::List;
        ++pos_;
        for (;;) {
            SkipSpace();
            if (AtEnd()) Fail("unterminated list");
            if (Peek() == ')') break;
            v.list.push_back(ParseValue(depth + 1));
        }
        ++pos_;
        return v;
    }

    Value ParseBinary() {
        Value v;
        v.type = ValueType::Binary;
        int high = -1;
        for (++pos_; Peek() != '}'; ++pos_) {
            if (AtEnd()) Fail("unterminated binary value");
            char c = line_text_[pos_];
            if (c == ' ' || c == '\t') continue;
            int digit = HexDigit(c);
            if (digit < 0) Fail(std::string("'") + c + "' is not a hex digit");
            if (high < 0) {
                high = digit;
            } else {
                v.bytes += static_cast<char>(high * 16 + digit);
                high = -1;
            }
        }
        if (high >= 0) Fail("odd number of hex digits");
        ++pos_;
        return v;
    }

    const std::string& text_;
    const std::string& source_;
    std::string line_text_;
    std::size_t pos_ = 0;
    int line_ = 0;
    std::vector<Open> open_;
    std::optional<Component> root_;
    std::set<std::string> names_;
};

}  // namespace

Component ParseLayoutText(const std::string& utf8Text, const std::string& sourceName) {
    return Parser(utf8Text, sourceName).Parse();
}

}  // namespace layout
