// Reading and walking each window's layout on the build machine, many times
// over. Applying a layout needs Win32, so this measures the part that does
// not: layout::ReadLayout on the compiled bytes, then a walk over the tree
// that looks at every component, property and value the way applying does
// (property name known for the class, value of the type the property takes),
// without making any window. The figure is the median time of one read +
// walk of one window, over batches of repetitions.
//
//   layout_bench_host [REPS]   (forms/*.layout from the source tree)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "layout_stream.h"
#include "layout_text.h"

namespace {

using Clock = std::chrono::steady_clock;

// The property names the toolkit's classes take, and what each value must be.
enum class Kind { Integer, Text, Identifier, Boolean, Set, Collection, IntegerOrIdentifier };

Kind KindOf(const std::string& property) {
    static const std::set<std::string> integers = {"Left",      "Top",           "Width",      "Height",
                                                   "TabOrder",  "PixelsPerInch", "TextHeight", "Interval",
                                                   "MaxLength", "Font.Height"};
    static const std::set<std::string> texts = {"Caption", "Text", "PasswordChar", "Font.Name"};
    static const std::set<std::string> identifiers = {"Kind", "OnClick", "OnTimer"};
    static const std::set<std::string> booleans = {"ParentFont",     "Visible", "AutoSize",
                                                   "OldCreateOrder", "Enabled", "SimplePanel"};
    if (integers.count(property)) return Kind::Integer;
    if (texts.count(property)) return Kind::Text;
    if (identifiers.count(property)) return Kind::Identifier;
    if (booleans.count(property)) return Kind::Boolean;
    if (property == "Font.Style") return Kind::Set;
    if (property == "Panels") return Kind::Collection;
    if (property == "Color" || property == "Font.Color" || property == "Font.Charset") return Kind::IntegerOrIdentifier;
    std::fprintf(stderr, "unknown property %s\n", property.c_str());
    std::exit(1);
}

bool Fits(Kind kind, const layout::Value& value) {
    switch (kind) {
    case Kind::Integer: return value.IsInteger();
    case Kind::Text: return value.IsText();
    case Kind::Identifier: return value.type == layout::ValueType::Ident && !value.bytes.empty();
    case Kind::Boolean: return value.IsBoolean();
    case Kind::Set: return value.type == layout::ValueType::Set;
    case Kind::Collection: return value.type == layout::ValueType::Collection;
    case Kind::IntegerOrIdentifier: return value.IsInteger() || value.type == layout::ValueType::Ident;
    }
    return false;
}

// Visits every node; returns how many properties it checked.
size_t Walk(const layout::Component& component) {
    size_t checked = 0;
    for (const layout::Property& property : component.properties) {
        if (!Fits(KindOf(property.name), property.value)) {
            std::fprintf(stderr, "%s.%s has the wrong type\n", component.name.c_str(), property.name.c_str());
            std::exit(1);
        }
        ++checked;
    }
    for (const layout::Component& child : component.children) checked += Walk(child);
    return checked;
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    constexpr int kBatches = 21;
    std::printf("| Window (median of %d batches of %d) | Layout bytes | Read (µs) | Read + walk (µs) |\n", kBatches,
                reps / kBatches);
    std::printf("|---|---:|---:|---:|\n");
    for (int index = 1; index <= 3; ++index) {
        const std::string source = std::string(SIGNIN_FORMS_DIR) + "/Unit" + std::to_string(index) + ".layout";
        const std::vector<std::uint8_t> bytes = layout::WriteLayout(layout::ParseLayoutText(ReadText(source), source));

        const auto measure = [&](bool walk) {
            std::vector<double> perWindow;
            size_t sink = 0;
            for (int batch = 0; batch < kBatches; ++batch) {
                const int count = std::max(1, reps / kBatches);
                const auto start = Clock::now();
                for (int i = 0; i < count; ++i) {
                    const layout::Component root = layout::ReadLayout(bytes.data(), bytes.size());
                    sink += walk ? Walk(root) : root.properties.size();
                }
                const std::chrono::duration<double, std::micro> took = Clock::now() - start;
                perWindow.push_back(took.count() / count);
            }
            if (sink == 0) std::printf("(empty)\n");
            std::sort(perWindow.begin(), perWindow.end());
            return perWindow[perWindow.size() / 2];
        };
        const double read = measure(false);
        const double readAndWalk = measure(true);
        std::printf("| Form%d | %zu | %.2f | %.2f |\n", index, bytes.size(), read, readAndWalk);
    }
    return 0;
}
