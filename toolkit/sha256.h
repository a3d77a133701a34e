#pragma once
// SHA-256 by the system's own cryptography (CNG, bcrypt.dll).

#include <array>
#include <cstddef>

#include "win_handles.h"

class Sha256 {
public:
    using Digest = std::array<unsigned char, 32>;

    // Each throws Exception when the system's SHA-256 fails.
    Sha256();
    void Add(const void* data, std::size_t size);
    // The digest of everything added; once.
    Digest Finish();

private:
    UniqueAlgorithm algorithm_;
    UniqueHash hash_;
};
