#include "handle_count.h"

#include <windows.h>

#include <algorithm>
#include <commctrl.h>
#include <iterator>
#include <map>

#include "import_table.h"

namespace handle_count {

namespace {

DWORD countedThread = 0;             // the thread that installed: the program's
std::multimap<void*, Kind> handles;  // made and not yet freed

void Made(Kind kind, void* handle) {
    if (handle && GetCurrentThreadId() == countedThread) handles.emplace(handle, kind);
}
void Freed(void* handle) {
    const auto found = handles.find(handle);
    if (found != handles.end() && GetCurrentThreadId() == countedThread) handles.erase(found);
}

// Each call as the import table lists it: its parameters, how they are passed
// on, and what it makes or frees (a free counts when it returns nonzero).
#define MAKES(name, kind, params, args)                                            \
    void* system_##name = nullptr;                                                 \
    auto WINAPI Counted_##name params->decltype(::name args) {                     \
        const auto made = reinterpret_cast<decltype(&::name)>(system_##name) args; \
        Made(kind, made);                                                          \
        return made;                                                               \
    }
#define FREES(name, handle, params, args)                                           \
    void* system_##name = nullptr;                                                  \
    auto WINAPI Counted_##name params->decltype(::name args) {                      \
        const auto freed = reinterpret_cast<decltype(&::name)>(system_##name) args; \
        if (freed) Freed(handle);                                                   \
        return freed;                                                               \
    }
MAKES(CreateWindowExW, Kind::Window,
      (DWORD a, LPCWSTR b, LPCWSTR c, DWORD d, int e, int f, int g, int h, HWND i, HMENU j, HINSTANCE k, LPVOID l),
      (a, b, c, d, e, f, g, h, i, j, k, l))
MAKES(CreateFontIndirectW, Kind::Font, (const LOGFONTW* a), (a))
MAKES(CreateSolidBrush, Kind::OtherGdi, (COLORREF a), (a))
MAKES(CreateCompatibleBitmap, Kind::OtherGdi, (HDC a, int b, int c), (a, b, c))
MAKES(CreateBitmap, Kind::OtherGdi, (int a, int b, UINT c, UINT d, const void* e), (a, b, c, d, e))
MAKES(GetDC, Kind::DeviceContext, (HWND a), (a))
MAKES(CreateCompatibleDC, Kind::DeviceContext, (HDC a), (a))
MAKES(ImageList_Create, Kind::ImageList, (int a, int b, UINT c, int d, int e), (a, b, c, d, e))
// A shared icon (LR_SHARED) stays the system's and is never destroyed.
MAKES(LoadImageW, (f & LR_SHARED) || c != IMAGE_ICON ? Kind::Shared : Kind::Icon,
      (HINSTANCE a, LPCWSTR b, UINT c, int d, int e, UINT f), (a, b, c, d, e, f))
FREES(DeleteObject, a, (HGDIOBJ a), (a))
FREES(ReleaseDC, b, (HWND a, HDC b), (a, b))
FREES(DeleteDC, a, (HDC a), (a))
FREES(DestroyIcon, a, (HICON a), (a))
FREES(ImageList_Destroy, a, (HIMAGELIST a), (a))
#undef MAKES
#undef FREES

}  // namespace

void Install() {
    if (countedThread) return;  // a second time would redirect the counters to themselves
#define REDIRECT(name) {#name, reinterpret_cast<void*>(&Counted_##name), &system_##name}
    import_table::Redirection redirections[] = {REDIRECT(CreateWindowExW),    REDIRECT(CreateFontIndirectW),
                                                REDIRECT(CreateSolidBrush),   REDIRECT(CreateCompatibleBitmap),
                                                REDIRECT(CreateBitmap),       REDIRECT(GetDC),
                                                REDIRECT(CreateCompatibleDC), REDIRECT(ImageList_Create),
                                                REDIRECT(LoadImageW),         REDIRECT(DeleteObject),
                                                REDIRECT(ReleaseDC),          REDIRECT(DeleteDC),
                                                REDIRECT(DestroyIcon),        REDIRECT(ImageList_Destroy)};
#undef REDIRECT
    import_table::Redirect(redirections, std::size(redirections));
    countedThread = GetCurrentThreadId();
}

int Live(Kind kind) {
    // A window goes with its parent, with no call of its own.
    return static_cast<int>(std::count_if(handles.begin(), handles.end(), [kind](const auto& made) {
        return made.second == kind && (kind != Kind::Window || IsWindow(static_cast<HWND>(made.first)));
    }));
}

}  // namespace handle_count
