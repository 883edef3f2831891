# Sourced by the scripts: Wine, Xvfb and openbox for the tests and tools, and wine_prefix_setup.
. "$(dirname "${BASH_SOURCE[0]}")/../launcher/wine-prefix.sh"

# Starts the wineserver and Wine's own services now, detached from our output: started by the
# first test instead, they would keep CTest's pipe open and CTest would wait for them.
wine_start() {
  # A server that the prefix set-up started may still be winding down; -p fails beside it.
  wineserver -w
  wineserver -p
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

wine_stop() {
  wineserver -k 2>/dev/null || true
}

# Waits up to SECONDS for PATH to appear; gives up sooner when the process PID, if given, ends.
wait_for_file() {  # path seconds [pid]
  local _
  for _ in $(seq $(($2 * 10))); do
    [ -e "$1" ] && return 0
    [ -z "${3:-}" ] || kill -0 "$3" 2>/dev/null || break
    sleep 0.1
  done
  [ -e "$1" ]
}

# Starts Xvfb on a free display and exports DISPLAY; xvfb_stop ends it. Further arguments go to
# Xvfb (-noreset keeps a root background after its last client has gone).
xvfb_start() {
  local size=${1:-1280x720x24}
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "$size" -nolisten tcp "${@:2}" >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  wait_for_file "/tmp/.X11-unix/X$n" 5 "$XVFB_PID" && return 0
  echo "Xvfb did not start" >&2
  return 1
}

# Starts openbox on $DISPLAY and waits until it manages the screen; openbox_stop ends it.
openbox_start() {
  openbox >/dev/null 2>&1 &
  OPENBOX_PID=$!
  for _ in $(seq 50); do
    # Answered only by a window manager that keeps the desktop list.
    xdotool get_num_desktops >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "openbox did not start" >&2
  return 1
}

openbox_stop() {
  [ -n "${OPENBOX_PID:-}" ] && kill "$OPENBOX_PID" 2>/dev/null && wait "$OPENBOX_PID" 2>/dev/null
  OPENBOX_PID=""
}

xvfb_stop() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}
