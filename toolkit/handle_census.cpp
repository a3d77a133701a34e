// The live-handle counts of a test build (see CountHandle).
#include "win_handles.h"

int& LiveHandles(HandleKind kind) {
    static int live[static_cast<int>(HandleKind::Kinds)] = {};
    return live[static_cast<int>(kind)];
}
