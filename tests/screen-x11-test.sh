#!/usr/bin/env bash
# The real tessilo-screen on an X11 session of its own (Xvfb): pictures of the root window on
# request, and what a reader is told when the source goes (killed, stopped, the X server gone).
# Usage: screen-x11-test.sh FRAME_PROBE TESSILO_SCREEN. Exits 77 (skipped) without Xvfb or the program.
set -uo pipefail
probe=$1 screen=$2
for tool in Xvfb xsetroot xrandr; do
  command -v "$tool" >/dev/null || { echo "Skipped: $tool is not installed"; exit 77; }
done
[ -x "$screen" ] || { echo "Skipped: $screen is not built (scripts/build.sh tessilo-screen)"; exit 77; }

run=$(mktemp -d)
chmod 700 "$run"
frame=$run/tessilo-screen.frame
xvfb="" source_pid="" failures=0
cleanup() {
  [ -z "$source_pid" ] || kill -9 "$source_pid" 2>/dev/null
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$run"
}
trap cleanup EXIT

check() {  # name expected actual
  if [ "$2" = "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: expected \"$2\", got \"$3\""
    failures=$((failures + 1))
  fi
}

start_display() {
  local n=150
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  # -noreset: the root's colour outlives the xsetroot that set it.
  Xvfb ":$n" -screen 0 1280x720x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    xsetroot -solid '#204060' 2>/dev/null && return 0
    sleep 0.05
  done
  echo "Xvfb did not start"
  exit 1
}

start_source() {
  # A source killed outright leaves its word behind.
  rm -f "$run/ready"
  XDG_RUNTIME_DIR=$run WAYLAND_DISPLAY="" XDG_SESSION_TYPE=x11 "$screen" --ready-file "$run/ready" >"$run/screen.log" 2>&1 &
  source_pid=$!
  for _ in $(seq 100); do
    [ "$(cat "$run/ready" 2>/dev/null)" = x11 ] && return 0
    sleep 0.05
  done
  echo "tessilo-screen did not start:"
  cat "$run/screen.log"
  exit 1
}

# The reader waits in the background with the file open, as a capture does, while the source goes.
reader_sees_end() {  # name expected command...
  local name=$1 expected=$2 seen
  shift 2
  "$probe" "$frame" until-gone 8000 >"$run/gone" &
  local reader=$!
  sleep 0.3
  "$@"
  wait "$reader"
  seen=$(cat "$run/gone")
  check "$name" "$expected" "$seen"
  { wait "$source_pid"; } 2>/dev/null
  source_pid=""
}

start_display
start_source
check "the frame file is the user's alone" 600 "$(stat -c %a "$frame")"
check "a picture of the root window at its size" "copied 1280 720 204060" "$("$probe" "$frame" snapshot 5 5)"
xsetroot -solid '#c08010'
check "each request reads the screen anew" "copied 1280 720 c08010" "$("$probe" "$frame" snapshot 1279 719)"
xrandr --fb 800x600 >/dev/null 2>&1
check "follows the screen's size when RandR changes it" "copied 800 600 c08010" "$("$probe" "$frame" snapshot 799 599)"

# Answers well within a 50/s capture's 20 ms, and costs nothing while nobody asks.
latency=$("$probe" "$frame" latency 40)
echo "request to answer at 800x600: $latency (min median max)"
median=$(awk '/^latency-ms/ { print ($3 < 20) ? "fast" : $3 }' <<<"$latency")
check "answers within 20 ms" fast "$median"
before=$(awk '{ print $14 + $15 }' "/proc/$source_pid/stat")
sleep 2
after=$(awk '{ print $14 + $15 }' "/proc/$source_pid/stat")
check "an idle source uses no CPU (clock ticks in 2 s)" yes "$([ $((after - before)) -le 2 ] && echo yes || echo $((after - before)))"

reader_sees_end "a source killed mid-capture is reported dead" "dead none" kill -9 "$source_pid"
start_source
reader_sees_end "a stopped source says so" "ended stopped" kill -TERM "$source_pid"
check "a stopped source removes its file" no "$([ -e "$frame" ] && echo yes || echo no)"
check "and its word that it serves" no "$([ -e "$run/ready" ] && echo yes || echo no)"
start_source
XDG_RUNTIME_DIR=$run WAYLAND_DISPLAY="" "$screen" >/dev/null 2>&1
check "a second source in the session says it is not needed" 3 "$?"
reader_sees_end "a source whose X server went away says so" "ended display-gone" kill "$xvfb"
xvfb=""

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
