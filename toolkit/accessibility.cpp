#include "accessibility.h"

#include <oleacc.h>

#include "library_entry.h"
#include "system_library.h"

namespace {
using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
}  // namespace

// Defined here, where the service's interface is complete.
AccessibilityServices::AccessibilityServices() = default;

AccessibilityServices::~AccessibilityServices() {
    annotations_.Reset();
    if (uninitialize_) uninitialize_();
}

IAccPropServices* AccessibilityServices::Annotations() {
    if (tried_) return annotations_.Get();
    tried_ = true;
    ole32_ = TryLoadSystemLibrary(L"ole32.dll");
    const HMODULE ole32 = ole32_.Get();
    if (!ole32) return nullptr;
    const auto initialize = LibraryEntry<CoInitializeExFunction>(ole32, "CoInitializeEx");
    const auto uninitialize = LibraryEntry<CoUninitializeFunction>(ole32, "CoUninitialize");
    const auto create = LibraryEntry<CoCreateInstanceFunction>(ole32, "CoCreateInstance");
    if (!initialize || !uninitialize || !create) return nullptr;
    // Started here (or again: S_FALSE), COM is ended here; a thread already
    // in another apartment model keeps it.
    const HRESULT com = initialize(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(com)) uninitialize_ = uninitialize;
    else if (com != RPC_E_CHANGED_MODE) return nullptr;
    if (FAILED(
            create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, annotations_.Receive())))
        annotations_.Reset();
    return annotations_.Get();
}
