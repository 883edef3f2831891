#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the test programs and the
# real tessilo.exe under Wine on a private Xvfb display, in a private Wine prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-env.sh"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

wine_prefix_setup "$root"
xvfb_start 1280x720x24
wine_start
cleanup() { wine_stop; xvfb_stop; }
trap cleanup EXIT

ctest --test-dir "$build" --output-on-failure --timeout 300
