#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tessilo under Wine on your display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-env.sh"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
wine_prefix_setup "$root"

: "${DISPLAY:?run this from a desktop session (DISPLAY is not set)}"
wine "$build/bin/tessilo.exe"
