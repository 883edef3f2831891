# Sourced by the scripts after wine-env.sh: a headless Wayland session (sway with XWayland) with
# the screen-cast portal, everything as the user nobody (sway refuses root), and the patched portal
# backend it needs on a machine without a GPU (tests/wayland/xdpw-without-gpu.patch).
#
#   portal_wlr_build CACHE     builds the backend once into CACHE; sets PORTAL_WLR
#   wayland_session_start      sway on a private runtime folder; sets WAYLAND_RUN, WAYLAND_DISPLAY,
#                              WAYLAND_X_DISPLAY (its XWayland, open to root)
#   portal_start               session D-Bus, PipeWire, WirePlumber, the portal and its backend,
#                              answering
#   wayland_window RRGGBB [COMMAND]
#                              a native window of that colour filling the screen (running COMMAND,
#                              a still screen by default); sets TESSILO_SHARED_WINDOW
#   wayland_swaymsg ARGS...    a command to the session's sway (an output's scale, a new output)
#   screen_share_start EXE     the screen source EXE sharing the screen, its ScreenCast calls
#                              recorded; sets TESSILO_END_SHARE, TESSILO_PORTAL_CALLS and
#                              TESSILO_SCREEN_LOG (its output)
#   share_end_script NAME      the script that ends a share as the desktop does, by ending the
#                              portal backend NAME; sets TESSILO_END_SHARE
#   as_session_user CMD...     runs CMD as nobody with the session's environment
#   wayland_session_stop       ends everything these started; safe to call on any path, twice

WAYLAND_PIDS=()

# Packages: the session, and what the backend's build needs beside its source.
WAYLAND_PACKAGES=(sway xwayland foot pipewire wireplumber xdg-desktop-portal xdg-desktop-portal-wlr
  x11-xserver-utils dbus-bin dpkg-dev meson ninja-build pkg-config libwayland-dev wayland-protocols libinih-dev libdrm-dev
  libpipewire-0.3-dev)

