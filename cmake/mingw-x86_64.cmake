# Cross compiling for 64-bit Windows with Debian's MinGW-w64 (Windows threads
# flavour), running the results under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The compiler this file names: a build folder first configured with another
# (the toolchain keeps the compiler it found first) is refused by the top
# CMakeLists.txt, to be configured afresh.
set(SIGNIN_TOOLCHAIN_COMPILER x86_64-w64-mingw32-g++-win32)
