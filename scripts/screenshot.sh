#!/usr/bin/env bash
# Takes a screenshot of the main dialog under Xvfb, in a Wine desktop window that draws frames.
# Usage: screenshot.sh OUTPUT.png [LOCALE]   (LOCALE e.g. ja_JP.UTF-8 for the Japanese texts)
# SHOT_WIDEN=PIXELS widens the dialog first (sized from its system menu, in steps of 8 pixels);
# SHOT_ABOUT=1 opens the About box (Alt+A).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
build=${BUILD_DIR:-$root/build}
out=$(realpath -m "$1")
locale=${2:-}
. "$root/scripts/wine-env.sh"

"$root/scripts/install-deps.sh" xvfb imagemagick xdotool
"$root/scripts/build.sh" >/dev/null
wine_prefix_setup "$build/wineprefix"
xvfb_start 1024x768x24
wine_start
trap 'wine_stop; xvfb_stop' EXIT

if [ -n "$locale" ]; then export LC_ALL=$locale; fi
wine explorer /desktop=Tessilo,760x560 "$build/bin/tessilo.exe" >/dev/null 2>&1 &
sleep "${SHOT_DELAY:-6}"
# With no window manager, keys go to the window under the pointer: the Wine desktop.
xdotool mousemove 4 4
if [ -n "${SHOT_WIDEN:-}" ]; then
  # The first arrow key picks the right border, each further one moves it 8 pixels.
  xdotool key alt+space s Right
  for _ in $(seq $((SHOT_WIDEN / 8))); do xdotool key Right; done
  xdotool key Return
  sleep 1
fi
if [ -n "${SHOT_ABOUT:-}" ]; then
  xdotool key alt+a
  sleep 2
fi
import -window root -crop 760x560+0+0 "$out"
echo "wrote $out"
