// A program that names bcrypt.dll in its import table: with a stand-in
// planted beside it, Windows' search (and Wine's, told to search as Windows
// does) loads the stand-in.

#include <windows.h>

#include <bcrypt.h>

int main() { return BCryptCloseAlgorithmProvider(nullptr, 0) == 0 ? 0 : 1; }
