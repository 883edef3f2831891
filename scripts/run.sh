#!/usr/bin/env bash
# Installs what is missing, builds Tessilo and its PrtSc companion, and starts Tessilo under Wine
# on your display, with the companion beside it for as long as Tessilo runs.
# Settings live in your Wine prefix: $WINEPREFIX when set, else one of Tessilo's own under
# ${XDG_DATA_HOME:-~/.local/share}/tessilo, which a clean rebuild and the tests leave alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-env.sh"

: "${DISPLAY:?run this from a desktop session (DISPLAY is not set)}"
"$root/scripts/install-deps.sh"

echo "Building tessilo.exe and tessilo-prtsc.exe in $build" >&2
mkdir -p "$build"
if ! "$root/scripts/build.sh" tessilo tessilo-prtsc >"$build/build.log" 2>&1; then
  tail -n 30 "$build/build.log" >&2
  echo "The build failed; the whole log is $build/build.log" >&2
  exit 1
fi

wine_prefix_setup "${WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/tessilo/wineprefix}"

# PrtSc leaves nothing on Wine's clipboard; the companion puts the screen there as Windows does.
# When one already runs, this one ends at once and the running one is left alone.
wine "$build/bin/tessilo-prtsc.exe" </dev/null >"$build/tessilo-prtsc.log" 2>&1 &
companion=$!
# Ctrl+C for the companion: it unhooks the keyboard and ends.
trap 'kill -INT "$companion" 2>/dev/null && wait "$companion" 2>/dev/null' EXIT

# Wine draws through XWayland there, which lets no X client read the screen.
wayland=""
if [ -n "${WAYLAND_DISPLAY:-}" ]; then wayland="WAYLAND_DISPLAY=$WAYLAND_DISPLAY"
elif [ "${XDG_SESSION_TYPE:-}" = wayland ]; then wayland="XDG_SESSION_TYPE=wayland"; fi
if [ -n "$wayland" ]; then
  echo "This is a Wayland session ($wayland), where Wine cannot read the screen through XWayland:" \
    "Tessilo cannot record this session yet (Start says it failed to prepare the capture)." \
    "Log in to an X11 session instead, for example \"GNOME on Xorg\" on the login screen." >&2
fi

status=0
wine "$build/bin/tessilo.exe" || status=$?
# Tessilo ends with 2 after a normal close; anything else is passed on.
[ "$status" -ne 2 ] || status=0
exit "$status"
