#!/usr/bin/env bash
# The package's tessilo command, run from the unpacked package on the test display (under its window
# manager) in the tests' Wine prefix: Tessilo's window shows, Escape closes it, the command ends
# with 0 and leaves no companion running.
#   package-launcher-test.sh DEB
set -u
deb=$1
: "${WINEPREFIX:?the Wine prefix of the tests}" "${DISPLAY:?the test display}"
work=$(mktemp -d /tmp/tessilo-launcher.XXXXXX)
launcher=""
trap '[ -z "$launcher" ] || kill "$launcher" 2>/dev/null; rm -rf "$work"' EXIT
[ -f "$deb" ] || { echo "FAILED: no $deb: scripts/package.sh makes it" >&2; exit 1; }
dpkg-deb -x "$deb" "$work/root"

XDG_STATE_HOME=$work/state "$work/root/usr/bin/tessilo" >"$work/output" 2>&1 &
launcher=$!
window=""
for _ in $(seq 600); do
  window=$(xdotool search --onlyvisible --name '^Tessilo$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$launcher" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "FAILED: no Tessilo window within a minute; the command said:" >&2
  cat "$work/output" >&2
  exit 1
fi
# Focused through the X server as a click would: the key goes to the focused window.
xdotool windowfocus --sync "$window" key Escape

status=""
for _ in $(seq 300); do
  if ! kill -0 "$launcher" 2>/dev/null; then
    status=0
    wait "$launcher" || status=$?
    launcher=""
    break
  fi
  sleep 0.1
done
[ -n "$status" ] || { echo "FAILED: Tessilo was still running 30 s after Escape" >&2; exit 1; }
[ "$status" -eq 0 ] || { echo "FAILED: the command ended with $status:" >&2; cat "$work/output" >&2; exit 1; }

# The companion goes with Tessilo; only this prefix's processes count.
for environment in /proc/[0-9]*/environ; do
  pid=$(basename "$(dirname "$environment")")
  if grep -qsz "^WINEPREFIX=$WINEPREFIX\$" "$environment" && grep -qsa tessilo-prtsc "/proc/$pid/cmdline"; then
    echo "FAILED: the companion (pid $pid) still runs after Tessilo ended" >&2
    exit 1
  fi
done
echo "package launcher: the window showed, Escape ended it with 0"
