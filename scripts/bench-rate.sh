#!/usr/bin/env bash
# Real captures of the Xvfb screen: tessilo.exe with its PrtSc companion, then ffmpeg's x11grab
# into a numbered sequence, at 10/s PNG and BMP and 50/s BMP, at 1280x720 and 1920x1080.
# Prints the tables of docs/performance.md. Usage: bench-rate.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
seconds=${1:-10}
. "$root/scripts/wine-env.sh"

# ffmpeg only for this benchmark.
"$root/scripts/install-deps.sh" ffmpeg
"$root/scripts/build.sh" >/dev/null
wine_prefix_setup "$root"

work="$build/bench-rate"
cleanup() { wine_stop; xvfb_stop; rm -rf "$work"; }
trap cleanup EXIT

# Files, expected, longest gap (ms) of a numbered sequence in a folder, from the file times.
sequence_figures() {
  python3 - "$1" "$2" "$3" <<'PY'
import os, sys
folder, rate, seconds = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
times = [os.stat(os.path.join(folder, n)).st_mtime_ns / 1e6 for n in sorted(os.listdir(folder))]
gap = max((b - a for a, b in zip(times, times[1:])), default=0)
expected = rate * seconds
print(f"{len(times)} / {expected:.0f} ({100 * len(times) / expected:.0f}%) | {gap:.0f} ms | {len(times)}")
PY
}

echo "| Recorder | Format | Rate | Files / expected | Longest gap | CPU s per frame (program + companion) |"
echo "|---|---|---|---|---|---|"
for size in 1280x720 1920x1080; do
  xvfb_start "${size}x24"
  wine_start
  echo "| **$size** | | | | | |"
  for run in "png 10" "bmp 10" "bmp 50"; do
    set -- $run
    ext=$1 rate=$2
    rm -rf "$work" && mkdir -p "$work/tessilo" "$work/ffmpeg"
    wine "$build/bin/rate_driver.exe" "$(winepath -w "$work/tessilo")" "$ext" "$rate" "$seconds" 2>&1 | tr -d '\r'

    # ffmpeg: CPU of the whole process, which does nothing else, divided by its frames.
    cpu=$( { /usr/bin/env time -f '%U %S' ffmpeg -loglevel error -f x11grab -video_size "$size" -framerate "$rate" \
             -i "$DISPLAY" -t "$seconds" -c:v "$ext" "$work/ffmpeg/%05d.$ext" ; } 2>&1 | tail -1)
    figures=$(sequence_figures "$work/ffmpeg" "$rate" "$seconds")
    frames=${figures##*| }
    per_frame=$(python3 -c "u,s='$cpu'.split(); print(f'{(float(u)+float(s))/max(1,$frames):.4f}')")
    echo "| ffmpeg x11grab | $ext | $rate/s | ${figures% | *} | $per_frame |"
  done
  wine_stop
  xvfb_stop
done
