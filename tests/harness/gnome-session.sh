# Sourced by test.sh after portal-env.sh: a headless GNOME session (mutter with its XWayland, the
# GNOME portal backend), everything as the user nobody, on portal-env.sh's helpers.
#
#   gnome_session_start [WxH]
#                           mutter on a private runtime folder with a session D-Bus, PipeWire and
#                           WirePlumber, its monitor 1280x720 by default; sets WAYLAND_RUN,
#                           WAYLAND_DISPLAY, WAYLAND_X_DISPLAY (open to root), WAYLAND_DESKTOP
#   gnome_window RRGGBB [COMMAND]
#                           a native full-screen window of that colour (running COMMAND, repainting
#                           every frame by default); sets TESSILO_SHARED_WINDOW
#   gnome_share_start EXE   EXE shares the screen, its share question answered as a person does;
#                           then started once more, when it must share at once without asking (the
#                           restore token); sets TESSILO_END_SHARE
# wayland_session_stop ends it.

GNOME_PACKAGES=(mutter xdg-desktop-portal-gnome)

gnome_session_start() {  # [size]
  GNOME_SIZE=${1:-1280x720}
  WAYLAND_RUN=$(mktemp -d /tmp/tessilo-gnome.XXXXXX)
  WAYLAND_DESKTOP=GNOME
  mkdir -p "$WAYLAND_RUN"/{home,config,data,state}
  chown -R 65534:65534 "$WAYLAND_RUN"
  chmod 0700 "$WAYLAND_RUN"
  export WAYLAND_DISPLAY=wayland-gnome
  wayland_spawn dbus.log dbus-daemon --session --address="unix:path=$WAYLAND_RUN/bus" --nofork
  wayland_wait_for "$WAYLAND_RUN/bus" "The session D-Bus" || return 1
  wayland_spawn pipewire.log pipewire
  wayland_wait_for "$WAYLAND_RUN/pipewire-0" PipeWire || return 1
  wayland_spawn wireplumber.log wireplumber
  wayland_spawn mutter.log mutter --headless --wayland --virtual-monitor "$GNOME_SIZE" \
    --wayland-display="$WAYLAND_DISPLAY"
  local _
  for _ in $(seq 100); do
    grep -q "Using public X11 display" "$WAYLAND_RUN/mutter.log" && break
    sleep 0.1
  done
  WAYLAND_X_DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$WAYLAND_RUN/mutter.log" | head -n 1)
  WAYLAND_X_AUTHORITY=$(ls "$WAYLAND_RUN"/.mutter-Xwaylandauth.* 2>/dev/null | head -n 1)
  [ -n "$WAYLAND_X_DISPLAY" ] && [ -n "$WAYLAND_X_AUTHORITY" ] || { echo "mutter did not start" >&2; return 1; }
  as_session_user xhost +si:localuser:root >/dev/null
  # The portal's share question opens on XWayland, where a test can answer it.
  as_session_user dbus-update-activation-environment WAYLAND_DISPLAY="$WAYLAND_DISPLAY" DISPLAY="$WAYLAND_X_DISPLAY" \
    XAUTHORITY="$WAYLAND_X_AUTHORITY" XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland GDK_BACKEND=x11
}

gnome_window() {  # colour [shell command shown in the window]
  # Mapped long before the share's first frame; one colour however it repaints.
  wayland_spawn foot.log foot --fullscreen -o colors.background="$1" -o colors.foreground="$1" \
    -o cursor.color="$1 $1" sh -c "${2:-$REPAINTING}"
  export TESSILO_SHARED_WINDOW="0 0 ${GNOME_SIZE/x/ } $1"
}

# The share question's window, or nothing.
gnome_share_question() {
  as_session_user xdotool search --onlyvisible --name '^Screen Share$' 2>/dev/null | head -n 1
}

# Starts EXE and waits up to 10 s for it to share; with `answer`, answers the question on the way.
gnome_share_wait() {  # exe log [answer]
  rm -f "$WAYLAND_RUN/tessilo-screen.ready"
  wayland_spawn "$2" "$WAYLAND_RUN/tessilo-screen" --ready-file "$WAYLAND_RUN/tessilo-screen.ready"
  local pid=${WAYLAND_PIDS[-1]} _ question
  for _ in $(seq 100); do
    [ -e "$WAYLAND_RUN/tessilo-screen.ready" ] && return 0
    kill -0 "$pid" 2>/dev/null || break
    question=$(gnome_share_question)
    if [ -n "$question" ] && [ -n "${3:-}" ]; then
      # The monitor in the list, then Share: the button takes a click only once one is picked.
      sleep 0.5
      as_session_user xdotool mousemove --window "$question" 310 228 click 1 sleep 0.5 \
        mousemove --window "$question" 515 77 click 1
    elif [ -n "$question" ]; then
      echo "the GNOME portal asked again which screen to share" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "tessilo-screen did not share the screen:" >&2
  cat "$WAYLAND_RUN/$2" >&2 || true
  return 1
}

gnome_share_start() {  # exe
  cp "$1" "$WAYLAND_RUN/tessilo-screen"
  gnome_share_wait "$1" tessilo-screen-first.log answer || return 1
  kill "${WAYLAND_PIDS[-1]}" && wait "${WAYLAND_PIDS[-1]}" 2>/dev/null || true
  local started=$SECONDS
  gnome_share_wait "$1" tessilo-screen.log || return 1
  echo "The GNOME portal shared the screen again without asking, in $((SECONDS - started)) s or less" >&2
  share_end_script org.freedesktop.impl.portal.desktop.gnome
}
