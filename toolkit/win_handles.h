#pragma once
// Owners of Win32 handles, all made from one template, and of COM interfaces
// (ComReference). Each frees its handle exactly once, when it goes; a plain
// HWND, HFONT or HDC is borrowed.

#include <windows.h>

#include <utility>

// Owns one handle of a kind: frees it with `Release` when the owner goes or
// when it is replaced, and never twice. `Release` is called with the handle;
// a release that needs a second value (the window a device context came
// from) carries it.
template <typename Handle, typename Release>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle, Release release = Release()) : handle_(handle), release_(std::move(release)) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)), release_(std::move(other.release_)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
            release_ = std::move(other.release_);
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (handle_) release_(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
    Release release_{};
};

// Frees a handle with a function of the handle alone.
template <auto Free>
struct ReleaseWith {
    template <typename Handle>
    void operator()(Handle handle) const {
        Free(handle);
    }
};

// A child window is also destroyed by its parent's DestroyWindow, so the
// order in which a window and its children are released does not matter.
inline void DestroyWindowIfAlive(HWND hwnd) {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

// Gives a device context obtained with GetDC back to its window.
struct ReleaseWindowDC {
    HWND window = nullptr;
    void operator()(HDC dc) const { ReleaseDC(window, dc); }
};

// Puts back into a device context the object a selection replaced.
struct RestoreSelection {
    HDC dc = nullptr;
    void operator()(HGDIOBJ replaced) const { SelectObject(dc, replaced); }
};

using UniqueWindow = UniqueHandle<HWND, ReleaseWith<DestroyWindowIfAlive>>;
using UniqueFont = UniqueHandle<HFONT, ReleaseWith<DeleteObject>>;
using UniqueBrush = UniqueHandle<HBRUSH, ReleaseWith<DeleteObject>>;
using UniqueBitmap = UniqueHandle<HBITMAP, ReleaseWith<DeleteObject>>;
// An icon made at run time (not a shared resource icon).
using UniqueIcon = UniqueHandle<HICON, ReleaseWith<DestroyIcon>>;
using UniqueWindowDC = UniqueHandle<HDC, ReleaseWindowDC>;
using UniqueMemoryDC = UniqueHandle<HDC, ReleaseWith<DeleteDC>>;
// An object selected into a device context; going, it selects back the one
// it replaced.
using UniqueSelection = UniqueHandle<HGDIOBJ, RestoreSelection>;
// A system library loaded at run time, for what start-up does not need.
using UniqueModule = UniqueHandle<HMODULE, ReleaseWith<FreeLibrary>>;

// Owns one reference to a COM interface: released when the owner goes or
// is reset, and never twice.
template <typename Interface>
class ComReference {
public:
    ComReference() = default;
    ComReference(const ComReference&) = delete;
    ComReference& operator=(const ComReference&) = delete;
    ~ComReference() { Reset(); }

    Interface* Get() const { return interface_; }
    void Reset() {
        if (interface_) std::exchange(interface_, nullptr)->Release();
    }
    // Where a call that hands out a new reference writes it (as
    // CoCreateInstance's last argument); the one held before is released.
    void** Receive() {
        Reset();
        return reinterpret_cast<void**>(&interface_);
    }

private:
    Interface* interface_ = nullptr;
};
