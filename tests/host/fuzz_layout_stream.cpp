// libFuzzer target for the layout stream reader (scripts/fuzz builds and runs it).
// Every input must either parse or raise Exception: any other exception, a
// crash or a sanitizer report is a finding. A tree the reader accepts must
// also write out, read back equal, and write out again to the same bytes.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "exception.h"
#include "layout_stream.h"

namespace {

using layout::CollectionItem;
using layout::Component;
using layout::Property;
using layout::Value;

// Floats compare by their bits, so NaNs and the sign of zero count.
template <typename T>
bool SameBits(T a, T b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool Same(const Value& a, const Value& b);

// Offsets are left out: they say where a thing was in the stream it came from.
bool Same(const std::vector<Property>& a, const std::vector<Property>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || !Same(a[i].value, b[i].value)) return false;
    return true;
}

bool Same(const Value& a, const Value& b) {
    if (a.type != b.type || a.integer != b.integer || !SameBits(a.single, b.single) || !SameBits(a.real, b.real) ||
        a.bytes != b.bytes || a.wide != b.wide || a.names != b.names || a.list.size() != b.list.size() ||
        a.items.size() != b.items.size())
        return false;
    for (std::size_t i = 0; i < a.list.size(); ++i)
        if (!Same(a.list[i], b.list[i])) return false;
    for (std::size_t i = 0; i < a.items.size(); ++i)
        if (a.items[i].index != b.items[i].index || !Same(a.items[i].properties, b.items[i].properties)) return false;
    return true;
}

bool Same(const Component& a, const Component& b) {
    if (a.flags != b.flags || a.childPosition != b.childPosition || a.className != b.className || a.name != b.name ||
        !Same(a.properties, b.properties) || a.children.size() != b.children.size())
        return false;
    for (std::size_t i = 0; i < a.children.size(); ++i)
        if (!Same(a.children[i], b.children[i])) return false;
    return true;
}

[[noreturn]] void Finding(const char* what, const char* detail = "") {
    std::fprintf(stderr, "layout stream finding: %s %s\n", what, detail);
    std::abort();
}

// Reads from an exactly sized heap copy, so AddressSanitizer sees any overread.
Component ReadCopy(const std::vector<std::uint8_t>& bytes) {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size()]);
    if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
    return layout::ReadLayout(copy.get(), bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Component parsed;
    try {
        parsed = layout::ReadLayout(data, size);
    } catch (const Exception&) {
        return 0;  // a clean refusal
    }

    std::vector<std::uint8_t> written;
    Component reread;
    try {
        written = layout::WriteLayout(parsed);
        reread = ReadCopy(written);
    } catch (const Exception& e) {
        Finding("an accepted tree does not write out and read back:", e.what());
    }
    if (!Same(parsed, reread)) Finding("the tree read back differs from the one written");
    if (layout::WriteLayout(reread) != written) Finding("writing the tree read back gives other bytes");
    return 0;
}
