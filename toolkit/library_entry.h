#pragma once
// A function of a system library, found at run time: for what some
// systems lack, or what start-up does without.

#include <windows.h>

// The function `name` of `module` as `Function`, or null where the library
// has none. Cast through void(*)(), from which a cast to any function type
// is not warned about.
template <typename Function>
Function LibraryEntry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
