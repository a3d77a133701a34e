#pragma once
// Counts copies of byte patterns in another process's memory, as a program
// with the right to read it could: every committed, readable region
// (VirtualQueryEx), read with ReadProcessMemory.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace process_memory {

// How many times each pattern occurs in the process's committed memory;
// empty when the process cannot be read.
inline std::vector<int> CountCopies(HANDLE process, const std::vector<std::string>& patterns) {
    std::vector<int> counts(patterns.size(), 0);
    size_t longest = 1;
    for (const std::string& pattern : patterns) longest = std::max(longest, pattern.size());
    constexpr size_t kChunk = 1 << 20;
    std::vector<char> bytes;
    bool readAny = false;
    uintptr_t address = 0;
    MEMORY_BASIC_INFORMATION region{};
    while (VirtualQueryEx(process, reinterpret_cast<LPCVOID>(address), &region, sizeof(region)) == sizeof(region)) {
        const uintptr_t base = reinterpret_cast<uintptr_t>(region.BaseAddress);
        const uintptr_t end = base + region.RegionSize;
        const bool readable = region.State == MEM_COMMIT && !(region.Protect & (PAGE_NOACCESS | PAGE_GUARD));
        // Read in chunks that overlap by a pattern's length less one, so a
        // copy across a chunk's edge is seen once.
        for (uintptr_t at = base; readable && at < end;) {
            const size_t size = static_cast<size_t>(std::min<uintptr_t>(kChunk, end - at));
            bytes.resize(size);
            SIZE_T got = 0;
            if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(at), bytes.data(), size, &got) || got == 0) break;
            readAny = true;
            bytes.resize(got);
            const size_t fresh = at == base ? 0 : longest - 1;  // already searched before this chunk
            for (size_t p = 0; p < patterns.size(); ++p) {
                const std::string& pattern = patterns[p];
                if (pattern.empty() || pattern.size() > bytes.size()) continue;
                for (auto found = bytes.begin();;) {
                    found = std::search(found, bytes.end(), pattern.begin(), pattern.end());
                    if (found == bytes.end()) break;
                    // A copy that ends in the overlap was counted with the
                    // chunk before.
                    if (static_cast<size_t>(found - bytes.begin()) + pattern.size() > fresh) ++counts[p];
                    ++found;
                }
            }
            if (at + got >= end) break;
            at += got > longest - 1 ? got - (longest - 1) : got;
        }
        if (end <= address) break;  // the top of the address space
        address = end;
    }
    if (!readAny) return {};
    return counts;
}

}  // namespace process_memory
