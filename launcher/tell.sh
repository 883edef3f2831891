# Sourced by launch.sh: what the launcher has to say reaches the user. Started from a terminal it
# writes to the terminal; started from the menu there is none, so failures open a window (zenity:
# GNOME brings it, the package depends on it, and it shows natively on X11 and on Wayland, where
# xmessage needs XWayland and kdialog a KDE desktop). Everything also goes to the launcher's log.
#   tell_to LOG          keeps the log's last few runs and writes this one's there
#   tell TEXT            a step of progress
#   tell_error TEXT      why Tessilo cannot go on; a window when there is no terminal
#   preparing_show TEXT  a window saying that Tessilo is getting ready, without a terminal
#   preparing_hide       closes it

TELL_LOG=/dev/null
TELL_WINDOWS=""
PREPARING_PID=""
[ -t 2 ] || TELL_WINDOWS=yes
# zenity reads its arguments in the locale's encoding: without a UTF-8 locale (a start with none
# set) it refuses a text with any character beyond ASCII, a path's or the ellipsis.
TELL_ZENITY=(zenity)
[ "$(locale charmap 2>/dev/null)" = UTF-8 ] || TELL_ZENITY=(env LC_ALL=C.UTF-8 zenity)

# The last runs' logs as NAME.1.log (newest) to NAME.4.log.
log_rotate() {  # path.log
  local base=${1%.log} i
  for i in 3 2 1; do
    [ ! -e "$base.$i.log" ] || mv -f "$base.$i.log" "$base.$((i + 1)).log"
  done
  [ ! -e "$1" ] || mv -f "$1" "$base.1.log"
}

tell_to() {  # log
  log_rotate "$1"
  TELL_LOG=$1
  : >>"$TELL_LOG" 2>/dev/null || TELL_LOG=/dev/null
}

tell() {  # text
  printf '%s\n' "$1" >&2
  printf '%s %s\n' "$(date '+%F %T')" "$1" >>"$TELL_LOG" 2>/dev/null || true
}

# A window of a program of the desktop's: only with a display to show it on.
tell_window_possible() {
  [ -n "$TELL_WINDOWS" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && command -v zenity >/dev/null 2>&1
}

tell_error() {  # text
  tell "$1"
  preparing_hide
  tell_window_possible || return 0
  # Detached: the window stays until it is read, after the launcher has ended. Without the
  # launcher's locks (fds 7 and 8), which it would otherwise hold as long as it is open.
  setsid "${TELL_ZENITY[@]}" --error --title=Tessilo --no-markup --width=420 --text="$1" </dev/null >/dev/null 2>&1 \
    7>&- 8>&- &
}

preparing_show() {  # text
  tell "$1"
  tell_window_possible || return 0
  # A bar that moves while nothing can be measured; its input stays open until it is closed.
  exec {PREPARING_INPUT}> >(exec "${TELL_ZENITY[@]}" --progress --pulsate --no-cancel --title=Tessilo --no-markup \
    --width=420 --text="$1" >/dev/null 2>&1 7>&-)
  PREPARING_PID=$!
}

preparing_hide() {
  [ -n "$PREPARING_PID" ] || return 0
  kill "$PREPARING_PID" 2>/dev/null || true
  exec {PREPARING_INPUT}>&-
  PREPARING_PID=""
}
