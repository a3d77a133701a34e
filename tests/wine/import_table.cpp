#include "import_table.h"

#include <cstring>

namespace import_table {

void Redirect(Redirection* redirections, std::size_t count) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; module->Name; ++module) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            for (Redirection* redirection = redirections; redirection != redirections + count; ++redirection) {
                if (std::strcmp(name, redirection->name) != 0) continue;
                *redirection->original = reinterpret_cast<void*>(slots->u1.Function);
                DWORD protection = 0;
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &protection);
                slots->u1.Function = reinterpret_cast<decltype(slots->u1.Function)>(redirection->replacement);
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
            }
        }
    }
}

}  // namespace import_table
