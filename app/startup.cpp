#include "startup.h"

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "system_library.h"

int RunGuarded(const std::function<void()>& steps) {
    return Application->Guarded(steps) && !Application->Failed() ? 0 : 1;
}

void StartSignInProgram() {
    SearchSystemFolderOnly();
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Application->Run();
}