portal_wlr_build() {  # cache
  local cache=$1
  PORTAL_WLR=$cache/build/xdg-desktop-portal-wlr
  [ -x "$PORTAL_WLR" ] && return 0
  echo "Building the patched xdg-desktop-portal-wlr in $cache (first run only)" >&2
  rm -rf "$cache"
  mkdir -p "$cache/sources.d" "$cache/lists/partial" "$cache/apt-cache/archives/partial" "$cache/sysroot"
  # Source lines for the archives apt already uses, in a list of our own: the machine's stays as it is.
  local list
  for list in /etc/apt/sources.list.d/*.sources; do
    [ -f "$list" ] && sed 's/^Types: deb$/Types: deb-src/' "$list" >"$cache/sources.d/$(basename "$list")"
  done
  [ -f /etc/apt/sources.list ] && sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$cache/sources.d/main.list"
  local apt=(apt-get -q -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$cache/sources.d"
    -o Dir::State::Lists="$cache/lists" -o Dir::Cache="$cache/apt-cache" -o APT::Sandbox::User=root)
  local patch_file
  patch_file=$(cd "$(dirname "${BASH_SOURCE[0]}")/../wayland" && pwd)/xdpw-without-gpu.patch
  # A list of another archive that has no sources may fail its update; the source is what counts.
  if ! ( "${apt[@]}" update || true
         cd "$cache" && "${apt[@]}" source --download-only xdg-desktop-portal-wlr &&
         dpkg-source -x "$cache"/xdg-desktop-portal-wlr_*.dsc "$cache/src" &&
         patch -d "$cache/src" -p1 <"$patch_file" &&
         # Installing these two would upgrade systemd and mesa on the machine: unpacked beside
         # the build instead, against the libraries already installed.
         apt-get -q -o APT::Sandbox::User=root download libgbm-dev libsystemd-dev ) >"$cache/apt.log" 2>&1; then
    tail -n 20 "$cache/apt.log" >&2
    echo "Could not fetch and patch xdg-desktop-portal-wlr's source; the log is $cache/apt.log" >&2
    return 1
  fi
  local deb
  for deb in "$cache"/*.deb; do dpkg -x "$deb" "$cache/sysroot"; done
  local lib=$cache/sysroot/usr/lib/x86_64-linux-gnu link
  sed -i "s|^\([a-z_]*\)=/usr|\1=$cache/sysroot/usr|" "$lib"/pkgconfig/*.pc
  for link in "$lib"/*.so; do
    ln -sf "/usr/lib/x86_64-linux-gnu/$(readlink "$link")" "$link"
  done
  PKG_CONFIG_PATH="$lib/pkgconfig" meson setup "$cache/build" "$cache/src" --buildtype=release \
    -Dsystemd=disabled -Dman-pages=disabled -Dsd-bus-provider=libsystemd -Dwerror=false >"$cache/build.log" 2>&1 &&
    ninja -C "$cache/build" >>"$cache/build.log" 2>&1 || { tail -n 20 "$cache/build.log" >&2; return 1; }
}

# The command line that runs a command as the session's user, in WAYLAND_COMMAND.
wayland_user_command() {
  WAYLAND_COMMAND=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$WAYLAND_RUN/home"
    XDG_RUNTIME_DIR="$WAYLAND_RUN" XDG_CONFIG_HOME="$WAYLAND_RUN/config" XDG_DATA_HOME="$WAYLAND_RUN/data"
    XDG_STATE_HOME="$WAYLAND_RUN/state" XDG_CURRENT_DESKTOP="${WAYLAND_DESKTOP:-sway}" XDG_SESSION_TYPE=wayland
    WAYLAND_DISPLAY="$WAYLAND_DISPLAY" DBUS_SESSION_BUS_ADDRESS="unix:path=$WAYLAND_RUN/bus"
    DISPLAY="${WAYLAND_X_DISPLAY:-}" ${WAYLAND_X_AUTHORITY:+XAUTHORITY="$WAYLAND_X_AUTHORITY"})
}

as_session_user() {
  wayland_user_command
  "${WAYLAND_COMMAND[@]}" "$@"
}

# Starts CMD as the session's user in the background and keeps its pid for wayland_session_stop
# (setpriv and env replace themselves: the pid is CMD's); its output goes to WAYLAND_RUN/LOG.
wayland_spawn() {  # log cmd...
  local log=$WAYLAND_RUN/$1
  shift
  wayland_user_command
  "${WAYLAND_COMMAND[@]}" "$@" >"$log" 2>&1 &
  WAYLAND_PIDS+=($!)
}

# Waits up to 10 s for a file to appear.
wayland_wait_for() {  # path what
  wait_for_file "$1" 10 && return 0
  echo "$2 did not start" >&2
  return 1
}

wayland_session_start() {
  WAYLAND_RUN=$(mktemp -d /tmp/tessilo-wayland.XXXXXX)
  mkdir -p "$WAYLAND_RUN"/{home,config,data,state}
  chown -R 65534:65534 "$WAYLAND_RUN"
  chmod 0700 "$WAYLAND_RUN"
  export WAYLAND_DISPLAY=wayland-1
  # sway tells its XWayland display to the commands it runs.
  cat >"$WAYLAND_RUN/sway.conf" <<CONF
output HEADLESS-1 resolution 1280x720 position 0 0
xwayland enable
default_border none
# Wine's windows go to a workspace out of sight: the native window fills the screen alone.
for_window [shell="xwayland"] move container to workspace 2
exec sh -c 'xhost +si:localuser:root >/dev/null; echo "\$DISPLAY" >$WAYLAND_RUN/x-display'
CONF
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman wayland_spawn sway.log sway -c "$WAYLAND_RUN/sway.conf"
  wayland_wait_for "$WAYLAND_RUN/x-display" sway || return 1
  WAYLAND_X_DISPLAY=$(cat "$WAYLAND_RUN/x-display")
}

portal_start() {
  # The bus starts the portal, which starts only the patched backend, which shares the one output
  # without asking. Written before the bus starts: it reads its service folders once.
  mkdir -p "$WAYLAND_RUN/portals" "$WAYLAND_RUN/data/dbus-1/services" "$WAYLAND_RUN/config/xdg-desktop-portal-wlr"
  cp /usr/share/xdg-desktop-portal/portals/wlr.portal "$WAYLAND_RUN/portals/"
  cp "$PORTAL_WLR" "$WAYLAND_RUN/xdg-desktop-portal-wlr"
  cat >"$WAYLAND_RUN/data/dbus-1/services/org.freedesktop.impl.portal.desktop.wlr.service" <<CONF
[D-BUS Service]
Name=org.freedesktop.impl.portal.desktop.wlr
Exec=$WAYLAND_RUN/xdg-desktop-portal-wlr
CONF
  cat >"$WAYLAND_RUN/data/dbus-1/services/org.freedesktop.portal.Desktop.service" <<CONF
[D-BUS Service]
Name=org.freedesktop.portal.Desktop
Exec=/usr/bin/env XDG_DESKTOP_PORTAL_DIR=$WAYLAND_RUN/portals /usr/libexec/xdg-desktop-portal
CONF
  # No document portal: it cannot mount its folder without /dev/fuse, and a portal that asks for it
  # while it fails stalled its start past a caller's time-out about one time in three (measured).
  printf '[D-BUS Service]\nName=org.freedesktop.portal.Documents\nExec=/bin/false\n' \
    >"$WAYLAND_RUN/data/dbus-1/services/org.freedesktop.portal.Documents.service"
  printf '[screencast]\nchooser_type=none\noutput_name=HEADLESS-1\n' \
    >"$WAYLAND_RUN/config/xdg-desktop-portal-wlr/config"
  chown -R 65534:65534 "$WAYLAND_RUN"

  wayland_spawn dbus.log dbus-daemon --session --address="unix:path=$WAYLAND_RUN/bus" --nofork
  wayland_wait_for "$WAYLAND_RUN/bus" "The session D-Bus" || return 1
  wayland_spawn pipewire.log pipewire
  wayland_wait_for "$WAYLAND_RUN/pipewire-0" PipeWire || return 1
  # Without it a stream never links to the screen's node.
  wayland_spawn wireplumber.log wireplumber
  portal_answers
}

# Starts the portal and waits until it answers. Its start stalls now and then on these machines
# (blocked past a caller's 25 s time-out, measured about one time in ten): such a portal is ended
# and started again.
portal_answers() {
  local _ pid address="unix:path=$WAYLAND_RUN/bus"
  for _ in 1 2 3; do
    as_session_user dbus-send --bus="$address" --print-reply=literal --reply-timeout=8000 \
      --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
      string:org.freedesktop.portal.ScreenCast string:version >/dev/null 2>&1 && return 0
    echo "The screen-cast portal did not answer; starting it again" >&2
    # It may not own its bus name yet: found by the folder of portals only this session gives it.
    for pid in $(grep -lsz "^XDG_DESKTOP_PORTAL_DIR=$WAYLAND_RUN/portals\$" /proc/[0-9]*/environ | cut -d/ -f3); do
      [ "$(stat -c %u "/proc/$pid" 2>/dev/null)" = 65534 ] && kill "$pid" 2>/dev/null || true
    done
    sleep 0.5
  done
  echo "The screen-cast portal did not start" >&2
  return 1
}

