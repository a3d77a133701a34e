#pragma once
// The pictures of the stock button kinds.

#include "win_handles.h"

// The pictures of the stock kinds, drawn at run time at the given size.
UniqueIcon CreateCheckMarkGlyph(int size);
UniqueIcon CreateNoEntryGlyph(int size);
