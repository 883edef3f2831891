# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# CTest runs every test program through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Packages are looked for among the target's only: the host's GoogleTest (libgtest-dev) is built
# for Linux. Boost.Regex is header-only, so the host's Boost headers serve the target as well.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(Boost_INCLUDE_DIR /usr/include CACHE PATH "Boost's headers (header-only Regex)")