# A shell loop that writes a line every frame (60 a second): a window that repaints all the time.
REPAINTING='while :; do echo repaint; sleep 0.016; done'

wayland_window() {  # colour [shell command shown in the window]
  # Text and cursor in the window's colour: it is one colour throughout, however it repaints.
  wayland_spawn foot.log foot -o colors.background="$1" -o colors.foreground="$1" -o cursor.color="$1 $1" \
    sh -c "${2:-$REPAINTING}"
  local _ shown=""
  for _ in $(seq 50); do
    as_session_user sh -c 'SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock) swaymsg -t get_tree' 2>/dev/null \
      | grep -q '"app_id": "foot"' && shown=yes && break
    sleep 0.1
  done
  [ -n "$shown" ] || { echo "foot did not show its window" >&2; return 1; }
  # The only tiled window, borderless: the whole output.
  export TESSILO_SHARED_WINDOW="0 0 1280 720 $1"
}

wayland_swaymsg() {  # args...
  as_session_user sh -c 'SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock) exec swaymsg "$@"' swaymsg "$@" >/dev/null
}

screen_share_start() {  # exe
  local _
  cp "$1" "$WAYLAND_RUN/tessilo-screen"
  # What it asks of the portal, as the session bus carries it.
  wayland_spawn portal-calls.log dbus-monitor --session "type='method_call',interface='org.freedesktop.portal.ScreenCast'"
  for _ in $(seq 50); do
    [ -s "$WAYLAND_RUN/portal-calls.log" ] && break
    sleep 0.1
  done
  export TESSILO_PORTAL_CALLS="$WAYLAND_RUN/portal-calls.log" TESSILO_SCREEN_LOG="$WAYLAND_RUN/tessilo-screen.log"
  wayland_spawn tessilo-screen.log "$WAYLAND_RUN/tessilo-screen" --ready-file "$WAYLAND_RUN/tessilo-screen.ready"
  # The bus may first have to start the portal and its backend: slow on a loaded machine.
  if ! wait_for_file "$WAYLAND_RUN/tessilo-screen.ready" 60 "${WAYLAND_PIDS[-1]}"; then
    echo "tessilo-screen did not share the screen within a minute:" >&2
    cat "$WAYLAND_RUN/tessilo-screen.log" >&2
    return 1
  fi
  share_end_script org.freedesktop.impl.portal.desktop.wlr
}

