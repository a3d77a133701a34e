#pragma once
// Fault injection in the shipped program: each system call of interest, and
// each allocation, can be made to fail on its Nth call. The calls are caught
// by patching the program's own import table (allocations at the C
// run-time's malloc, beneath operator new), and those the program looks up
// at run time by handing out a faulty replacement from the patched
// GetProcAddress, so the code under test is the program's as it ships, with
// no seam of its own. Only calls made on the thread that installed the
// patches are counted or failed.

#include <windows.h>

#include <string>

namespace fault_injection {

// Setting a window's procedure: SetWindowLongPtrW is a name for
// SetWindowLongW in the 32-bit headers and import table.
#ifdef _WIN64
#define FAULT_INJECTION_WINDOW_PROCEDURE(X) X(SetWindowLongPtrW, ERROR_INVALID_HOOK_HANDLE)
#else
#define FAULT_INJECTION_WINDOW_PROCEDURE(X) X(SetWindowLongW, ERROR_INVALID_HOOK_HANDLE)
#endif
// The calls that can be failed, and for each the reason it fails with: a
// system error code of its own (its NTSTATUS for bcrypt's, its HRESULT for
// COM's), so that a report can be told to come from that call.
#define FAULT_INJECTION_IMPORTED(X)                      \
    X(InitCommonControlsEx, ERROR_DLL_INIT_FAILED)       \
    X(RegisterClassExW, ERROR_NOT_ENOUGH_QUOTA)          \
    X(LoadCursorW, ERROR_RESOURCE_NAME_NOT_FOUND)        \
    X(LoadImageW, ERROR_RESOURCE_DATA_NOT_FOUND)         \
    X(FindResourceW, ERROR_RESOURCE_TYPE_NOT_FOUND)      \
    X(LoadResource, ERROR_RESOURCE_LANG_NOT_FOUND)       \
    X(LockResource, ERROR_INVALID_HANDLE)                \
    X(SizeofResource, ERROR_INVALID_DATA)                \
    X(CreateWindowExW, ERROR_CANNOT_FIND_WND_CLASS)      \
    FAULT_INJECTION_WINDOW_PROCEDURE(X)                  \
    X(HeapSetInformation, ERROR_INVALID_USER_BUFFER)     \
    X(ImmAssociateContextEx, ERROR_CALL_NOT_IMPLEMENTED) \
    X(CreateFontIndirectW, ERROR_GEN_FAILURE)            \
    X(CreateSolidBrush, ERROR_INVALID_ACCESS)            \
    X(GetDC, ERROR_DC_NOT_FOUND)                         \
    X(CreateCompatibleDC, ERROR_COMMITMENT_LIMIT)        \
    X(CreateCompatibleBitmap, ERROR_PAGEFILE_QUOTA)      \
    X(CreateBitmap, ERROR_WORKING_SET_QUOTA)             \
    X(SelectObject, ERROR_INVALID_FUNCTION)              \
    X(GetTextExtentPoint32W, ERROR_CAN_NOT_COMPLETE)     \
    X(GetTextMetricsW, ERROR_NOT_SUPPORTED)              \
    X(ImageList_Create, ERROR_NONPAGED_SYSTEM_RESOURCES) \
    X(ImageList_Add, ERROR_PAGED_SYSTEM_RESOURCES)       \
    X(SetWindowTextW, ERROR_ACCESS_DENIED)               \
    X(GetWindowTextW, ERROR_INVALID_WINDOW_HANDLE)       \
    X(SetWindowPos, ERROR_WINDOW_OF_OTHER_THREAD)        \
    X(SetTimer, ERROR_NO_SYSTEM_RESOURCES)               \
    X(KillTimer, ERROR_INVALID_PARAMETER)                \
    X(MessageBoxW, ERROR_NO_MORE_USER_HANDLES)           \
    X(MultiByteToWideChar, ERROR_NO_UNICODE_TRANSLATION) \
    X(WideCharToMultiByte, ERROR_INVALID_FLAGS)          \
    X(LoadLibraryExW, ERROR_MOD_NOT_FOUND)               \
    X(SetDllDirectoryW, ERROR_PATH_NOT_FOUND)            \
    X(GetProcAddress, ERROR_PROC_NOT_FOUND)              \
    X(malloc, ERROR_NOT_ENOUGH_MEMORY)
#define FAULT_INJECTION_LOOKED_UP(X)                           \
    X(SetDefaultDllDirectories, ERROR_BAD_ENVIRONMENT)         \
    X(GetDpiForWindow, ERROR_TIMEOUT)                          \
    X(GetSystemMetricsForDpi, ERROR_INVALID_INDEX)             \
    X(CoInitializeEx, E_UNEXPECTED)                            \
    X(CoCreateInstance, E_NOINTERFACE)                         \
    X(BCryptOpenAlgorithmProvider, 0xC0000225 /* not found */) \
    X(BCryptGetProperty, 0xC0000023 /* buffer too small */)    \
    X(BCryptCreateHash, 0xC0000017 /* no memory */)            \
    X(BCryptHashData, 0xC0000008 /* invalid handle */)         \
    X(BCryptFinishHash, 0xC00000E5 /* internal error */)
#define FAULT_INJECTION_CALLS(X) \
    FAULT_INJECTION_IMPORTED(X)  \
    FAULT_INJECTION_LOOKED_UP(X)

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
// The error the call fails with (what GetLastError then gives, or what it
// returns where it returns a status).
DWORD ErrorOf(Call call);

// Told, on the counted thread, of a fault as it is injected (the call and
// its count) and of every function looked up with GetProcAddress (its name,
// count 0); and, with `sites` set, of every call of interest but malloc
// with its count as a negative number and the address it returns to.
using Observer = void (*)(const char* name, int nth, const void* site);

// Patches the import table and starts counting the calling thread's calls.
// Returns the names of the imported calls it could not find in the import
// table.
std::string Install(Observer observer, bool sites = false);
// How many times `call` has been made so far on the counted thread.
int Made(Call call);
// Makes the `nth` call (counted from Install, from 1) of `call` fail.
void FailAt(Call call, int nth);

}  // namespace fault_injection
