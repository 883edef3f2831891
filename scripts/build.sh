#!/usr/bin/env bash
# Cross-compiles into build/: everything, or the targets named. Usage: build.sh [target ...]
# The native Linux screen source tessilo-screen (X11 and Wayland sessions) is built with the host's g++
# into build/screen: with everything, or when named.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
# BUILD_TYPE=RelWithDebInfo keeps the symbols for a debugger; Release (the default) strips them.
build=${BUILD_DIR:-$root/build}

native=$(( $# == 0 ))
cross=()
for target in "$@"; do
  if [ "$target" = tessilo-screen ]; then native=1; else cross+=("$target"); fi
done

if [ $# -eq 0 ] || [ ${#cross[@]} -gt 0 ]; then
  cmake -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" >/dev/null
  cmake --build "$build" -j2 ${cross[0]+--target "${cross[@]}"}
fi
if [ "$native" -eq 1 ]; then
  cmake -S "$root/screen" -B "$build/screen" -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" >/dev/null
  cmake --build "$build/screen" -j2
fi
