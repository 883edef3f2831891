#!/bin/bash
# Starts Tessilo under Wine on your display, with tessilo-screen reading the screen for it and the
# PrtSc companion beside it; both serve every Tessilo window of the session and end after the last.
# All that the installed tessilo command does, and what the run command of a source tree does
# after its build.
#   launch.sh PROGRAMS SCREEN LOGS
# PROGRAMS holds tessilo.exe and tessilo-prtsc.exe, SCREEN tessilo-screen; the logs of the last few
# runs go to LOGS. Settings live in Tessilo's own Wine prefix,
# ${XDG_DATA_HOME:-~/.local/share}/tessilo/wineprefix, or in $TESSILO_WINEPREFIX when set; a
# WINEPREFIX set for other programs is left alone.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: launch.sh PROGRAMS SCREEN LOGS" >&2; exit 1; }
programs=$1 screen_dir=$2 logs=$3
here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
. "$here/tell.sh"
. "$here/wine-prefix.sh"
. "$here/pictures-folder.sh"
. "$here/helpers.sh"

mkdir -p "$logs" 2>/dev/null || true
tell_to "$logs/tessilo.log"
if [ -z "${DISPLAY:-}" ]; then
  tell_error "Tessilo needs a desktop session to show its window on: start it from the desktop's menu or from a terminal there (DISPLAY is not set)."
  exit 1
fi

prefix=${TESSILO_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/tessilo/wineprefix}
# Made once, also when Tessilo is started twice at once: the second waits for the first.
if ! mkdir -p "$(dirname "$prefix")" 2>/dev/null || ! { : >>"$prefix.lock"; } 2>/dev/null; then
  tell_error "Tessilo cannot make its Wine prefix in $(dirname "$prefix"): that folder cannot be written."
  exit 1
fi
exec 7>>"$prefix.lock"
flock -x 7
if [ ! -f "$prefix/system.reg" ]; then
  preparing_show "Tessilo is getting ready for its first start (about 20 seconds)…"
  pictures_folder_make
fi
# The lock is not handed to Wine: its server would hold it for as long as it runs.
if ! wine_prefix_setup "$prefix" 2>>"$TELL_LOG" 7>&-; then
  tell_error "Tessilo could not set up its Wine prefix $prefix: $PREFIX_ERROR"
  exit 1
fi
exec 7>&-

# tessilo-screen reads the screen for Tessilo natively: through X's shared memory on X11, through
# the desktop's screen-cast portal on Wayland, where Wine sees only black. Tessilo then takes its
# pictures from it, with no PrtSc and no trip through the clipboard. Started and answered before
# Tessilo: the desktop's question which screen to share (the first time) comes now, not during
# Start's short preparation. The companion gives a click into Tessilo's window the restore a
# taskbar would, on desktops that do not minimise (sway).
wayland=""
[ -z "${WAYLAND_DISPLAY:-}" ] && [ "${XDG_SESSION_TYPE:-}" != wayland ] || wayland=yes
runtime=${XDG_RUNTIME_DIR:-}
if [ -z "$runtime" ] || [ ! -d "$runtime" ]; then
  if [ -n "$wayland" ]; then
    tell_error "Tessilo cannot record this Wayland session: the session gives programs no XDG_RUNTIME_DIR, which tessilo-screen needs to share the screen."
    exit 1
  fi
  runtime=$logs
fi
helpers_join "$runtime/tessilo"
trap 'preparing_hide; helpers_leave' EXIT
started_screen=""
if [ -x "$screen_dir/tessilo-screen" ] && ! helper_alive screen tessilo-screen; then
  rm -f "$HELPERS_STATE/screen.ready"
  [ -z "$wayland" ] || tell "Wayland session: sharing the screen with tessilo-screen (the desktop may ask which screen to share)"
  helper_start screen "$logs/tessilo-screen.log" "$screen_dir/tessilo-screen" --ready-file "$HELPERS_STATE/screen.ready"
  started_screen=$!
fi
helper_alive companion tessilo-prtsc ||
  helper_start companion "$logs/tessilo-prtsc.log" wine "$programs/tessilo-prtsc.exe"
helpers_keeper_start
helpers_unlock

# Until tessilo-screen serves the screen, or says why it cannot.
screen_status=""
while [ ! -e "$HELPERS_STATE/screen.ready" ]; do
  if ! helper_alive screen tessilo-screen; then
    screen_status=1
    [ -z "$started_screen" ] || { screen_status=0; wait "$started_screen" || screen_status=$?; }
    break
  fi
  sleep 0.1
done
if [ -e "$HELPERS_STATE/screen.ready" ] || [ "$screen_status" = 3 ]; then
  # Served, also by a tessilo-screen that another launcher left running (3: already running).
  export TESSILO_SCREEN_SOURCE="$(winepath -w "$runtime/tessilo-screen.frame")"
elif [ -z "$wayland" ]; then
  # No native source here: Tessilo reads the screen through Wine, which is slower.
  [ ! -x "$screen_dir/tessilo-screen" ] || tell "tessilo-screen did not serve the screen (see $logs/tessilo-screen.log); Tessilo reads it through Wine instead, which is slower."
  export TESSILO_SCREEN_SOURCE=gdi
elif [ "$screen_status" = 2 ]; then
  tell_error "The screen share was declined. Start Tessilo again and allow the share to record this desktop."
  exit 1
else
  # Wine sees only black through XWayland: without the share nothing can be recorded here.
  tell_error "Tessilo cannot record this Wayland session: the desktop did not share the screen with tessilo-screen (its log is $logs/tessilo-screen.log). A desktop with a screen-cast portal (GNOME, KDE, sway with xdg-desktop-portal-wlr) shares it; otherwise log in to an X11 session, for example \"GNOME on Xorg\" on the login screen."
  exit 1
fi

# The preparing window stays a moment longer, until the dialog has shown.
if [ -n "$PREPARING_PID" ]; then
  (sleep 3; preparing_hide) &
  PREPARING_PID=""
fi
status=0
wine "$programs/tessilo.exe" 8>&- || status=$?
# Tessilo ends with 2 after a normal close; anything else is passed on.
[ "$status" -ne 2 ] || status=0
[ "$status" -eq 0 ] || tell "Tessilo ended with $status."
exit "$status"
