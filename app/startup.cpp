#include "startup.h"

#include <windows.h>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "system_error.h"
#include "system_library.h"

int RunGuarded(const std::function<void()>& steps) {
    return Application->Guarded(steps) && !Application->Failed() ? 0 : 1;
}

void StartSignInProgram() {
    // First: a corrupted heap ends the program at once rather than letting
    // it run on with what was written over it (subsystem 6.0 does not
    // promise that to a 32-bit program).
    if (!HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0))
        ThrowLastError("cannot have the heap end the program when it is corrupted");
    SearchSystemFolderOnly();
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Application->Run();
}
