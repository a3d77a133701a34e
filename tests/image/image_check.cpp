// Build-time check of a built Windows program file, read as bytes on the
// build machine (no Windows needed):
//
//   image_check header PROGRAM.exe [pe32]
//     The PE header asks for every protection the toolchain gives: a
//     relocatable image that carries its relocations, no-execute data, no
//     section both writable and executable, static imports only from the
//     libraries Windows never looks for in the program's folder, subsystem
//     6.0 or later, the stack protector linked in; and for a 32-bit image,
//     no SEH handlers declared (or a SafeSEH table). A 64-bit image (PE32+, a test build) unwinds by
//     tables, where that statement does not apply. With `pe32`, the image
//     must be the 32-bit one the program ships as.
//   image_check credentials PROGRAM.exe
//     Neither the accepted account nor its password is in the file as text,
//     in ASCII (which is also their Big5 form) or UTF-16.
//
// Prints each check and ends with 1 if any failed, 2 on bad arguments.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Check(bool holds, const std::string& what) {
    std::printf("%s: %s\n", holds ? "ok" : "FAILED", what.c_str());
    if (!holds) ++failures;
}

using Bytes = std::vector<unsigned char>;

// ---- a small PE reader ----

// Header values used here, as the PE format defines them.
constexpr uint16_t kDynamicBase = 0x0040, kNxCompat = 0x0100, kNoSeh = 0x0400;       // DllCharacteristics
constexpr uint16_t kRelocsStripped = 0x0001;                                         // file Characteristics
constexpr uint32_t kExecutable = 0x20000000, kWritable = 0x80000000;                 // section Characteristics
constexpr int kImports = 1, kRelocations = 5, kLoadConfig = 10, kDelayImports = 13;  // data directories

class Image {
public:
    explicit Image(const Bytes& file) : bytes_(file) {
        if (U16(0) != 0x5A4D) return;  // "MZ"
        const uint32_t nt = U32(0x3C);
        if (U32(nt) != 0x00004550) return;  // "PE\0\0"
        fileHeader_ = nt + 4;
        optional_ = fileHeader_ + 20;
        const uint16_t magic = U16(optional_);
        if (magic != 0x10B && magic != 0x20B) return;
        wide_ = magic == 0x20B;
        sections_ = optional_ + U16(fileHeader_ + 16);
        sectionCount_ = U16(fileHeader_ + 2);
        valid_ = sections_ + 40ull * sectionCount_ <= bytes_.size();
    }

    bool Valid() const { return valid_; }
    bool Wide() const { return wide_; }  // PE32+, a 64-bit image
    uint16_t FileCharacteristics() const { return U16(fileHeader_ + 18); }
    uint16_t DllCharacteristics() const { return U16(optional_ + 70); }
    // MajorSubsystemVersion in the high byte, the minor in the low.
    int SubsystemVersion() const { return U16(optional_ + 48) << 8 | (U16(optional_ + 50) & 0xFF); }

    struct Directory {
        uint32_t rva = 0, size = 0;
    };
    Directory DataDirectory(int index) const {
        const uint32_t count = U32(optional_ + (wide_ ? 108 : 92));
        if (static_cast<uint32_t>(index) >= count) return {};
        const uint64_t at = optional_ + (wide_ ? 112 : 96) + 8ull * index;
        return {U32(at), U32(at + 4)};
    }

    struct Section {
        std::string name;
        uint32_t rva, rawSize, rawOffset, characteristics;
    };
    std::vector<Section> Sections() const {
        std::vector<Section> sections;
        for (int i = 0; i < sectionCount_; ++i) {
            const uint64_t at = sections_ + 40ull * i;
            std::string name(reinterpret_cast<const char*>(&bytes_[at]), 8);
            name.resize(std::min(name.find('\0'), name.size()));
            sections.push_back({name, U32(at + 12), U32(at + 16), U32(at + 20), U32(at + 36)});
        }
        return sections;
    }

