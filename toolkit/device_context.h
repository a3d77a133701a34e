#pragma once
// Device contexts and selections as the toolkit measures and draws with
// them: each failure throws SystemFailure, since what is drawn or measured
// without them would be wrong.

#include "system_error.h"
#include "win_handles.h"

// The screen's device context, for measuring and as a reference. Without
// it nothing can be measured or drawn: it throws SystemFailure.
inline UniqueWindowDC ScreenDC() {
    HDC screen = GetDC(nullptr);
    if (!screen) ThrowLastError("cannot reach the screen");
    return UniqueWindowDC(screen, ReleaseWindowDC{nullptr});
}
// A memory device context like `reference`; throws SystemFailure.
inline UniqueMemoryDC CompatibleDC(HDC reference) {
    HDC dc = CreateCompatibleDC(reference);
    if (!dc) ThrowLastError("cannot create a drawing surface");
    return UniqueMemoryDC(dc);
}
// Selects `object` into `dc` for the owner's lifetime; throws SystemFailure
// (unselected, what is drawn or measured would use another object).
inline UniqueSelection Select(HDC dc, HGDIOBJ object) {
    HGDIOBJ replaced = SelectObject(dc, object);
    if (!replaced || replaced == HGDI_ERROR) ThrowLastError("cannot select a drawing object");
    return UniqueSelection(replaced, RestoreSelection{dc});
}
