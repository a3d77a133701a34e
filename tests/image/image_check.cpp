// Checks of the built program file itself, read as bytes:
//
//   image_check header PROGRAM.exe
//     The PE header asks for every protection the toolchain gives: a
//     relocatable image (with its relocations), no-execute data, no SEH
//     handlers declared (or a SafeSEH table), no section both writable and
//     executable, and imports from Windows system libraries only.
//   image_check credentials PROGRAM.exe
//     Neither the accepted account nor its password is in the file as text,
//     in ASCII (which is also their Big5 form) or UTF-16.
//
// Prints each failed check and ends with 1 if any failed.

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "input_events.h"

namespace {

int failures = 0;

void Check(bool holds, const std::string& what) {
    std::printf("%s: %s\n", holds ? "ok" : "FAILED", what.c_str());
    if (!holds) ++failures;
}

std::vector<unsigned char> ReadWhole(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    unsigned char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    CloseHandle(file);
    return bytes;
}

// ---- a small PE reader ----

struct Image {
    const std::vector<unsigned char>& bytes;
    const IMAGE_NT_HEADERS32* nt = nullptr;
    const IMAGE_SECTION_HEADER* sections = nullptr;
    int sectionCount = 0;

    explicit Image(const std::vector<unsigned char>& file) : bytes(file) {
        if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return;
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
        if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0 ||
            static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > bytes.size())
            return;
        const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
        if (headers->Signature != IMAGE_NT_SIGNATURE || headers->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
            return;
        const size_t table = static_cast<size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                             headers->FileHeader.SizeOfOptionalHeader;
        sectionCount = headers->FileHeader.NumberOfSections;
        if (table + sectionCount * sizeof(IMAGE_SECTION_HEADER) > bytes.size()) return;
        sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(bytes.data() + table);
        nt = headers;
    }

    const IMAGE_DATA_DIRECTORY& Directory(int index) const { return nt->OptionalHeader.DataDirectory[index]; }

    // The file bytes at a relative virtual address, with at least `size`
    // bytes of the same section after it; null when there are none.
    const unsigned char* At(DWORD rva, size_t size) const {
        for (int i = 0; i < sectionCount; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva < s.VirtualAddress || rva - s.VirtualAddress + size > s.SizeOfRawData) continue;
            const size_t offset = s.PointerToRawData + (rva - s.VirtualAddress);
            if (offset + size > bytes.size()) return nullptr;
            return bytes.data() + offset;
        }
        return nullptr;
    }

    std::string NameAt(DWORD rva) const {
        std::string name;
        for (const unsigned char* c = At(rva, 1); c && *c && name.size() < 256; c = At(++rva, 1))
            name.push_back(static_cast<char>(*c));
        return name;
    }

