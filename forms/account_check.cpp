#include "account_check.h"

#include <cstdint>

#include "scope_exit.h"
#include "sha256.h"

namespace {
// Made once with a random salt (see docs/SECURITY.md).
const unsigned char kSalt[16] = {0xd0, 0xd7, 0x1b, 0x65, 0x51, 0x9c, 0x99, 0x7a,
                                 0x79, 0x09, 0xcc, 0xcd, 0xee, 0x6c, 0xec, 0xb1};

// Each part after its length, so that no two pairs give the same input.
void AddWithLength(Sha256& hash, std::string_view bytes) {
    const auto length = static_cast<std::uint32_t>(bytes.size());
    const unsigned char prefix[4] = {static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
                                     static_cast<unsigned char>(length >> 16),
                                     static_cast<unsigned char>(length >> 24)};
    hash.Add(prefix, sizeof(prefix));
    hash.Add(bytes.data(), bytes.size());
}

// The digest of the accepted account and password.
const Sha256::Digest kAcceptedDigest = {0xb4, 0x75, 0xda, 0x03, 0xc4, 0xd9, 0xfd, 0x52, 0x32, 0xec, 0xe2,
                                        0xcf, 0xb9, 0xd2, 0xac, 0x90, 0xdc, 0x46, 0xa8, 0xaa, 0x0e, 0xf0,
                                        0xdb, 0xd3, 0xa9, 0xc0, 0xda, 0x7e, 0x5b, 0x03, 0x71, 0xb0};

// The digest of an account and a password given as Big5 bytes: the salt;
// the account's length (4 bytes, least significant first) and bytes; the
// password's length and bytes; then a block of 64 zero bytes. Written into
// `digest`, which the caller wipes.
void AccountDigest(std::string_view account, std::string_view password, Sha256::Digest& digest) {
    Sha256 hash;
    hash.Add(kSalt, sizeof(kSalt));
    AddWithLength(hash, account);
    AddWithLength(hash, password);
    // The system's hash keeps the unfinished tail of its input in a block
    // of its own and frees it uncleared when it goes (Wine's does): 64 zero
    // bytes after the password fill that block, so the password's bytes
    // stay only in the caller's wiped buffers.
    static const unsigned char kZeroBlock[64] = {};
    hash.Add(kZeroBlock, sizeof(kZeroBlock));
    hash.Finish(digest);
}
}  // namespace

bool IsAcceptedAccount(std::string_view account, std::string_view password) {
    // The digest of a refused pair would give the pair back to a search
    // over the few passwords there are: it is wiped once compared.
    Sha256::Digest digest;
    const ScopeExit wipe([&digest] { SecureZeroMemory(digest.data(), digest.size()); });
    AccountDigest(account, password, digest);
    volatile unsigned char difference = 0;
    for (std::size_t i = 0; i < digest.size(); ++i) difference = difference | (digest[i] ^ kAcceptedDigest[i]);
    return difference == 0;
}