    // The file offset of `size` bytes at a relative virtual address, all in
    // one section; 0 when they are not in the file.
    uint64_t Offset(uint32_t rva, uint32_t size) const {
        for (const Section& s : Sections()) {
            if (rva < s.rva || uint64_t{rva} - s.rva + size > s.rawSize) continue;
            const uint64_t offset = uint64_t{s.rawOffset} + (rva - s.rva);
            return offset + size <= bytes_.size() ? offset : 0;
        }
        return 0;
    }

    std::string NameAt(uint32_t rva) const {
        std::string name;
        for (uint64_t at = Offset(rva, 1); at && bytes_[at] && name.size() < 256; at = Offset(++rva, 1))
            name.push_back(static_cast<char>(bytes_[at]));
        return name;
    }

    // The names of the libraries the image imports from, directly or delayed.
    std::vector<std::string> ImportedLibraries() const {
        std::vector<std::string> names;
        const Directory imports = DataDirectory(kImports);
        for (uint32_t rva = imports.rva; imports.size; rva += 20) {  // import descriptors
            const uint64_t at = Offset(rva, 20);
            if (!at || U32(at + 12) == 0) break;
            names.push_back(NameAt(U32(at + 12)));
        }
        const Directory delayed = DataDirectory(kDelayImports);
        for (uint32_t rva = delayed.rva; delayed.size; rva += 32) {  // delay-load descriptors
            const uint64_t at = Offset(rva, 32);
            if (!at || U32(at + 4) == 0) break;
            names.push_back(NameAt(U32(at + 4)));
        }
        return names;
    }

    // How many handlers a 32-bit image's SafeSEH table lists.
    uint32_t SafeSehHandlers() const {
        const Directory config = DataDirectory(kLoadConfig);
        if (wide_ || config.size < 72) return 0;
        const uint64_t at = Offset(config.rva, 72);
        return at && U32(at + 64) ? U32(at + 68) : 0;  // SEHandlerTable, SEHandlerCount
    }

private:
    uint16_t U16(uint64_t at) const { return at + 2 <= bytes_.size() ? bytes_[at] | bytes_[at + 1] << 8 : 0; }
    uint32_t U32(uint64_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }

    const Bytes& bytes_;
    bool valid_ = false, wide_ = false;
    uint64_t fileHeader_ = 0, optional_ = 0, sections_ = 0;
    int sectionCount_ = 0;
};

// The libraries Windows loads from its system folder whatever the program's
// folder holds (its known system libraries), and comctl32, which the
// program's manifest binds to the system's own side-by-side copy. Any other
// library is looked for in the program's folder first, where another could
// be planted: the program loads such libraries itself, from the system
// folder.
bool IsKnownSystemLibrary(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    static const char* const kKnown[] = {"kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll", "msvcrt.dll",
                                         "ntdll.dll",    "shell32.dll", "ole32.dll",   "oleaut32.dll", "comdlg32.dll",
                                         "imm32.dll",    "shlwapi.dll", "comctl32.dll"};
    for (const char* known : kKnown)
        if (name == known) return true;
    return false;
}

void CheckHeader(const Bytes& bytes, bool pe32) {
    const Image image(bytes);
    Check(image.Valid(), "the file is a PE image");
    if (!image.Valid()) return;
    std::printf("%s image\n", image.Wide() ? "64-bit (PE32+)" : "32-bit (PE32)");
    if (pe32) Check(!image.Wide(), "it is a 32-bit image (PE32)");
    const uint16_t flags = image.DllCharacteristics();
    char shown[32];
    std::snprintf(shown, sizeof(shown), " (DllCharacteristics 0x%04X)", flags);
    Check(flags & kDynamicBase, std::string("it can be loaded anywhere: DYNAMIC_BASE") + shown);
    Check(flags & kNxCompat, std::string("its data is not executable: NX_COMPAT") + shown);
    if (!image.Wide()) {
        const uint32_t handlers = image.SafeSehHandlers();
        Check((flags & kNoSeh) || handlers > 0, std::string("it declares that it has no SEH handlers: NO_SEH") + shown +
                                                    ", or lists them: a SafeSEH table (" + std::to_string(handlers) +
                                                    " handlers)");
    }
    Check(!(image.FileCharacteristics() & kRelocsStripped), "its relocations are not stripped (no RELOCS_STRIPPED)");
    const Image::Directory relocations = image.DataDirectory(kRelocations);
    Check(relocations.size > 0 && image.Offset(relocations.rva, relocations.size) != 0,
          "it carries its relocations (" + std::to_string(relocations.size) + " bytes)");
    for (const Image::Section& section : image.Sections())
        Check(!((section.characteristics & kWritable) && (section.characteristics & kExecutable)),
              "section " + section.name + " is not both writable and executable");
    const std::vector<std::string> libraries = image.ImportedLibraries();
    Check(!libraries.empty(), "its imports can be read");
    for (const std::string& library : libraries)
        Check(IsKnownSystemLibrary(library),
              "it imports from " + library + ", a library Windows loads from its system folder only");
    const int subsystem = image.SubsystemVersion();
    Check(subsystem >= 0x0600, "it asks for subsystem 6.0 or later, where a corrupted heap ends the process (" +
                                   std::to_string(subsystem >> 8) + "." + std::to_string(subsystem & 0xFF) + ")");
    // The stack protector's failure handler is linked in only when a
    // function checks its guard.
    const std::string smashed = "stack smashing detected";
    Check(std::search(bytes.begin(), bytes.end(), smashed.begin(), smashed.end()) != bytes.end(),
          "its functions check the stack protector's guard (the failure handler is in the file)");
}

