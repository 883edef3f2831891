# Sourced by the test command: a headless Wayland session (sway) with XWayland, for Wine to draw
# on as it does on today's Linux desktops, and a native Wayland window of a known colour on it.
# sway refuses root and XWayland admits only its own user: the session runs as nobody and lets
# root's X clients in with xhost.

# The command prefix that runs a command as nobody inside the session, in WAYLAND_AS; a prefix
# rather than a function, so that a command started in the background has its own pid in $!.
wayland_as() {
  WAYLAND_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups env -i PATH="$PATH" HOME="$WAYLAND_RUN"
              XDG_RUNTIME_DIR="$WAYLAND_RUN" "$@")
}

# Starts sway headless at `size` (1280x720 by default) and waits for its XWayland display. Exports
# DISPLAY (XWayland's), WAYLAND_DISPLAY and XDG_SESSION_TYPE as a Wayland session sets them.
wayland_start() {
  local size=${1:-1280x720}
  WAYLAND_RUN=$(mktemp -d /tmp/tessilo-wayland.XXXXXX)
  chown nobody: "$WAYLAND_RUN"
  chmod 700 "$WAYLAND_RUN"
  # The first command sway runs tells which sockets it serves.
  cat >"$WAYLAND_RUN/config" <<EOF
xwayland enable
output HEADLESS-1 resolution $size
exec echo "\$WAYLAND_DISPLAY \$DISPLAY" >$WAYLAND_RUN/sockets.part && mv $WAYLAND_RUN/sockets.part $WAYLAND_RUN/sockets
EOF
  wayland_as WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
  "${WAYLAND_AS[@]}" sway -c "$WAYLAND_RUN/config" >"$WAYLAND_RUN/sway.log" 2>&1 &
  WAYLAND_PID=$!
  local sockets=""
  for _ in $(seq 100); do
    [ -f "$WAYLAND_RUN/sockets" ] && read -r WAYLAND_DISPLAY DISPLAY <"$WAYLAND_RUN/sockets" && sockets=yes && break
    sleep 0.1
  done
  if [ -z "$sockets" ] || [ -z "$DISPLAY" ]; then
    echo "sway did not start:" >&2
    tail -n 20 "$WAYLAND_RUN/sway.log" >&2
    return 1
  fi
  export WAYLAND_DISPLAY DISPLAY XDG_SESSION_TYPE=wayland
  wayland_as WAYLAND_DISPLAY="$WAYLAND_DISPLAY" DISPLAY="$DISPLAY"
  # XWayland starts on the first X client; xhost is one.
  "${WAYLAND_AS[@]}" xhost +si:localuser:root >/dev/null
}

# A native Wayland window filled with the colour `rrggbb`, in front of the desktop; waits until
# sway shows it.
wayland_window() {  # colour
  "${WAYLAND_AS[@]}" foot -o colors.background="$1" sh -c 'exec sleep 3600' >/dev/null 2>&1 &
  WAYLAND_WINDOW_PID=$!
  for _ in $(seq 50); do
    "${WAYLAND_AS[@]}" sh -c 'SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock) swaymsg -t get_tree' 2>/dev/null \
      | grep -q '"app_id": "foot"' && return 0
    sleep 0.1
  done
  echo "foot did not show its window" >&2
  return 1
}

wayland_stop() {
  local pid
  # sway takes its XWayland along.
  for pid in ${WAYLAND_WINDOW_PID:-} ${WAYLAND_PID:-}; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  WAYLAND_WINDOW_PID="" WAYLAND_PID=""
  [ -z "${WAYLAND_RUN:-}" ] || rm -rf "$WAYLAND_RUN"
  WAYLAND_RUN=""
}
