#pragma once
// The pictures of the stock button kinds.

#include <windows.h>

#include <commctrl.h>

#include "win_handles.h"

using UniqueImageList = UniqueHandle<HIMAGELIST, ReleaseWith<ImageList_Destroy>>;

// The pictures of the stock kinds, drawn at run time at the given size,
// each in an image list of its own (which shows it beside a button's
// caption).
UniqueImageList CreateCheckMarkGlyph(int size);
UniqueImageList CreateNoEntryGlyph(int size);
