#include "handle_count.h"

#include <windows.h>

#include <algorithm>
#include <commctrl.h>
#include <map>
#include <utility>
#include <vector>

#include "import_table.h"

namespace handle_count {

namespace {

SRWLOCK lock = SRWLOCK_INIT;
std::vector<HWND> windows;                     // made; live while IsWindow
std::multimap<const void*, Kind> madeHandles;  // made and not yet freed

struct Locked {
    Locked() { AcquireSRWLockExclusive(&lock); }
    ~Locked() { ReleaseSRWLockExclusive(&lock); }
};

void Made(Kind kind, const void* handle) {
    const Locked locked;
    if (handle) madeHandles.emplace(handle, kind);
}

// A successful free of a counted handle of one of the kinds the call frees.
void Freed(bool succeeded, const void* handle, Kind kind, Kind orKind) {
    const Locked locked;
    if (!succeeded) return;
    const auto [first, last] = madeHandles.equal_range(handle);
    for (auto it = first; it != last; ++it)
        if (it->second == kind || it->second == orKind) {
            madeHandles.erase(it);
            return;
        }
}

#define COUNTED_CALLS(X)      \
    X(CreateWindowExW)        \
    X(CreateFontIndirectW)    \
    X(CreateSolidBrush)       \
    X(CreateCompatibleBitmap) \
    X(CreateBitmap)           \
    X(DeleteObject)           \
    X(GetDC)                  \
    X(ReleaseDC)              \
    X(CreateCompatibleDC)     \
    X(DeleteDC)               \
    X(LoadImageW)             \
    X(DestroyIcon)            \
    X(ImageList_Create)       \
    X(ImageList_Destroy)

enum Counted {
#define COUNTED_ENUM(name) k##name,
    COUNTED_CALLS(COUNTED_ENUM)
#undef COUNTED_ENUM
        kCountedCalls
};
// The system's functions the import table named, to call on.
void* originals[kCountedCalls] = {};
#define SYSTEM(name) reinterpret_cast<decltype(&::name)>(originals[k##name])

HWND WINAPI Counted_CreateWindowExW(DWORD exStyle, LPCWSTR windowClass, LPCWSTR text, DWORD style, int x, int y,
                                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                    LPVOID parameter) {
    HWND made = SYSTEM(CreateWindowExW)(exStyle, windowClass, text, style, x, y, width, height, parent, menu, instance,
                                        parameter);
    const Locked locked;
    if (made) windows.push_back(made);
    return made;
}
HFONT WINAPI Counted_CreateFontIndirectW(const LOGFONTW* font) {
    HFONT made = SYSTEM(CreateFontIndirectW)(font);
    Made(Kind::Font, made);
    return made;
}
HBRUSH WINAPI Counted_CreateSolidBrush(COLORREF color) {
    HBRUSH made = SYSTEM(CreateSolidBrush)(color);
    Made(Kind::OtherGdi, made);
    return made;
}
HBITMAP WINAPI Counted_CreateCompatibleBitmap(HDC dc, int width, int height) {
    HBITMAP made = SYSTEM(CreateCompatibleBitmap)(dc, width, height);
    Made(Kind::OtherGdi, made);
    return made;
}
HBITMAP WINAPI Counted_CreateBitmap(int width, int height, UINT planes, UINT bits, const void* data) {
    HBITMAP made = SYSTEM(CreateBitmap)(width, height, planes, bits, data);
    Made(Kind::OtherGdi, made);
    return made;
}
BOOL WINAPI Counted_DeleteObject(HGDIOBJ object) {
    const BOOL deleted = SYSTEM(DeleteObject)(object);
    Freed(deleted, object, Kind::Font, Kind::OtherGdi);
    return deleted;
}
HDC WINAPI Counted_GetDC(HWND window) {
    HDC made = SYSTEM(GetDC)(window);
    Made(Kind::DeviceContext, made);
    return made;
}
int WINAPI Counted_ReleaseDC(HWND window, HDC dc) {
    const int released = SYSTEM(ReleaseDC)(window, dc);
    Freed(released == 1, dc, Kind::DeviceContext, Kind::DeviceContext);
    return released;
}
HDC WINAPI Counted_CreateCompatibleDC(HDC reference) {
    HDC made = SYSTEM(CreateCompatibleDC)(reference);
    Made(Kind::DeviceContext, made);
    return made;
}
BOOL WINAPI Counted_DeleteDC(HDC dc) {
    const BOOL deleted = SYSTEM(DeleteDC)(dc);
    Freed(deleted, dc, Kind::DeviceContext, Kind::DeviceContext);
    return deleted;
}
HANDLE WINAPI Counted_LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags) {
    HANDLE made = SYSTEM(LoadImageW)(instance, name, type, width, height, flags);
    // A shared icon stays the system's: it is never destroyed.
    if (type == IMAGE_ICON && !(flags & LR_SHARED)) Made(Kind::Icon, made);
    return made;
}
BOOL WINAPI Counted_DestroyIcon(HICON icon) {
    const BOOL destroyed = SYSTEM(DestroyIcon)(icon);
    Freed(destroyed, icon, Kind::Icon, Kind::Icon);
    return destroyed;
}
HIMAGELIST WINAPI Counted_ImageList_Create(int width, int height, UINT flags, int initial, int grow) {
    HIMAGELIST made = SYSTEM(ImageList_Create)(width, height, flags, initial, grow);
    Made(Kind::ImageList, made);
    return made;
}
BOOL WINAPI Counted_ImageList_Destroy(HIMAGELIST list) {
    const BOOL destroyed = SYSTEM(ImageList_Destroy)(list);
    Freed(destroyed, list, Kind::ImageList, Kind::ImageList);
    return destroyed;
}

}  // namespace

const char* NameOf(Kind kind) {
    static const char* const names[] = {"windows", "fonts",       "other GDI objects",
                                        "icons",   "image lists", "device contexts"};
    return names[static_cast<int>(kind)];
}

void Install() {
    static bool installed = false;  // a second time would redirect to the counters themselves
    if (std::exchange(installed, true)) return;
    import_table::Redirection redirections[] = {
#define COUNTED_REDIRECTION(name) {#name, reinterpret_cast<void*>(&Counted_##name), nullptr},
        COUNTED_CALLS(COUNTED_REDIRECTION)
#undef COUNTED_REDIRECTION
    };
    import_table::Redirect(redirections);
    for (int i = 0; i < kCountedCalls; ++i) originals[i] = redirections[i].original;
}

int Live(Kind kind) {
    const Locked locked;
    if (kind == Kind::Window)
        return static_cast<int>(std::count_if(windows.begin(), windows.end(), [](HWND w) { return IsWindow(w); }));
    return static_cast<int>(std::count_if(madeHandles.begin(), madeHandles.end(),
                                          [kind](const auto& made) { return made.second == kind; }));
}

}  // namespace handle_count