// ---- texts in the file ----

size_t Count(const Bytes& bytes, const std::string& pattern) {
    size_t count = 0;
    for (auto at = bytes.begin();; ++at) {
        at = std::search(at, bytes.end(), pattern.begin(), pattern.end());
        if (at == bytes.end()) return count;
        ++count;
    }
}

std::string Utf16(const std::string& ascii) {
    std::string wide;
    for (char c : ascii) wide += std::string{c, '\0'};
    return wide;
}

// How many times `text` is a whole run of printable ASCII characters: what
// `strings -a` shows as a line of its own.
size_t CountAsWholeString(const Bytes& bytes, const std::string& text) {
    const auto printable = [](unsigned char c) { return c == '\t' || (c >= 0x20 && c < 0x7F); };
    size_t count = 0, start = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && printable(bytes[i])) continue;
        if (i - start == text.size() && std::equal(text.begin(), text.end(), bytes.begin() + start)) ++count;
        start = i + 1;
    }
    return count;
}

// The account ("Tovi") is four letters: in ASCII (its Big5 form too) or
// UTF-16 it would turn up in 400 KiB of machine code by chance about once
// in ten thousand builds, so any occurrence counts. The password ("906") is
// three ASCII digits, which code and tables hold by chance (in about one
// build in forty); what would give it away is the digits as a text of their
// own: a whole string, as `strings` shows it (ASCII and Big5 alike), or in
// UTF-16 (six bytes, never there by chance).
void CheckCredentials(const Bytes& bytes) {
    Check(bytes.size() > 100000, "the program file could be read (" + std::to_string(bytes.size()) + " bytes)");
    // The searches find texts that are there: a class name, a resource name.
    Check(Count(bytes, "TForm1") > 0 && CountAsWholeString(bytes, "TForm1") > 0,
          "the search finds the string \"TForm1\"");
    Check(Count(bytes, Utf16("MAINICON")) > 0, "the search finds the UTF-16 text \"MAINICON\"");

    Check(Count(bytes, "Tovi") == 0, "the account is not in the file in ASCII or Big5");
    Check(Count(bytes, Utf16("Tovi")) == 0, "the account is not in the file in UTF-16");
    Check(CountAsWholeString(bytes, "906") == 0, "the password is not in the file as a string in ASCII or Big5");
    Check(Count(bytes, Utf16("906")) == 0, "the password is not in the file in UTF-16");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc >= 3 ? argv[1] : "";
    const bool pe32 = argc == 4 && std::string(argv[3]) == "pe32";
    if ((what != "header" && what != "credentials") || (argc == 4 && !pe32) || argc > 4) {
        std::fprintf(stderr, "usage: image_check header|credentials PROGRAM.exe [pe32]\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (what == "header") CheckHeader(bytes, pe32);
    else CheckCredentials(bytes);
    return failures == 0 ? 0 : 1;
}
