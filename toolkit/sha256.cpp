#include "sha256.h"

#include "exception.h"

Sha256::Sha256() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        throw Exception("the system offers no SHA-256");
    algorithm_.Reset(algorithm);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)))
        throw Exception("cannot start a SHA-256 digest");
    hash_.Reset(hash);
}

void Sha256::Add(const void* data, std::size_t size) {
    // The interface takes a non-const pointer (it only reads) and a 32-bit
    // length.
    auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
    while (size > 0) {
        const ULONG part = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        if (!BCRYPT_SUCCESS(BCryptHashData(hash_.Get(), bytes, part, 0))) throw Exception("SHA-256 digest failed");
        bytes += part;
        size -= part;
    }
}

Sha256::Digest Sha256::Finish() {
    Digest digest{};
    if (!BCRYPT_SUCCESS(BCryptFinishHash(hash_.Get(), digest.data(), static_cast<ULONG>(digest.size()), 0)))
        throw Exception("SHA-256 digest failed");
    return digest;
}
