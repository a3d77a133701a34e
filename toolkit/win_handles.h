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

// A window: destroyed with its owner object. Child windows are destroyed by
// their parent's DestroyWindow as well, so release order does not matter.
class WindowHandle {
public:
    WindowHandle() = default;
    explicit WindowHandle(HWND hwnd) : hwnd_(hwnd) { CountHandle(HandleKind::Window, hwnd, +1); }
    WindowHandle(const WindowHandle&) = delete;
    WindowHandle& operator=(const WindowHandle&) = delete;
    WindowHandle(WindowHandle&& other) noexcept : hwnd_(std::exchange(other.hwnd_, nullptr)) {}
    WindowHandle& operator=(WindowHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            hwnd_ = std::exchange(other.hwnd_, nullptr);
        }
        return *this;
    }
    ~WindowHandle() { Reset(); }

    HWND Get() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }
    void Reset(HWND hwnd = nullptr) {
        if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
        CountHandle(HandleKind::Window, hwnd_, -1);
        CountHandle(HandleKind::Window, hwnd, +1);
        hwnd_ = hwnd;
    }

private:
    HWND hwnd_ = nullptr;
};

// A GDI object (font, brush, bitmap): deleted with its owner object.
template <typename T>
class GdiHandle {
public:
    GdiHandle() = default;
    explicit GdiHandle(T handle) : handle_(handle) { CountHandle(HandleKind::Gdi, handle, +1); }
    GdiHandle(const GdiHandle&) = delete;
    GdiHandle& operator=(const GdiHandle&) = delete;
    GdiHandle(GdiHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiHandle& operator=(GdiHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ~GdiHandle() { Reset(); }

    T Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(T handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        CountHandle(HandleKind::Gdi, handle_, -1);
        CountHandle(HandleKind::Gdi, handle, +1);
        handle_ = handle;
    }

private:
    T handle_ = nullptr;
};

using FontHandle = GdiHandle<HFONT>;
using BrushHandle = GdiHandle<HBRUSH>;
using BitmapHandle = GdiHandle<HBITMAP>;

// An icon made at run time (not a shared resource icon).
class IconHandle {
public:
    IconHandle() = default;
    explicit IconHandle(HICON icon) : icon_(icon) { CountHandle(HandleKind::Icon, icon, +1); }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    IconHandle(IconHandle&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
    IconHandle& operator=(IconHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            icon_ = std::exchange(other.icon_, nullptr);
        }
        return *this;
    }
    ~IconHandle() { Reset(); }

    HICON Get() const { return icon_; }
    void Reset() {
        if (icon_) DestroyIcon(icon_);
        CountHandle(HandleKind::Icon, icon_, -1);
        icon_ = nullptr;
    }

private:
    HICON icon_ = nullptr;
};

// An image list (comctl32), destroyed with its owner object.
class ImageListHandle {
public:
    ImageListHandle() = default;
    explicit ImageListHandle(HIMAGELIST list) : list_(list) { CountHandle(HandleKind::ImageList, list, +1); }
    ImageListHandle(const ImageListHandle&) = delete;
    ImageListHandle& operator=(const ImageListHandle&) = delete;
    ImageListHandle(ImageListHandle&& other) noexcept : list_(std::exchange(other.list_, nullptr)) {}
    ImageListHandle& operator=(ImageListHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            list_ = std::exchange(other.list_, nullptr);
        }
        return *this;
    }
    ~ImageListHandle() { Reset(); }
    HIMAGELIST Get() const { return list_; }
    void Reset() {
        if (list_) ImageList_Destroy(list_);
        CountHandle(HandleKind::ImageList, list_, -1);
        list_ = nullptr;
    }

private:
    HIMAGELIST list_ = nullptr;
};

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
