#pragma once
// The pictures of the stock button kinds.

#include "win_handles.h"

// The pictures of the stock kinds, drawn at run time at the given size,
// each in an image list of its own (which shows it beside a button's
// caption).
UniqueImageList CreateCheckMarkGlyph(int size);
UniqueImageList CreateNoEntryGlyph(int size);
