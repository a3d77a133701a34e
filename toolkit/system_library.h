#pragma once
// System libraries loaded at run time from the system folder alone. A
// library that is not one of Windows' known system libraries (bcrypt.dll,
// for one) is otherwise looked for in the program's own folder first, where
// anyone who can write there could plant a library of the same name.

#include "win_handles.h"

// Keeps the program's folder and the current folder out of the search for
// every library loaded from now on (by the program or by the system's own
// libraries on its behalf): only the system folder is searched. Throws
// SystemFailure when the system refuses.
void SearchSystemFolderOnly();
// The same, for the first moments of the process, before anything that
// reports a failure is built: false when the system refuses (the reason in
// GetLastError).
bool TrySearchSystemFolderOnly();
// Throws SystemFailure for a refused restriction with the system's `error`.
[[noreturn]] void ThrowSearchFailure(DWORD error);

// `name` (a file name such as L"bcrypt.dll") from the system folder; throws
// SystemFailure naming it when it cannot be loaded.
UniqueModule LoadSystemLibrary(const wchar_t* name);
// The same for what the program does without: no module when it cannot be
// loaded (the reason in GetLastError).
UniqueModule TryLoadSystemLibrary(const wchar_t* name);
