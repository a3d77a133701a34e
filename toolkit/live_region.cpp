#include "live_region.h"

#include <oleacc.h>

namespace {
// The live-setting property of assistive technology and its value for a
// region whose changes wait until the reader is idle: the Windows SDK's
// LiveSetting_Property_GUID (uiautomationcoreapi.h) and LiveSetting's
// Polite (uiautomationcore.h). The MinGW-w64 headers have neither, so they
// are written out here as the SDK defines them.
constexpr GUID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;
}  // namespace

LiveRegion::LiveRegion(HWND window, IAccPropServices* annotations) : window_(window) {
    if (!annotations) return;
    VARIANT polite{};
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    if (SUCCEEDED(annotations->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSettingProperty,
                                           polite)))
        marked_ = annotations;
}

LiveRegion::~LiveRegion() {
    if (!marked_ || !IsWindow(window_)) return;
    const MSAAPROPID property = kLiveSettingProperty;
    marked_->ClearHwndProps(window_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &property, 1);
}

void LiveRegion::Announce() const {
    // The name first, so a reader that reads the region on the second
    // event finds the new text.
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, window_, OBJID_CLIENT, CHILDID_SELF);
}
