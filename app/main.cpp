// The sign-in program's entry. It takes no notice of its arguments.

#include <windows.h>

#include "startup.h"
#include "system_library.h"

namespace {
// Runs before every other constructor of the program, the stack
// protector's among them: that one asks the system's cryptography for its
// random guard, which loads system libraries, which load theirs; by then
// the search must leave out the program's folder. A failure here is
// reported at the start of WinMain, where the same call is made again.
__attribute__((constructor(101))) void SearchSystemFolderFirstThing() { TrySearchSystemFolderOnly(); }
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunGuarded(StartSignInProgram); }
