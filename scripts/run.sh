#!/usr/bin/env bash
# Installs what is missing, builds Tessilo, its companion and tessilo-screen, and starts Tessilo
# under Wine on your display, with tessilo-screen reading the screen for it.
# Settings live in your Wine prefix: $WINEPREFIX when set, else one of Tessilo's own under
# ${XDG_DATA_HOME:-~/.local/share}/tessilo, which a clean rebuild and the tests leave alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# BUILD_DIR lets several work trees or builds live side by side; build/ by default.
build=${BUILD_DIR:-$root/build}

: "${DISPLAY:?run this from a desktop session (DISPLAY is not set)}"
"$root/scripts/install-deps.sh"

echo "Building tessilo.exe, tessilo-prtsc.exe and tessilo-screen in $build" >&2
mkdir -p "$build"
if ! "$root/scripts/build.sh" tessilo tessilo-prtsc tessilo-screen >"$build/build.log" 2>&1; then
  tail -n 30 "$build/build.log" >&2
  echo "The build failed; the whole log is $build/build.log" >&2
  exit 1
fi

exec "$root/launcher/launch.sh" "$build/bin" "$build/screen" "$build"
