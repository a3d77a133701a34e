#include "live_region.h"

#include <oleacc.h>

#include "library_entry.h"
#include "system_library.h"
#include "win_handles.h"

namespace {
// The live-setting property of assistive technology, and its value for a
// region whose changes wait until the reader is idle.
constexpr GUID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;

using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFunction = void(WINAPI*)();
using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
}  // namespace

// The system's annotation service and what it needs while the mark lives:
// ole32, loaded only when a live text first changes (start-up does without
// it), and COM on this thread.
struct LiveRegion::Annotations {
    UniqueModule ole32;
    CoUninitializeFunction uninitialize = nullptr;  // set when COM was started here
    IAccPropServices* services = nullptr;

    ~Annotations() {
        if (services) services->Release();
        if (uninitialize) uninitialize();
    }
};

LiveRegion::LiveRegion(HWND window) : window_(window) {
    auto annotations = std::make_unique<Annotations>();
    annotations->ole32 = TryLoadSystemLibrary(L"ole32.dll");
    const HMODULE ole32 = annotations->ole32.Get();
    if (!ole32) return;
    const auto initialize = LibraryEntry<CoInitializeExFunction>(ole32, "CoInitializeEx");
    const auto uninitialize = LibraryEntry<CoUninitializeFunction>(ole32, "CoUninitialize");
    const auto create = LibraryEntry<CoCreateInstanceFunction>(ole32, "CoCreateInstance");
    if (!initialize || !uninitialize || !create) return;
    // Started here (or again: S_FALSE), COM is ended here; a thread already
    // in another apartment model keeps it.
    const HRESULT com = initialize(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(com)) annotations->uninitialize = uninitialize;
    else if (com != RPC_E_CHANGED_MODE) return;
    if (FAILED(create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                      reinterpret_cast<void**>(&annotations->services))))
        return;
    VARIANT polite{};
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    if (FAILED(annotations->services->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                  kLiveSettingProperty, polite)))
        return;
    annotations_ = std::move(annotations);
}

LiveRegion::~LiveRegion() {
    if (!annotations_ || !IsWindow(window_)) return;
    const MSAAPROPID property = kLiveSettingProperty;
    annotations_->services->ClearHwndProps(window_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &property, 1);
}

void LiveRegion::Announce() const {
    // The name first, so a reader that reads the region on the second
    // event finds the new text.
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, window_, OBJID_CLIENT, CHILDID_SELF);
}
