#!/usr/bin/env bash
# Takes a screenshot of the main dialog under Xvfb, in a Wine desktop window that draws frames.
# Usage: screenshot.sh OUTPUT.png [LOCALE]   (LOCALE e.g. ja_JP.UTF-8 for the Japanese texts)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
build=${BUILD_DIR:-$root/build}
out=$(realpath -m "$1")
locale=${2:-}
. "$root/scripts/wine-env.sh"

"$root/scripts/install-deps.sh" imagemagick fonts-noto-cjk
"$root/scripts/build.sh" >/dev/null
wine_prefix_setup "$root"
xvfb_start 1024x768x24
wine_start
trap 'wine_stop; xvfb_stop' EXIT

if [ -n "$locale" ]; then export LC_ALL=$locale; fi
wine explorer /desktop=Tessilo,760x560 "$build/bin/tessilo.exe" >/dev/null 2>&1 &
sleep "${SHOT_DELAY:-6}"
import -window root -crop 760x560+0+0 "$out"
echo "wrote $out"
