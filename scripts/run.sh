#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tessilo under Wine on your display, with the
# PrtSc companion running beside it for as long as Tessilo runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-env.sh"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
wine_prefix_setup "$root"

: "${DISPLAY:?run this from a desktop session (DISPLAY is not set)}"
# PrtSc leaves nothing on Wine's clipboard; the companion puts the screen there as Windows does.
# When one already runs, this one ends at once and the running one is left alone.
wine "$build/bin/tessilo-prtsc.exe" </dev/null >"$build/tessilo-prtsc.log" 2>&1 &
companion=$!
# Ctrl+C for the companion: it unhooks the keyboard and ends. Tessilo's exit code is kept.
stop_companion() {
  local status=$?
  kill -INT "$companion" 2>/dev/null && wait "$companion" 2>/dev/null
  exit "$status"
}
trap stop_companion EXIT
wine "$build/bin/tessilo.exe"
