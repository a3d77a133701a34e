#include "import_table.h"

#include <cstring>

namespace import_table {

void ForEachImport(HMODULE module, const std::function<void(const char*, const char*, void**)>& visit) {
    // A module mapped as an image resource is handed out with its low bits set.
    auto* base = reinterpret_cast<BYTE*>(reinterpret_cast<ULONG_PTR>(module) & ~static_cast<ULONG_PTR>(3));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); library->Name;
         ++library) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots)
            if (!IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                visit(reinterpret_cast<const char*>(base + library->Name),
                      reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name,
                      reinterpret_cast<void**>(&slots->u1.Function));
    }
}

void Redirect(Redirection* redirections, std::size_t count) {
    ForEachImport(GetModuleHandleW(nullptr), [=](const char*, const char* name, void** slot) {
        for (Redirection* redirection = redirections; redirection != redirections + count; ++redirection) {
            if (std::strcmp(name, redirection->name) != 0) continue;
            *redirection->original = *slot;
            DWORD protection = 0;
            VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
            *slot = redirection->replacement;
            VirtualProtect(slot, sizeof(*slot), protection, &protection);
        }
    });
}

}  // namespace import_table
