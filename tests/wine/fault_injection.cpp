#include "fault_injection.h"

#include <windows.h>

#include <atomic>
#include <commctrl.h>
#include <cstring>
#include <imm.h>

#include "import_table.h"

namespace fault_injection {

namespace {

struct Counter {
    std::atomic<int> made{0};
    std::atomic<int> failAt{0};
};
Counter counters[kCalls];
std::atomic<DWORD> countedThread{0};
void* originals[kCalls] = {};
Observer observer = nullptr;
// Allocations count from WinMain's first call of interest,
// HeapSetInformation. Those before are the run-times' own start-up: the C
// run-time's copy of the command line, which it does not check, and the C++
// run-time's reserve for exceptions, which goes without.
bool programStarted = false;
bool observeSites = false;

// Counts a call on the counted thread, made from `site`; true when this one
// is to fail, with the call's error set as the system would.
bool Fails(Call call, const void* site = nullptr) {
    if (GetCurrentThreadId() != countedThread.load(std::memory_order_relaxed)) return false;
    if (call == Call::HeapSetInformation) programStarted = true;
    if (call == Call::malloc && !programStarted) return false;
    Counter& counter = counters[static_cast<int>(call)];
    const int made = ++counter.made;
    if (observeSites && site) observer(NameOf(call), -made, site);
    if (made != counter.failAt.load()) return false;
    observer(NameOf(call), made, site);
    SetLastError(ErrorOf(call));
    return true;
}

template <typename Function>
Function Original(Call call) {
    return reinterpret_cast<Function>(originals[static_cast<int>(call)]);
}

// Each call as the import table lists it: what it returns on failure, its
// parameters and how they are passed on.
#define HOOK(name, failure, params, args)                                   \
    auto WINAPI Faulty_##name params->decltype(::name args) {               \
        if (Fails(Call::name, __builtin_return_address(0))) return failure; \
        return Original<decltype(&::name)>(Call::name) args;                \
    }

HOOK(InitCommonControlsEx, FALSE, (const INITCOMMONCONTROLSEX* a), (a))
HOOK(RegisterClassExW, 0, (const WNDCLASSEXW* a), (a))
HOOK(LoadCursorW, nullptr, (HINSTANCE a, LPCWSTR b), (a, b))
HOOK(LoadImageW, nullptr, (HINSTANCE a, LPCWSTR b, UINT c, int d, int e, UINT f), (a, b, c, d, e, f))
HOOK(FindResourceW, nullptr, (HMODULE a, LPCWSTR b, LPCWSTR c), (a, b, c))
HOOK(LoadResource, nullptr, (HMODULE a, HRSRC b), (a, b))
HOOK(LockResource, nullptr, (HGLOBAL a), (a))
HOOK(SizeofResource, 0, (HMODULE a, HRSRC b), (a, b))
HOOK(CreateWindowExW, nullptr,
     (DWORD a, LPCWSTR b, LPCWSTR c, DWORD d, int e, int f, int g, int h, HWND i, HMENU j, HINSTANCE k, LPVOID l),
     (a, b, c, d, e, f, g, h, i, j, k, l))
#ifdef _WIN64
HOOK(SetWindowLongPtrW, 0, (HWND a, int b, LONG_PTR c), (a, b, c))
#else
HOOK(SetWindowLongW, 0, (HWND a, int b, LONG c), (a, b, c))
#endif
HOOK(HeapSetInformation, FALSE, (HANDLE a, HEAP_INFORMATION_CLASS b, PVOID c, SIZE_T d), (a, b, c, d))
HOOK(CreateFontIndirectW, nullptr, (const LOGFONTW* a), (a))
HOOK(CreateSolidBrush, nullptr, (COLORREF a), (a))
HOOK(GetDC, nullptr, (HWND a), (a))
HOOK(CreateCompatibleDC, nullptr, (HDC a), (a))
HOOK(CreateCompatibleBitmap, nullptr, (HDC a, int b, int c), (a, b, c))
HOOK(CreateBitmap, nullptr, (int a, int b, UINT c, UINT d, const void* e), (a, b, c, d, e))
HOOK(ImageList_Create, nullptr, (int a, int b, UINT c, int d, int e), (a, b, c, d, e))
HOOK(ImageList_Add, -1, (HIMAGELIST a, HBITMAP b, HBITMAP c), (a, b, c))
HOOK(SetWindowTextW, FALSE, (HWND a, LPCWSTR b), (a, b))
HOOK(GetWindowTextW, 0, (HWND a, LPWSTR b, int c), (a, b, c))
HOOK(SetWindowPos, FALSE, (HWND a, HWND b, int c, int d, int e, int f, UINT g), (a, b, c, d, e, f, g))
HOOK(SetTimer, 0, (HWND a, UINT_PTR b, UINT c, TIMERPROC d), (a, b, c, d))
HOOK(KillTimer, FALSE, (HWND a, UINT_PTR b), (a, b))
HOOK(MessageBoxW, 0, (HWND a, LPCWSTR b, LPCWSTR c, UINT d), (a, b, c, d))
HOOK(ImmAssociateContextEx, FALSE, (HWND a, HIMC b, DWORD c), (a, b, c))
HOOK(SelectObject, nullptr, (HDC a, HGDIOBJ b), (a, b))
HOOK(GetTextExtentPoint32W, FALSE, (HDC a, LPCWSTR b, int c, LPSIZE d), (a, b, c, d))
HOOK(GetTextMetricsW, FALSE, (HDC a, LPTEXTMETRICW b), (a, b))
HOOK(MultiByteToWideChar, 0, (UINT a, DWORD b, LPCCH c, int d, LPWSTR e, int f), (a, b, c, d, e, f))
HOOK(WideCharToMultiByte, 0, (UINT a, DWORD b, LPCWCH c, int d, LPSTR e, int f, LPCCH g, LPBOOL h),
     (a, b, c, d, e, f, g, h))
HOOK(LoadLibraryExW, nullptr, (LPCWSTR a, HANDLE b, DWORD c), (a, b, c))
HOOK(SetDllDirectoryW, FALSE, (LPCWSTR a), (a))
#undef HOOK

// Allocations: the run-time's operator new throws std::bad_alloc when malloc
// returns null. Counted without a site: there are hundreds, sampled instead.
void* __cdecl Faulty_malloc(size_t size) {
    if (Fails(Call::malloc)) return nullptr;
    return reinterpret_cast<void*(__cdecl*)(size_t)>(originals[static_cast<int>(Call::malloc)])(size);
}

// The calls found at run time, typed here: some systems' headers lack them.
// Those that return a status fail with it.
#define TYPED_HOOK(name, type, failure, params, args)                                                \
    type WINAPI Faulty_##name params {                                                               \
        if (Fails(Call::name, __builtin_return_address(0))) return failure;                          \
        return reinterpret_cast<type(WINAPI*) params>(originals[static_cast<int>(Call::name)]) args; \
    }
