// Reads the manifest (resource 1 of type RT_MANIFEST) out of the built
// program and checks how it declares its screen-resolution awareness: the
// element Windows 10 and 11 read (per-monitor version 2, else per-monitor)
// and the one older systems read ("true/pm": per-monitor on Windows 8.1,
// system-aware on Windows 7 and 8, which look only at the leading "true").
// Commented-out declarations do not count.
//
//   manifest_test PROGRAM.exe

#include <windows.h>

#include <cstdio>
#include <regex>
#include <string>

#include "input_events.h"

namespace {

std::string WithoutComments(std::string xml) {
    for (size_t start; (start = xml.find("<!--")) != std::string::npos;) {
        const size_t end = xml.find("-->", start + 4);
        xml.erase(start, end == std::string::npos ? std::string::npos : end + 3 - start);
    }
    return xml;
}

// The text between the first `open` and the next `close` after it; empty
// when either is missing.
std::string Between(const std::string& xml, const std::string& open, const std::string& close) {
    const size_t start = xml.find(open);
    if (start == std::string::npos) return {};
    const size_t end = xml.find(close, start + open.size());
    return end == std::string::npos ? std::string() : xml.substr(start + open.size(), end - start - open.size());
}

size_t Count(const std::string& xml, const std::string& what) {
    size_t count = 0;
    for (size_t at = xml.find(what); at != std::string::npos; at = xml.find(what, at + 1)) ++count;
    return count;
}

// Checks that `settings` holds exactly one element `name` in namespace
// `ns` whose text is `value`; prints what is wrong.
bool Declares(const std::string& whole, const std::string& settings, const std::string& name, const std::string& ns,
              const std::string& value) {
    if (Count(whole, "<" + name + " ") + Count(whole, "<" + name + ">") != 1) {
        std::printf("FAILED: <%s> is not declared exactly once\n", name.c_str());
        return false;
    }
    const std::regex element("<" + name + R"re(\s+xmlns="([^"]*)"\s*>\s*([^<]*?)\s*</)re" + name + ">");
    std::smatch found;
    if (!std::regex_search(settings, found, element)) {
        std::printf("FAILED: no <%s xmlns=...> inside <windowsSettings> of the asm.v3 <application>\n", name.c_str());
        return false;
    }
    std::printf("%s (%s): \"%s\"\n", name.c_str(), found[1].str().c_str(), found[2].str().c_str());
    if (found[1] != ns || found[2] != value) {
        std::printf("FAILED: expected <%s xmlns=\"%s\">%s</%s>\n", name.c_str(), ns.c_str(), value.c_str(),
                    name.c_str());
        return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::printf("usage: manifest_test PROGRAM.exe\n");
        return 2;
    }
    const std::wstring path = input_events::WindowsPath(argv[1]);
    HMODULE program = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!program) {
        std::printf("FAILED: cannot open the program (error %lu)\n", GetLastError());
        return 1;
    }
    HRSRC resource = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    const void* data = resource ? LockResource(LoadResource(program, resource)) : nullptr;
    if (!data) {
        std::printf("FAILED: the program has no manifest resource 1\n");
        return 1;
    }
    const std::string xml =
        WithoutComments(std::string(static_cast<const char*>(data), SizeofResource(program, resource)));
    const std::string application =
        Between(xml, R"(<application xmlns="urn:schemas-microsoft-com:asm.v3">)", "</application>");
    const std::string settings = Between(application, "<windowsSettings>", "</windowsSettings>");
    bool ok = Declares(xml, settings, "dpiAwareness", "http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                       "PerMonitorV2, PerMonitor");
    ok = Declares(xml, settings, "dpiAware", "http://schemas.microsoft.com/SMI/2005/WindowsSettings", "true/pm") && ok;
    FreeLibrary(program);
    return ok ? 0 : 1;
}