    // The names of the DLLs the image imports from, directly or delayed.
    std::vector<std::string> ImportedLibraries() const {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY& imports = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
        for (DWORD at = imports.VirtualAddress; imports.Size; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* entry =
                reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(At(at, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
            if (!entry || entry->Name == 0) break;
            names.push_back(NameAt(entry->Name));
        }
        const IMAGE_DATA_DIRECTORY& delayed = Directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
        for (DWORD at = delayed.VirtualAddress; delayed.Size; at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
            const auto* entry =
                reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR*>(At(at, sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)));
            if (!entry || entry->DllNameRVA == 0) break;
            names.push_back(NameAt(entry->DllNameRVA));
        }
        return names;
    }

    // The number of handlers in the SafeSEH table of the load configuration.
    DWORD SafeSehHandlers() const {
        const IMAGE_DATA_DIRECTORY& config = Directory(IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG);
        const size_t needed = offsetof(IMAGE_LOAD_CONFIG_DIRECTORY32, SEHandlerCount) + sizeof(DWORD);
        if (config.Size < needed) return 0;
        const auto* load = reinterpret_cast<const IMAGE_LOAD_CONFIG_DIRECTORY32*>(At(config.VirtualAddress, needed));
        return load && load->SEHandlerTable ? load->SEHandlerCount : 0;
    }
};

// Libraries that are part of every Windows: the program may need nothing else.
bool IsSystemLibrary(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    static const char* const kSystem[] = {"kernel32.dll", "user32.dll",  "gdi32.dll",    "comctl32.dll", "advapi32.dll",
                                          "bcrypt.dll",   "msvcrt.dll",  "ntdll.dll",    "shell32.dll",  "ole32.dll",
                                          "oleaut32.dll", "uxtheme.dll", "comdlg32.dll", "imm32.dll",    "version.dll"};
    for (const char* system : kSystem)
        if (name == system) return true;
    return name.rfind("api-ms-win-", 0) == 0;
}

void CheckHeader(const std::vector<unsigned char>& bytes) {
    const Image image(bytes);
    Check(image.nt != nullptr, "the file is a 32-bit PE image");
    if (!image.nt) return;
    const WORD characteristics = image.nt->OptionalHeader.DllCharacteristics;
    char flags[16];
    std::snprintf(flags, sizeof(flags), "0x%04X", characteristics);
    Check(characteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE,
          std::string("the image can be loaded anywhere (DYNAMIC_BASE in ") + flags + ")");
    Check(characteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT,
          std::string("its data is not executable (NX_COMPAT in ") + flags + ")");
    const DWORD safeSeh = image.SafeSehHandlers();
    Check((characteristics & IMAGE_DLLCHARACTERISTICS_NO_SEH) || safeSeh > 0,
          std::string("it declares no SEH handlers (NO_SEH in ") + flags + ") or lists them (SafeSEH table of " +
              std::to_string(safeSeh) + ")");
    Check(!(image.nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED),
          "its relocations are not stripped (no RELOCS_STRIPPED)");
    const IMAGE_DATA_DIRECTORY& relocations = image.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
    Check(relocations.Size > 0 && image.At(relocations.VirtualAddress, relocations.Size) != nullptr,
          "it carries its relocations (" + std::to_string(relocations.Size) + " bytes)");
    for (int i = 0; i < image.sectionCount; ++i) {
        const IMAGE_SECTION_HEADER& section = image.sections[i];
        const std::string name(reinterpret_cast<const char*>(section.Name),
                               strnlen(reinterpret_cast<const char*>(section.Name), IMAGE_SIZEOF_SHORT_NAME));
        const bool writable = section.Characteristics & IMAGE_SCN_MEM_WRITE;
        const bool executable = section.Characteristics & IMAGE_SCN_MEM_EXECUTE;
        Check(!(writable && executable), "section " + name + " is not both writable and executable");
    }
    const std::vector<std::string> libraries = image.ImportedLibraries();
    Check(!libraries.empty(), "the import table can be read");
    for (const std::string& library : libraries)
        Check(IsSystemLibrary(library), "imports from " + library + ", a Windows system library");
}

// ---- texts in the file ----

size_t Count(const std::vector<unsigned char>& bytes, const std::string& pattern) {
    size_t count = 0;
    for (auto at = bytes.begin();; ++at) {
        at = std::search(at, bytes.end(), pattern.begin(), pattern.end());
        if (at == bytes.end()) return count;
        ++count;
    }
}

std::string Utf16Bytes(const std::string& ascii) {
    std::string wide;
    for (char c : ascii) wide += std::string{c, '\0'};
    return wide;
}

// How many times `text` is a whole run of printable ASCII characters: what
// `strings -a -n 3` shows as a line of its own.
size_t CountAsWholeString(const std::vector<unsigned char>& bytes, const std::string& text) {
    const auto printable = [](unsigned char c) { return c == '\t' || (c >= 0x20 && c < 0x7F); };
    size_t count = 0, start = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && printable(bytes[i])) continue;
        if (i - start == text.size() && std::equal(text.begin(), text.end(), bytes.begin() + start)) ++count;
        start = i + 1;
    }
    return count;
}

// The account ("Tovi") is four letters: as ASCII (its Big5 form too) or
// UTF-16 it would turn up in 400 KiB of machine code by chance about once in
// ten thousand builds, so any occurrence counts. The password ("906") is
// three ASCII digits, which code and tables hold by chance (a build in
// forty); what would give it away is the digits as a text: a string of
// their own, as `strings` finds them (ASCII and Big5 alike), or in UTF-16
// (six bytes, never there by chance).
void CheckCredentials(const std::vector<unsigned char>& bytes) {
    Check(bytes.size() > 100000, "the program file could be read (" + std::to_string(bytes.size()) + " bytes)");
    // The searches find texts that are there: a class name, a resource name.
    Check(Count(bytes, "TForm1") > 0 && CountAsWholeString(bytes, "TForm1") > 0,
          "the search finds the text \"TForm1\"");
    Check(Count(bytes, Utf16Bytes("MAINICON")) > 0, "the search finds the UTF-16 text \"MAINICON\"");

    Check(Count(bytes, "Tovi") == 0, "the account is not in the file as ASCII or Big5");
    Check(Count(bytes, Utf16Bytes("Tovi")) == 0, "the account is not in the file as UTF-16");
    Check(CountAsWholeString(bytes, "906") == 0, "the password is not in the file as a string in ASCII or Big5");
    Check(Count(bytes, Utf16Bytes("906")) == 0, "the password is not in the file as UTF-16");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring what = argc == 3 ? argv[1] : L"";
    if (what != L"header" && what != L"credentials") {
        std::printf("usage: image_check header|credentials PROGRAM.exe\n");
        return 2;
    }
    const std::vector<unsigned char> bytes = ReadWhole(input_events::WindowsPath(argv[2]));
    if (what == L"header") CheckHeader(bytes);
    else CheckCredentials(bytes);
    return failures == 0 ? 0 : 1;
}