#define STATUS(name) static_cast<LONG>(ErrorOf(Call::name))
TYPED_HOOK(SetDefaultDllDirectories, BOOL, FALSE, (DWORD a), (a))
TYPED_HOOK(GetDpiForWindow, UINT, 0, (HWND a), (a))
TYPED_HOOK(GetSystemMetricsForDpi, int, 0, (int a, UINT b), (a, b))
TYPED_HOOK(CoInitializeEx, LONG, STATUS(CoInitializeEx), (void* a, DWORD b), (a, b))
TYPED_HOOK(CoCreateInstance, LONG, STATUS(CoCreateInstance), (REFCLSID a, void* b, DWORD c, REFIID d, void** e),
           (a, b, c, d, e))
TYPED_HOOK(BCryptOpenAlgorithmProvider, LONG, STATUS(BCryptOpenAlgorithmProvider),
           (void** a, LPCWSTR b, LPCWSTR c, ULONG d), (a, b, c, d))
TYPED_HOOK(BCryptGetProperty, LONG, STATUS(BCryptGetProperty),
           (void* a, LPCWSTR b, PUCHAR c, ULONG d, ULONG* e, ULONG f), (a, b, c, d, e, f))
TYPED_HOOK(BCryptCreateHash, LONG, STATUS(BCryptCreateHash),
           (void* a, void** b, PUCHAR c, ULONG d, PUCHAR e, ULONG f, ULONG g), (a, b, c, d, e, f, g))
