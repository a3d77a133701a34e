#pragma once
// The pictures of the stock button kinds.

#include <windows.h>

// The pictures of the stock kinds, drawn at run time at the given size.
HICON CreateCheckMarkGlyph(int size);
HICON CreateNoEntryGlyph(int size);
