// The sign-in program's entry. It takes no notice of its arguments.

#include <windows.h>

#include "startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunGuarded(StartSignInProgram); }
