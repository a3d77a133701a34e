#include "sha256.h"

#include "exception.h"

namespace {
void Require(NTSTATUS status) {
    if (!BCRYPT_SUCCESS(status)) throw Exception("the system's SHA-256 failed");
}
}  // namespace

Sha256::Sha256() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    Require(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    algorithm_.Reset(algorithm);
    BCRYPT_HASH_HANDLE hash = nullptr;
    Require(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    hash_.Reset(hash);
}

void Sha256::Add(const void* data, std::size_t size) {
    // The interface takes a non-const pointer (it only reads) and a 32-bit
    // length.
    auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
    while (size > 0) {
        const ULONG part = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        Require(BCryptHashData(hash_.Get(), bytes, part, 0));
        bytes += part;
        size -= part;
    }
}

Sha256::Digest Sha256::Finish() {
    Digest digest{};
    Require(BCryptFinishHash(hash_.Get(), digest.data(), static_cast<ULONG>(digest.size()), 0));
    return digest;
}
