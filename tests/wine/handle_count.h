#pragma once
// Counts the handles the test program makes and has not yet freed, seen from
// outside the code that makes them: the calls that make and free each kind
// are redirected through the program's import table (import_table.h). A
// window counts while it exists (a child goes with its parent, with no call
// of its own); an icon counts when it is loaded for its caller to destroy
// (not LR_SHARED). Only what the installing thread makes after Install is
// counted.

namespace handle_count {

enum class Kind {
    Window,         // CreateWindowExW
    Font,           // CreateFontIndirectW, freed by DeleteObject
    OtherGdi,       // brushes and bitmaps, freed by DeleteObject
    Icon,           // LoadImageW, freed by DestroyIcon
    ImageList,      // ImageList_Create, freed by ImageList_Destroy
    DeviceContext,  // GetDC and CreateCompatibleDC, given back by ReleaseDC and DeleteDC
    Shared,         // not counted: shared icons, other images
};

// Starts counting; once per process, before the code under test makes anything.
void Install();
int Live(Kind kind);

}  // namespace handle_count
