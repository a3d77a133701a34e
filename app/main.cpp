// The sign-in program's entry. It takes no notice of its arguments.

#include <windows.h>

#include "startup.h"
#include "system_library.h"

namespace {
// What the first restriction of the library search failed with (0 when it
// held). Libraries loaded between then and WinMain may have come from the
// program's folder, so WinMain reports it even when its own restriction
// holds.
DWORD earlySearchFailure = 0;

// Runs before every other constructor of the program, the stack
// protector's among them: that one asks the system's cryptography for its
// random guard, which loads system libraries, which load theirs; by then
// the search must leave out the program's folder. The application object,
// which reports failures, is not built yet.
__attribute__((constructor(101))) void SearchSystemFolderFirstThing() {
    if (!TrySearchSystemFolderOnly()) earlySearchFailure = GetLastError();
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunGuarded([] {
        if (earlySearchFailure) ThrowSearchFailure(earlySearchFailure);
        StartSignInProgram();
    });
}
