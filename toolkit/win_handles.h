#pragma once
// Owners of Win32 handles. Each frees its handle exactly once, when it goes.

#include <windows.h>
#include <commctrl.h>

#include <utility>

// Live handles of each kind. A test build (SIGNIN_COUNT_HANDLES) counts them,
// so its tests can show that every handle the toolkit makes is freed when
// its owner goes; the program itself counts nothing.
enum class HandleKind { Window, Gdi, Icon, ImageList, DeviceContext, Kinds };
#ifdef SIGNIN_COUNT_HANDLES
int& LiveHandles(HandleKind kind);
inline void CountHandle(HandleKind kind, const void* handle, int delta) {
    if (handle) LiveHandles(kind) += delta;
}
#else
inline void CountHandle(HandleKind, const void*, int) {}
#endif

// Owns one handle of a kind: frees it with `Free` when the owner goes or
// when it is replaced, and never twice.
template <typename Handle, HandleKind kKind, void (*Free)(Handle)>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) { CountHandle(kKind, handle, +1); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ~OwnedHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (handle_) Free(handle_);
        CountHandle(kKind, handle_, -1);
        CountHandle(kKind, handle, +1);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

namespace handle_release {
// A child window is also destroyed by its parent's DestroyWindow, so the
// order in which a window and its children are released does not matter.
inline void Window(HWND hwnd) {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
}
template <typename T>
void GdiObject(T object) { DeleteObject(object); }
inline void Icon(HICON icon) { DestroyIcon(icon); }
inline void ImageList(HIMAGELIST list) { ImageList_Destroy(list); }
}  // namespace handle_release

using WindowHandle = OwnedHandle<HWND, HandleKind::Window, handle_release::Window>;
using FontHandle = OwnedHandle<HFONT, HandleKind::Gdi, handle_release::GdiObject<HFONT>>;
using BrushHandle = OwnedHandle<HBRUSH, HandleKind::Gdi, handle_release::GdiObject<HBRUSH>>;
using BitmapHandle = OwnedHandle<HBITMAP, HandleKind::Gdi, handle_release::GdiObject<HBITMAP>>;
// An icon made at run time (not a shared resource icon).
using IconHandle = OwnedHandle<HICON, HandleKind::Icon, handle_release::Icon>;
using ImageListHandle = OwnedHandle<HIMAGELIST, HandleKind::ImageList, handle_release::ImageList>;

// A device context obtained with GetDC, released with ReleaseDC.
class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) { CountHandle(HandleKind::DeviceContext, dc_, +1); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    ~ScreenDC() {
        if (dc_) ReleaseDC(nullptr, dc_);
        CountHandle(HandleKind::DeviceContext, dc_, -1);
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// A memory device context made with CreateCompatibleDC, deleted with DeleteDC.
class MemoryDC {
public:
    explicit MemoryDC(HDC reference) : dc_(CreateCompatibleDC(reference)) {
        CountHandle(HandleKind::DeviceContext, dc_, +1);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
        CountHandle(HandleKind::DeviceContext, dc_, -1);
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// Selects a GDI object into a DC for a scope, then puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};
