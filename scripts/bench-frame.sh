#!/usr/bin/env bash
# Times one capture frame at 1280x720, 1920x1080 and 3840x2160 under Wine on a private Xvfb
# display and prints the tables of docs/performance.md. Usage: bench-frame.sh [frames]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-env.sh"

"$root/scripts/install-deps.sh" xvfb
"$root/scripts/build.sh" >/dev/null

wine_prefix_setup "$build/wineprefix"
xvfb_start 1920x1080x24
wine_start
folder="$build/bench-frame"
cleanup() { wine_stop; xvfb_stop; rm -rf "$folder"; }
trap cleanup EXIT
mkdir -p "$folder"

wine "$build/bin/frame_benchmark.exe" "$(winepath -w "$folder")" "${1:-30}"
