#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the test programs and the
# real tessilo.exe under Wine on a private Xvfb display, in a private Wine prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-env.sh"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

# The platform-free modules with their tests and the fuzz corpus, natively under ASan and UBSan.
cmake -S "$root/tests/native" -B "$build/native" -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build/native" -j2
ctest --test-dir "$build/native" --output-on-failure

wine_prefix_setup "$root"
xvfb_start 1280x720x24
wine_start
# A small file system for the full-disk tests, where one can be mounted (as root); without it
# those tests are skipped.
small="$build/smalldisk"
mkdir -p "$small"
mountpoint -q "$small" || mount -t tmpfs -o size=8m tessilo-small "$small" 2>/dev/null || true
mountpoint -q "$small" && export TESSILO_SMALL_DISK="$(winepath -w "$small")"
cleanup() { wine_stop; xvfb_stop; ! mountpoint -q "$small" || umount "$small"; }
trap cleanup EXIT

ctest --test-dir "$build" --output-on-failure --timeout 300
