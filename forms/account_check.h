#pragma once
// The one account the program accepts. The program holds neither its name
// nor its password: only a salt and the SHA-256 digest of the salted pair.
// A typed pair is hashed the same way and the two digests are compared.

#include <string_view>

// Whether the pair is the accepted one, byte for byte. All of the digest is
// compared, whatever its first difference.
bool IsAcceptedAccount(std::string_view account, std::string_view password);
