#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tessilo under Wine on your display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
wine_prefix_setup "$root"

: "${DISPLAY:?run this from a desktop session (DISPLAY is not set)}"
wine "$root/build/bin/tessilo.exe"
