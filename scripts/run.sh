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
. "$root/scripts/pictures-folder.sh"

: "${DISPLAY:?run this from a desktop session (DISPLAY is not set)}"
"$root/scripts/install-deps.sh"

# On a Wayland session Wine sees only black: tessilo-screen shares the screen through the desktop.
wayland=""
[ -z "${WAYLAND_DISPLAY:-}" ] && [ "${XDG_SESSION_TYPE:-}" != wayland ] || wayland=yes
echo "Building tessilo.exe and tessilo-prtsc.exe${wayland:+ and tessilo-screen} in $build" >&2
mkdir -p "$build"
if ! "$root/scripts/build.sh" tessilo tessilo-prtsc ${wayland:+tessilo-screen} >"$build/build.log" 2>&1; then
  tail -n 30 "$build/build.log" >&2
  echo "The build failed; the whole log is $build/build.log" >&2
  exit 1
fi

prefix=${WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/tessilo/wineprefix}
[ -f "$prefix/system.reg" ] || pictures_folder_make
wine_prefix_setup "$prefix"

# PrtSc leaves nothing on Wine's clipboard; the companion puts the screen there as Windows does.
# When one already runs, this one ends at once and the running one is left alone.
wine "$build/bin/tessilo-prtsc.exe" </dev/null >"$build/tessilo-prtsc.log" 2>&1 &
companion=$!
screen=""
# Ctrl+C for the companion: it unhooks the keyboard and ends. tessilo-screen ends the share.
trap 'kill -INT "$companion" 2>/dev/null && wait "$companion" 2>/dev/null
      [ -z "$screen" ] || { kill -TERM "$screen" 2>/dev/null && wait "$screen" 2>/dev/null; }' EXIT

# Started and answered before Tessilo: the desktop's question which screen to share (the first
# time) comes now, not during Start's short preparation.
if [ -n "$wayland" ]; then
  echo "Wayland session: sharing the screen with tessilo-screen (the desktop may ask which screen to share)" >&2
  "$build/screen/tessilo-screen" </dev/null >"$build/tessilo-screen.log" 2>&1 &
  screen=$!
  until grep -q "sharing the screen" "$build/tessilo-screen.log"; do
    if ! kill -0 "$screen" 2>/dev/null; then
      shared=0
      wait "$screen" || shared=$?
      screen=""
      cat "$build/tessilo-screen.log" >&2
      if [ "$shared" -eq 2 ]; then
        echo "Run scripts/run.sh again and allow the share to record this desktop." >&2
      else
        # Wine sees only black through XWayland: without the share nothing can be recorded here.
        echo "Tessilo cannot record this Wayland session without tessilo-screen. Log in to an X11 session" \
          "instead, for example \"GNOME on Xorg\" on the login screen." >&2
      fi
      exit 1
    fi
    sleep 0.2
  done
fi

status=0
wine "$build/bin/tessilo.exe" || status=$?
# Tessilo ends with 2 after a normal close; anything else is passed on.
[ "$status" -ne 2 ] || status=0
exit "$status"
