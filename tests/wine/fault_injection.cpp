#include "fault_injection.h"

#include <windows.h>

#include <atomic>
#include <commctrl.h>
#include <cstdlib>
#include <new>

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

// Counts a call on the counted thread; true when this one is to fail, with
// the call's error set as the system would.
bool Fails(Call call) {
    if (GetCurrentThreadId() != countedThread.load(std::memory_order_relaxed)) return false;
    Counter& counter = counters[static_cast<int>(call)];
    const int made = ++counter.made;
    if (made != counter.failAt.load()) return false;
    SetLastError(ErrorOf(call));
    return true;
}

template <typename Function>
Function Original(Call call) {
    return reinterpret_cast<Function>(originals[static_cast<int>(call)]);
}

// Each call as the import table lists it: what it returns on failure, its
// parameters and how they are passed on.
#define HOOK(name, failure, params, args)                     \
    auto WINAPI Faulty_##name params->decltype(::name args) { \
        if (Fails(Call::name)) return failure;                \
        return Original<decltype(&::name)>(Call::name) args;  \
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
HOOK(SetWindowSubclass, FALSE, (HWND a, SUBCLASSPROC b, UINT_PTR c, DWORD_PTR d), (a, b, c, d))
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
#undef HOOK

struct Replacement {
    Call call;
    const char* name;
    void* hook;
};
#define REPLACEMENT(name, error) {Call::name, #name, reinterpret_cast<void*>(&Faulty_##name)},
void Faulty_OperatorNew() {}  // operator new is replaced by definition, below
const Replacement kReplacements[] = {FAULT_INJECTION_CALLS(REPLACEMENT)};
#undef REPLACEMENT

// Points every import-table entry of the program that names a call of
// interest at its replacement, keeping the system's address to call on.
void PatchImportTable(bool found[kCalls]) {
    import_table::Redirection redirections[kCalls];
    for (int i = 0; i < kCalls; ++i) redirections[i] = {kReplacements[i].name, kReplacements[i].hook, &originals[i]};
    // operator new is replaced by definition: no import names it.
    import_table::Redirect(redirections, kCalls);
    for (int i = 0; i < kCalls; ++i)
        if (originals[i]) found[i] = true;
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
#define ERROR_CODE(name, error) error,
        FAULT_INJECTION_CALLS(ERROR_CODE)
#undef ERROR_CODE
    };
    return errors[static_cast<int>(call)];
}

std::string Install() {
    bool found[kCalls] = {};
    found[static_cast<int>(Call::OperatorNew)] = true;
    PatchImportTable(found);
    std::string missing;
    for (int i = 0; i < kCalls; ++i)
        if (!found[i]) missing += std::string(missing.empty() ? "" : " ") + NameOf(static_cast<Call>(i));
    countedThread = GetCurrentThreadId();  // last: nothing of ours is counted
    return missing;
}

int Made(Call call) { return counters[static_cast<int>(call)].made.load(); }

void FailAt(Call call, int nth) { counters[static_cast<int>(call)].failAt = nth; }

}  // namespace fault_injection

// The program's allocations, counted and failed like the system calls.
void* operator new(std::size_t size) {
    if (fault_injection::Fails(fault_injection::Call::OperatorNew)) throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
