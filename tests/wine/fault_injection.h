#pragma once
// Fault injection for a test program: each system call of interest, and the
// global operator new, can be made to fail on its Nth call. The calls are
// caught by patching the program's own import table, so the code under test
// is the program's as it ships, with no seam of its own. Only calls made on
// the thread that installed the patches are counted or failed.

#include <windows.h>

#include <string>

namespace fault_injection {

// The calls that can be failed, and for each the reason the system gives.
#define FAULT_INJECTION_CALLS(X)                       \
    X(InitCommonControlsEx, ERROR_NOT_ENOUGH_MEMORY)   \
    X(RegisterClassExW, ERROR_NOT_ENOUGH_MEMORY)       \
    X(LoadCursorW, ERROR_RESOURCE_NAME_NOT_FOUND)      \
    X(LoadImageW, ERROR_RESOURCE_DATA_NOT_FOUND)       \
    X(FindResourceW, ERROR_RESOURCE_NAME_NOT_FOUND)    \
    X(LoadResource, ERROR_NOT_ENOUGH_MEMORY)           \
    X(LockResource, ERROR_INVALID_HANDLE)              \
    X(SizeofResource, ERROR_INVALID_HANDLE)            \
    X(CreateWindowExW, ERROR_NOT_ENOUGH_MEMORY)        \
    X(SetWindowSubclass, ERROR_NOT_ENOUGH_MEMORY)      \
    X(CreateFontIndirectW, ERROR_NOT_ENOUGH_MEMORY)    \
    X(CreateSolidBrush, ERROR_NOT_ENOUGH_MEMORY)       \
    X(GetDC, ERROR_NOT_ENOUGH_MEMORY)                  \
    X(CreateCompatibleDC, ERROR_NOT_ENOUGH_MEMORY)     \
    X(CreateCompatibleBitmap, ERROR_NOT_ENOUGH_MEMORY) \
    X(CreateBitmap, ERROR_NOT_ENOUGH_MEMORY)           \
    X(ImageList_Create, ERROR_NOT_ENOUGH_MEMORY)       \
    X(ImageList_Add, ERROR_NOT_ENOUGH_MEMORY)          \
    X(SetWindowTextW, ERROR_NOT_ENOUGH_MEMORY)         \
    X(GetWindowTextW, ERROR_NOT_ENOUGH_MEMORY)         \
    X(SetWindowPos, ERROR_NOT_ENOUGH_MEMORY)           \
    X(SetTimer, ERROR_NO_SYSTEM_RESOURCES)             \
    X(KillTimer, ERROR_INVALID_HANDLE)                 \
    X(MessageBoxW, ERROR_NOT_ENOUGH_MEMORY)            \
    X(OperatorNew, ERROR_NOT_ENOUGH_MEMORY)

enum class Call {
#define FAULT_INJECTION_ENUM(name, error) name,
    FAULT_INJECTION_CALLS(FAULT_INJECTION_ENUM)
#undef FAULT_INJECTION_ENUM
        Count
};
constexpr int kCalls = static_cast<int>(Call::Count);

const char* NameOf(Call call);
// The call named so; Call::Count if none is.
Call CallNamed(const std::string& name);
// The error the call fails with (what GetLastError then gives).
DWORD ErrorOf(Call call);

// Patches the import table and starts counting the calling thread's calls.
// Returns the names of the calls it could not find in the import table.
std::string Install();
// How many times `call` has been made so far on the counted thread.
int Made(Call call);
// Makes the `nth` call (counted from Install, from 1) of `call` fail.
void FailAt(Call call, int nth);

}  // namespace fault_injection
