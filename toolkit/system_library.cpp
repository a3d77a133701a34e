#include "system_library.h"

#include <string>

#include "library_entry.h"
#include "system_error.h"
#include "text_codec.h"

namespace {
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Systems without the search flags (Vista and 7 before their 2011 update)
// refuse them as an invalid parameter; there the library is named by its
// full path in the system folder.
UniqueModule LoadByFullPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return UniqueModule();
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}
}  // namespace

bool TrySearchSystemFolderOnly() {
    // The process's current folder leaves the search on every system.
    if (!SetDllDirectoryW(L"")) return false;
    const auto setDefault =
        LibraryEntry<SetDefaultDllDirectoriesFunction>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    // Without the call (an old system), every library the program loads
    // itself is named by its full path in the system folder; those that
    // system libraries load by name on its behalf are still looked for in
    // the program's folder first, unless they are known system libraries.
    return !setDefault || setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void ThrowSearchFailure(DWORD error) {
    SetLastError(error);
    ThrowLastError("cannot keep the program's folder out of the library search");
}

void SearchSystemFolderOnly() {
    if (!TrySearchSystemFolderOnly()) ThrowSearchFailure(GetLastError());
}

UniqueModule TryLoadSystemLibrary(const wchar_t* name) {
    UniqueModule module(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadByFullPath(name);
    return module;
}

UniqueModule LoadSystemLibrary(const wchar_t* name) {
    UniqueModule module = TryLoadSystemLibrary(name);
    if (!module) ThrowLastError(AnsiString("cannot load the system library ") + Big5FromWide(name));
    return module;
}
