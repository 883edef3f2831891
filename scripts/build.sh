#!/usr/bin/env bash
# Cross-compiles into build/: everything, or the targets named. Usage: build.sh [target ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
# BUILD_TYPE=RelWithDebInfo keeps the symbols for a debugger; Release (the default) strips them.
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" >/dev/null
cmake --build "$build" -j2 ${1:+--target "$@"}