# Writes the script that ends the share as the desktop's "stop sharing" does: the portal backend
# that casts the screen goes. Sets TESSILO_END_SHARE.
share_end_script() {  # the backend's bus name
  wayland_user_command
  cat >"$WAYLAND_RUN/end-share.sh" <<SCRIPT
pid=\$(${WAYLAND_COMMAND[*]} dbus-send --bus=unix:path=$WAYLAND_RUN/bus --print-reply --dest=org.freedesktop.DBus / \\
  org.freedesktop.DBus.GetConnectionUnixProcessID string:$1 | sed -n 's/^ *uint32 //p')
kill "\$pid"
SCRIPT
  export TESSILO_END_SHARE="$WAYLAND_RUN/end-share.sh"
}

# The processes the bus started belong to no shell job: they are asked for by bus name.
wayland_bus_pids() {
  local address="unix:path=$WAYLAND_RUN/bus" name
  [ -S "$WAYLAND_RUN/bus" ] || return 0
  for name in $(as_session_user dbus-send --bus="$address" --print-reply --dest=org.freedesktop.DBus / \
      org.freedesktop.DBus.ListNames 2>/dev/null | sed -n 's/^ *string "\(:[^"]*\)"/\1/p'); do
    as_session_user dbus-send --bus="$address" --print-reply --dest=org.freedesktop.DBus / \
      org.freedesktop.DBus.GetConnectionUnixProcessID "string:$name" 2>/dev/null | sed -n 's/^ *uint32 //p'
  done
}

# Every step tolerates what is already gone: this runs under set -e, on every path.
wayland_session_stop() {
  [ -n "${WAYLAND_RUN:-}" ] || return 0
  local pid bus_pids
  bus_pids=$(wayland_bus_pids | sort -u) || true
  for pid in $bus_pids; do
    # Only what runs as the session's user: the bus reports no other clients, but a pid may
    # have been reused since.
    if [ "$(stat -c %u "/proc/$pid" 2>/dev/null)" = 65534 ]; then kill "$pid" 2>/dev/null || true; fi
  done
  for pid in "${WAYLAND_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${WAYLAND_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  # They are PID 1's children: gone once it reaps them, a zombie until then.
  local _
  for pid in $bus_pids; do
    for _ in $(seq 100); do
      [ "$(stat -c %u "/proc/$pid" 2>/dev/null)" = 65534 ] && [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" != Z ] \
        || break
      sleep 0.05
    done
  done
  WAYLAND_PIDS=()
  rm -rf "$WAYLAND_RUN"
  WAYLAND_RUN="" WAYLAND_DESKTOP="" WAYLAND_X_AUTHORITY=""
}