TYPED_HOOK(BCryptHashData, LONG, STATUS(BCryptHashData), (void* a, PUCHAR b, ULONG c, ULONG d), (a, b, c, d))
TYPED_HOOK(BCryptFinishHash, LONG, STATUS(BCryptFinishHash), (void* a, PUCHAR b, ULONG c, ULONG d), (a, b, c, d))
#undef STATUS
#undef TYPED_HOOK

struct Replacement {
    Call call;
    const char* name;
    void* hook;
};
FARPROC WINAPI Faulty_GetProcAddress(HMODULE module, LPCSTR name);
#define REPLACEMENT(name, error) {Call::name, #name, reinterpret_cast<void*>(&Faulty_##name)},
const Replacement kImported[] = {FAULT_INJECTION_IMPORTED(REPLACEMENT)};
const Replacement kLookedUp[] = {FAULT_INJECTION_LOOKED_UP(REPLACEMENT)};
#undef REPLACEMENT

// Looks `name` up, and on the counted thread tells the observer and hands
// out the faulty replacement of a call of interest.
FARPROC WINAPI Faulty_GetProcAddress(HMODULE module, LPCSTR name) {
    if (Fails(Call::GetProcAddress, __builtin_return_address(0))) return nullptr;
    const FARPROC found = Original<decltype(&::GetProcAddress)>(Call::GetProcAddress)(module, name);
    if (GetCurrentThreadId() != countedThread.load() || IS_INTRESOURCE(name)) return found;
    observer(name, 0, nullptr);
    for (const Replacement& replacement : kLookedUp) {
        if (!found || std::strcmp(name, replacement.name) != 0) continue;
        originals[static_cast<int>(replacement.call)] = reinterpret_cast<void*>(found);
        return reinterpret_cast<FARPROC>(replacement.hook);
    }
    return found;
}

// Points every import-table entry of the program that names a call of
// interest at its replacement, keeping the system's address to call on.
void PatchImportTable(bool found[kCalls]) {
    constexpr size_t kCount = sizeof(kImported) / sizeof(kImported[0]);
    import_table::Redirection redirections[kCount];
    for (size_t i = 0; i < kCount; ++i)
        redirections[i] = {kImported[i].name, kImported[i].hook, &originals[static_cast<int>(kImported[i].call)]};
    import_table::Redirect(redirections, kCount);
    for (const Replacement& replacement : kImported)
        found[static_cast<int>(replacement.call)] = originals[static_cast<int>(replacement.call)] != nullptr;
}

}  // namespace

const char* NameOf(Call call) {
    static const char* const names[] = {
#define NAME(name, error) #name,
        FAULT_INJECTION_CALLS(NAME)
#undef NAME
    };
    return call == Call::Count ? "" : names[static_cast<int>(call)];
}

Call CallNamed(const std::string& name) {
    for (int i = 0; i < kCalls; ++i)
        if (name == NameOf(static_cast<Call>(i))) return static_cast<Call>(i);
    return Call::Count;
}

DWORD ErrorOf(Call call) {
    static const DWORD errors[] = {
#define ERROR_CODE(name, error) static_cast<DWORD>(error),
        FAULT_INJECTION_CALLS(ERROR_CODE)
#undef ERROR_CODE
    };
    return errors[static_cast<int>(call)];
}

std::string Install(Observer told, bool sites) {
    observer = told;
    observeSites = sites;
    bool found[kCalls] = {};
    PatchImportTable(found);
    std::string missing;
    for (const Replacement& replacement : kImported)
        if (!found[static_cast<int>(replacement.call)])
            missing += std::string(missing.empty() ? "" : " ") + replacement.name;
    countedThread = GetCurrentThreadId();  // last: nothing of ours is counted
    return missing;
}

int Made(Call call) { return counters[static_cast<int>(call)].made.load(); }

void FailAt(Call call, int nth) { counters[static_cast<int>(call)].failAt = nth; }

}  // namespace fault_injection
