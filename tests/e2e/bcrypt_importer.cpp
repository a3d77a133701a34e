// A program that names bcrypt.dll in its import table, as the sign-in
// program once did: with a stand-in planted beside it, Windows' search (and
// Wine's, told to search as Windows does) loads the stand-in.

#include <windows.h>

#include <bcrypt.h>

int main() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        BCryptCloseAlgorithmProvider(algorithm, 0);
    return 0;
}
