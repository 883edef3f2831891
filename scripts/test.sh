#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the test programs and the
# real tessilo.exe under Wine on a private Xvfb display, in a private Wine prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-env.sh"
. "$root/tests/harness/portal-env.sh"
. "$root/tests/harness/gnome-session.sh"
. "$root/tests/harness/test-prefix.sh"
# The tests run on displays of their own: a Wayland session of the caller's is none of theirs.
unset WAYLAND_DISPLAY XDG_SESSION_TYPE

"$root/scripts/install-deps.sh" xvfb x11-xserver-utils g++ openbox xdotool "${WAYLAND_PACKAGES[@]}" "${GNOME_PACKAGES[@]}" \
  lintian desktop-file-utils
"$root/scripts/build.sh"
# The downloads, made from this build (a relink): the exe may need only Windows' own DLLs, and the
# zip holds exactly tessilo.exe, README.txt and LICENSE.txt; the tests check the Debian package.
BUILD_DIR="$build" "$root/scripts/package.sh" >/dev/null

# The platform-free modules with their tests and the fuzz corpus, natively under ASan and UBSan, and
# the real tessilo-screen on an X11 display of its own.
cmake -S "$root/tests/native" -B "$build/native" -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Debug \
  -DTESSILO_SCREEN="$build/screen/tessilo-screen" >/dev/null
cmake --build "$build/native" -j2
ctest --test-dir "$build/native" --output-on-failure

# The tests' own prefix: they delete and rewrite the stored settings, never the user's.
test_prefix_check "$build/wineprefix"
wine_prefix_setup "$build/wineprefix"
test_prefix_unmanaged tessilo_tests.exe
xvfb_start 1280x720x24
wine_start
small="$build/smalldisk" readonly="$build/readonlydisk" switch="$build/readonly-switch"
rm -f "$switch"
watcher="" skipped=""
cleanup() {
  wine_stop
  wayland_session_stop
  openbox_stop
  xvfb_stop
  [ -z "$watcher" ] || kill "$watcher" 2>/dev/null || true
  rm -f "$switch"
  for disk in "$small" "$readonly"; do ! mountpoint -q "$disk" || umount "$disk"; done
  [ -z "$skipped" ] || echo "Skipped, since only root can mount their small tmpfs: $skipped" >&2
}
trap cleanup EXIT

# Small file systems, each a little larger than the 512 MiB a capture leaves free (a tmpfs takes
# memory only as it is written): one for the full-disk tests; one that is read-only while a switch
# file exists, for a folder made read-only during a capture (as root, a folder's permissions stop
# no write). Mounting needs root: as root a failed mount ends the run, without root those tests
# are skipped, and the run's last line says so.
mount_small() {  # directory what size
  local error
  mkdir -p "$1"
  # One a killed run left behind gets this run's size.
  mountpoint -q "$1" && mount -o "remount,size=$3" "$1" 2>/dev/null && return 0
  error=$(mount -t tmpfs -o "size=$3" tessilo-small "$1" 2>&1) && mountpoint -q "$1" && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Could not mount the small tmpfs for the $2 tests at $1: ${error:-not a mount point after mounting}" >&2
    exit 1
  fi
  skipped="${skipped:+$skipped and }the $2 tests"
  return 1
}
if mount_small "$small" full-disk 528m; then
  export TESSILO_SMALL_DISK="$(winepath -w "$small")"
fi
if mount_small "$readonly" read-only-disk 528m; then
  export TESSILO_READONLY_DISK="$(winepath -w "$readonly")" TESSILO_READONLY_SWITCH="$(winepath -w "$switch")"
  (
    while sleep 0.05; do
      state=$(awk -v m="$readonly" '$2 == m { split($4, o, ","); print o[1] }' /proc/self/mounts)
      if [ -e "$switch" ]; then want=ro; else want=rw; fi
      # A remount waits for no writer: busy now, done on a later round.
      [ "$state" = "$want" ] || mount -o "remount,$want" "$readonly" 2>/dev/null || true
    done
  ) &
  watcher=$!
fi

# Tessilo set up as its launcher sets up its own prefix reads the screen from the real tessilo-screen.
export TESSILO_SCREEN_PROGRAM="$build/screen/tessilo-screen"
ctest --test-dir "$build" --output-on-failure --timeout 300 --label-exclude desktop
# Then on a desktop: a window manager, and real input through the X server.
openbox_start
ctest --test-dir "$build" --output-on-failure --timeout 300 --label-regex desktop --label-exclude wayland

# Last on a headless Wayland session with a native window of a known colour. Wine draws on its
# XWayland display, so the wineserver starts anew there; the companion looks for the frame file in
# the session's runtime folder. First without a screen share, then with tessilo-screen sharing it
# through the portal.
portal_wlr_build "$build/portal-wlr"
wine_stop
wayland_session_start
wayland_window 00b000
export DISPLAY="$WAYLAND_X_DISPLAY" WAYLAND_DISPLAY XDG_RUNTIME_DIR="$WAYLAND_RUN" XDG_SESSION_TYPE=wayland \
  XDG_CURRENT_DESKTOP=sway
wine_start
ctest --test-dir "$build" --output-on-failure --timeout 300 --label-regex wayland --label-exclude 'screen-share|gnome'
# The shared output at 200 %: the pictures must still have its every pixel. A second output, which
# the portal's backend does not share: tessilo-screen must say so.
wayland_swaymsg output HEADLESS-1 scale 2
wayland_swaymsg create_output
portal_start
screen_share_start "$build/screen/tessilo-screen"
ctest --test-dir "$build" --output-on-failure --timeout 300 --label-regex screen-share

# Once more on a headless GNOME session, whose portal asks which screen to share (answered as a
# person does) and remembers the answer.
wine_stop
wayland_session_stop
gnome_session_start
gnome_window 00b000
export DISPLAY="$WAYLAND_X_DISPLAY" WAYLAND_DISPLAY XDG_RUNTIME_DIR="$WAYLAND_RUN" XDG_CURRENT_DESKTOP=GNOME
wine_start
gnome_share_start "$build/screen/tessilo-screen"
ctest --test-dir "$build" --output-on-failure --timeout 300 --label-regex gnome
