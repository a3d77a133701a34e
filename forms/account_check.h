#pragma once
// The one account the program accepts. The program holds neither its name
// nor its password: only a salt and the SHA-256 digest of the salted pair.
// A typed pair is hashed the same way and the two digests are compared.

#include <string_view>

#include "sha256.h"

// The digest of an account and a password given as Big5 bytes:
// the salt; the account's length (4 bytes, least significant first) and
// bytes; the password's length and bytes; then a block of 64 zero bytes.
// Written into `digest`, which the caller wipes.
void AccountDigest(std::string_view account, std::string_view password, Sha256::Digest& digest);

// The digest of the accepted account and password.
extern const Sha256::Digest kAcceptedDigest;

// Whether the pair is the accepted one, byte for byte. All of the digest is
// compared, whatever its first difference.
bool IsAcceptedAccount(std::string_view account, std::string_view password);
