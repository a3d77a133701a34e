#pragma once
// Redirects the test program's calls into system libraries without a seam in
// the code under test: each entry of the program's own import table that
// names one of the given functions is pointed at a replacement, and the
// system's address is handed back so that the replacement can call on. Only
// calls made through the program's import table are seen, not those a
// system library makes within itself.

#include <windows.h>

#include <cstddef>
#include <functional>

namespace import_table {

struct Redirection {
    const char* name;   // as the import table names it ("CreateWindowExW")
    void* replacement;  // called in its place from now on
    void** original;    // where the system's address goes; left as it is when the program does not import it
};

void Redirect(Redirection* redirections, std::size_t count);

// Each function imported by name by `module` (loaded, or a program file
// mapped as an image resource), with its library and its import slot.
void ForEachImport(HMODULE module,
                   const std::function<void(const char* library, const char* name, void** slot)>& visit);

}  // namespace import_table
