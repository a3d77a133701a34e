// A program that loads the library named on its command line by its name
// alone: with a stand-in planted beside it, Windows' search (and Wine's,
// told to search as Windows does) loads the stand-in.

#include <windows.h>

int wmain(int argc, wchar_t** argv) { return argc == 2 && LoadLibraryW(argv[1]) ? 0 : 1; }
