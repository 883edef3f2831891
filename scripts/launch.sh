#!/bin/bash
# Starts Tessilo under Wine on your display, with tessilo-screen reading the screen for it and its
# companion beside it for as long as Tessilo runs. What the run command
# does after its build, and all that the installed tessilo command does.
#   launch.sh PROGRAMS SCREEN LOGS
# PROGRAMS holds tessilo.exe and tessilo-prtsc.exe, SCREEN tessilo-screen; the companions' output
# goes to LOGS. Settings live in your Wine prefix: $WINEPREFIX when set, else one of Tessilo's own
# under ${XDG_DATA_HOME:-~/.local/share}/tessilo.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: launch.sh PROGRAMS SCREEN LOGS" >&2; exit 1; }
programs=$1 screen_dir=$2 logs=$3
here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
. "$here/wine-prefix.sh"
. "$here/pictures-folder.sh"

: "${DISPLAY:?run this from a desktop session (DISPLAY is not set)}"
mkdir -p "$logs"

prefix=${WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/tessilo/wineprefix}
[ -f "$prefix/system.reg" ] || pictures_folder_make
wine_prefix_setup "$prefix"

# The companion gives a click into Tessilo's window the restore a taskbar would, on desktops that
# do not minimise (sway); its PrtSc, for a Tessilo in a prefix without tessilo-screen, is not used
# here. When one already runs, this one ends at once and the running one is left alone.
wine "$programs/tessilo-prtsc.exe" </dev/null >"$logs/tessilo-prtsc.log" 2>&1 &
companion=$!
screen=""
# Ctrl+C for the companion: it unhooks the keyboard and ends. tessilo-screen ends the share.
trap 'kill -INT "$companion" 2>/dev/null && wait "$companion" 2>/dev/null
      [ -z "$screen" ] || { kill -TERM "$screen" 2>/dev/null && wait "$screen" 2>/dev/null; }' EXIT

# tessilo-screen reads the screen for Tessilo natively: through X's shared memory on X11, through
# the desktop's screen-cast portal on Wayland, where Wine sees only black. Tessilo then takes its
# pictures from it, with no PrtSc and no trip through the clipboard. Started and answered before
# Tessilo: the desktop's question which screen to share (the first time) comes now, not during
# Start's short preparation.
wayland=""
[ -z "${WAYLAND_DISPLAY:-}" ] && [ "${XDG_SESSION_TYPE:-}" != wayland ] || wayland=yes
runtime=${XDG_RUNTIME_DIR:-}
if [ -n "$runtime" ] && [ -d "$runtime" ] && [ -x "$screen_dir/tessilo-screen" ]; then
  [ -z "$wayland" ] || echo "Wayland session: sharing the screen with tessilo-screen (the desktop may ask which screen to share)" >&2
  "$screen_dir/tessilo-screen" </dev/null >"$logs/tessilo-screen.log" 2>&1 &
  screen=$!
  until grep -qE "serving the X11 screen|sharing the screen" "$logs/tessilo-screen.log"; do
    if ! kill -0 "$screen" 2>/dev/null; then
      shared=0
      wait "$screen" || shared=$?
      screen=""
      # Another Tessilo's tessilo-screen serves this session: both read it.
      grep -q "already running" "$logs/tessilo-screen.log" && break
      cat "$logs/tessilo-screen.log" >&2
      if [ -z "$wayland" ]; then
        echo "Tessilo reads the screen through Wine instead, which is slower." >&2
        export TESSILO_SCREEN_SOURCE=gdi
        break
      elif [ "$shared" -eq 2 ]; then
        echo "Start Tessilo again and allow the share to record this desktop." >&2
      else
        # Wine sees only black through XWayland: without the share nothing can be recorded here.
        echo "Tessilo cannot record this Wayland session without tessilo-screen. Log in to an X11 session" \
          "instead, for example \"GNOME on Xorg\" on the login screen." >&2
      fi
      exit 1
    fi
    sleep 0.2
  done
  [ -n "${TESSILO_SCREEN_SOURCE:-}" ] || export TESSILO_SCREEN_SOURCE="$(winepath -w "$runtime/tessilo-screen.frame")"
elif [ -n "$wayland" ]; then
  echo "Tessilo cannot record this Wayland session without tessilo-screen and XDG_RUNTIME_DIR." >&2
  exit 1
else
  # No native source here: Tessilo reads the screen through Wine.
  export TESSILO_SCREEN_SOURCE=gdi
fi

status=0
wine "$programs/tessilo.exe" || status=$?
# Tessilo ends with 2 after a normal close; anything else is passed on.
[ "$status" -ne 2 ] || status=0
exit "$status"
