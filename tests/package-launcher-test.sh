#!/usr/bin/env bash
# The package's tessilo command, run from the unpacked package as a menu starts it (no terminal),
# in the tests' Wine prefix.
#   package-launcher-test.sh DEB            on the test display under its window manager: a
#     failure shows in a window; two windows, the first closed, the second still records; after
#     the last window nothing it started runs; a launcher killed outright leaves nothing running
#     and the next start records
#   package-launcher-test.sh DEB wayland    on the sway session without a screen-cast portal: a
#     window says why Tessilo cannot record there, and Tessilo does not start
set -u
deb=$1 session=${2:-x11}
if [ "$session" = wayland ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Skipped: not a Wayland session (WAYLAND_DISPLAY is not set)"
  exit 77
fi
: "${WINEPREFIX:?the Wine prefix of the tests}" "${DISPLAY:?the test display}"
work=$(mktemp -d /tmp/tessilo-launcher.XXXXXX)
launchers=()
finish() {
  local pid
  for pid in "${launchers[@]}"; do kill "$pid" 2>/dev/null; done
  pkill -f "zenity --error --title=Tessilo" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAILED: $*" >&2; for log in "$work"/output.*; do echo "--- $log" >&2; cat "$log" >&2; done; exit 1; }
[ -f "$deb" ] || fail "no $deb: scripts/package.sh makes it"
dpkg-deb -x "$deb" "$work/root"
export XDG_STATE_HOME=$work/state TESSILO_WINEPREFIX=$WINEPREFIX
# The Wayland session's own runtime folder holds its sockets; on X11 the test has its own.
if [ "$session" != wayland ]; then
  mkdir -m 700 "$work/run"
  export XDG_RUNTIME_DIR=$work/run
fi

# Started as the menu starts it: no terminal, output nobody reads. Sets `launcher`.
start() {  # name
  setsid "$work/root/usr/bin/tessilo" </dev/null >"$work/output.$1" 2>&1 &
  launcher=$!
  launchers+=("$launcher")
}

# The helpers the launchers recorded that still run, by name.
helpers_running() {
  local name pid state running=""
  for name in screen companion; do
    pid=$(cat "$XDG_RUNTIME_DIR/tessilo/$name.pid" 2>/dev/null) || continue
    # Ended, also when nobody has reaped it yet (Z).
    state=$(sed 's/.*) \(.\).*/\1/' "/proc/$pid/stat" 2>/dev/null)
    [ -z "$state" ] || [ "$state" = Z ] || running="$running $name"
  done
  echo "$running"
}

ends_within() {  # pid seconds: sets `status`
  local _
  status=""
  for _ in $(seq $(($2 * 10))); do
    if ! kill -0 "$1" 2>/dev/null; then
      status=0
      wait "$1" || status=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

if [ "$session" = wayland ]; then
  sway_tree() { SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock) swaymsg -t get_tree; }
  start wayland
  ends_within "$launcher" 60 || fail "the command still ran after a minute without a screen share"
  [ "$status" -eq 1 ] || fail "the command ended with $status, not 1"
  shown=""
  for _ in $(seq 100); do
    sway_tree 2>/dev/null | grep -qiE '"(app_id|class)": "zenity"' && shown=yes && break
    sleep 0.1
  done
  [ -n "$shown" ] || fail "no window told why Tessilo cannot record this session"
  grep -q "cannot record this Wayland session" "$work/state/tessilo/tessilo.log" || fail "the log does not say why"
  pgrep -f "$work/root/.*/tessilo\.exe" >/dev/null && fail "Tessilo started although it cannot record here"
  echo "package launcher on Wayland without a share: a window said why, and Tessilo did not start"
  exit 0
fi

# Tessilo windows, oldest first.
windows() { xdotool search --onlyvisible --name '^Tessilo$' 2>/dev/null; }
# Waits for a Tessilo window that `before` did not list; sets `window`.
new_window() {  # before
  local _ id
  window=""
  for _ in $(seq 600); do
    for id in $(windows); do
      grep -qx "$id" <<<"$1" || { window=$id; return 0; }
    done
    kill -0 "$launcher" 2>/dev/null || break
    sleep 0.1
  done
  fail "no new Tessilo window within a minute"
}

# Waits up to SECONDS for a visible window that xdotool's search finds (sets `box`), or with
# `gone` for `box` to go.
box() {  # seconds gone|search-options...
  local seconds=$1 _
  shift
  for _ in $(seq $((seconds * 10))); do
    if [ "$1" = gone ]; then
      xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$box" || return 0
    else
      box=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1)
      [ -z "$box" ] || return 0
    fi
    sleep 0.1
  done
  return 1
}

# A capture of a second in `window` into the folder the settings name: files are written.
records() {
  rm -f "$work/pictures"/*
  xdotool windowactivate --sync "$window" key Return
  sleep 3
  # The window brought back ends the capture and asks whether to open the folder: No. A key
  # pressed before that box has gone would be lost on it.
  xdotool windowactivate "$window" 2>/dev/null
  box 30 --name '^Confirmation$' || return 1
  xdotool windowactivate --sync "$box" key n
  box 30 gone || return 1
  [ -n "$(ls "$work/pictures")" ]
}

# 1. A failure, here a prefix that cannot be made, shows in a window; also when the start has no
# locale and the message a character beyond ASCII.
LC_ALL=C TESSILO_WINEPREFIX=/proc/tessilo-é/prefix start failing
ends_within "$launcher" 30 || fail "the command with an impossible prefix still ran after 30 s"
[ "$status" -eq 1 ] || fail "the command with an impossible prefix ended with $status, not 1"
box 10 --class zenity || fail "no window showed why Tessilo could not start"
xdotool windowclose "$box" 2>/dev/null || xdotool windowkill "$box"

# Captures into a folder of the test's, as BMP.
mkdir "$work/pictures"
settings='HKCU\Software\Norvane\Tessilo32\Setting'
wine reg add "$settings" /v Ext /d bmp /f >/dev/null 2>&1
wine reg add "$settings\\Folder" /v Count /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$settings\\Folder\\00" /ve /d "$(winepath -w "$work/pictures")" /f >/dev/null 2>&1

# 2. Two windows; the first closes; the second still records.
start first
new_window "$(windows)"
first=$window first_launcher=$launcher
start second
new_window "$(windows)"
second=$window second_launcher=$launcher
xdotool windowactivate --sync "$first" key Escape
ends_within "$first_launcher" 30 || fail "the first window's command still ran 30 s after Escape"
[ "$status" -eq 0 ] || fail "the first window's command ended with $status"
[ "$(helpers_running)" = " screen companion" ] || fail "the first window's end stopped what the second uses:$(helpers_running)"
window=$second
records || fail "the second window recorded nothing after the first had closed"
xdotool windowactivate --sync "$second" key Escape
ends_within "$second_launcher" 30 || fail "the second window's command still ran 30 s after Escape"
[ "$status" -eq 0 ] || fail "the second window's command ended with $status"
[ -z "$(helpers_running)" ] || fail "still running after the last window closed:$(helpers_running)"

# 3. A launcher killed outright: what it started stops, and the next start records.
start killed
new_window "$(windows)"
orphan=$window
{ kill -KILL "$launcher"; wait "$launcher"; } 2>/dev/null
for _ in $(seq 50); do
  [ -z "$(helpers_running)" ] && break
  sleep 0.1
done
[ -z "$(helpers_running)" ] || fail "still running 5 s after the only launcher was killed:$(helpers_running)"
start again
new_window "$(windows)"
records || fail "the start after a killed launcher recorded nothing"
xdotool windowactivate --sync "$window" key Escape
ends_within "$launcher" 30 || fail "the last command still ran 30 s after Escape"
# The killed launcher's window, still open, closes as any does.
xdotool windowactivate --sync "$orphan" key Escape
echo "package launcher: a failure showed in a window; two windows recorded; a killed launcher left nothing running"
