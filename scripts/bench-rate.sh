#!/usr/bin/env bash
# Real captures of the Xvfb screen: tessilo.exe with its PrtSc companion, then ffmpeg's x11grab
# into a numbered sequence, at 10/s PNG and BMP and 50/s BMP, at 1280x720 and 1920x1080.
# Prints the table of docs/performance.md. Usage: bench-rate.sh [seconds]
# BENCH_SIZES and BENCH_RUNS ("ext rate" pairs, comma-separated) narrow the run.
# BENCH_SESSION=wayland records a headless Wayland session at 1280x720 through tessilo-screen
# instead (no ffmpeg there: x11grab sees XWayland's black screen), once with a still screen and
# once with a terminal that writes a line every 20 ms.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
seconds=${1:-10}
. "$root/scripts/wine-env.sh"
. "$root/scripts/portal-env.sh"
# Its own displays only: a Wayland session of the caller's is none of its business.
unset WAYLAND_DISPLAY XDG_SESSION_TYPE

# ffmpeg only for this benchmark.
"$root/scripts/install-deps.sh" xvfb ffmpeg ${BENCH_SESSION:+"${WAYLAND_PACKAGES[@]}"}
"$root/scripts/build.sh" >/dev/null
[ -z "${BENCH_SESSION:-}" ] || portal_wlr_build "$build/portal-wlr"
wine_prefix_setup "$build/wineprefix"

work="$build/bench-rate"
cleanup() { wine_stop; xvfb_stop; wayland_session_stop; rm -rf "$work"; }
trap cleanup EXIT

# CPU seconds (user + system) so far of the processes whose environment holds `marker`, summed
# by the first of the names their command line contains, in the order of the names.
cpu_by_name() {  # marker name...
  python3 - "$@" <<'PY'
import os, sys
marker, names = sys.argv[1].encode(), sys.argv[2:]
tick = os.sysconf("SC_CLK_TCK")
totals = [0.0] * len(names)
for pid in filter(str.isdigit, os.listdir("/proc")):
    try:
        cmd = open(f"/proc/{pid}/cmdline", "rb").read().replace(b"\0", b" ").decode(errors="replace")
        if marker not in open(f"/proc/{pid}/environ", "rb").read().split(b"\0"):
            continue
        fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
        for i, name in enumerate(names):
            if name in cmd:
                totals[i] += (int(fields[11]) + int(fields[12])) / tick
                break
    except OSError:
        pass
print(*(f"{t:.3f}" for t in totals))
PY
}

# The processes of our Wine prefix: the program, the companion, the wineserver and Wine's desktop
# process (explorer.exe, whose clipboard manager hands every new clipboard content on to X).
sample() { cpu_by_name "WINEPREFIX=$WINEPREFIX" tessilo.exe tessilo-prtsc.exe wineserver explorer.exe; }
# And those of the Wayland session that a frame passes through on its way to the frame file.
sample_all() {
  echo "$(sample) $(cpu_by_name "XDG_RUNTIME_DIR=$WAYLAND_RUN" tessilo-screen xdg-desktop-portal-wlr pipewire sway)"
}

# Files, frames due and longest gap of a numbered sequence, from the file times.
sequence_figures() {
  python3 - "$1" "$2" "$3" <<'PY'
import os, sys
folder, rate, seconds = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
times = [os.stat(os.path.join(folder, n)).st_mtime_ns / 1e6 for n in sorted(os.listdir(folder))]
gap = max((b - a for a, b in zip(times, times[1:])), default=0)
print(len(times), f"{rate * seconds:.0f}", f"{gap:.0f}")
PY
}

row() {  # recorder ext rate files due gap cpu-text frames-for-cpu note
  local pct=$(( $4 * 100 / ($5 > 0 ? $5 : 1) ))
  echo "| $1 | $2 | $3/s | $4 / $5 ($pct%) | $6 ms | $7 |${8:+ $8}"
}

per_frame() { python3 -c "import sys; f=max(1,int(sys.argv[1])); print(' + '.join(f'{float(a)/f:.4f}' for a in sys.argv[2:]), '=', f'{sum(map(float,sys.argv[2:]))/f:.4f}')" "$@"; }

# The capture rows of one screen; `sampler` gives the CPU figures, `ffmpeg` is empty on Wayland.
measure() {  # size sampler ffmpeg
  local size=$1 sampler=$2 with_ffmpeg=$3 run ext rate
  IFS=, read -r -a runs <<<"${BENCH_RUNS:-png 10,bmp 10,bmp 50}"
  for run in "${runs[@]}"; do
    set -- $run
    ext=$1 rate=$2
    rm -rf "$work" && mkdir -p "$work/tessilo" "$work/ffmpeg"

    coproc DRIVER { wine "$build/bin/rate_driver.exe" "$(winepath -w "$work/tessilo")" "$ext" "$rate" "$seconds" 2>&1; }
    driver=$DRIVER_PID
    result="" before=() after=()
    while IFS= read -r line <&"${DRIVER[0]}"; do
      line=${line%$'\r'}
      case $line in
        capturing) before=($($sampler)); echo >&"${DRIVER[1]}" ;;
        stopping) after=($($sampler)); echo >&"${DRIVER[1]}" ;;
        files*) result=$line ;;
      esac
    done
    wait "$driver" || true
    if [ -n "$result" ] && [ ${#after[@]} -gt 0 ]; then
      read -r _ files _ due _ gap note <<<"$result"
      cpu=$(per_frame "$files" $(python3 -c "import sys; n=len(sys.argv)//2; a=sys.argv[1:n+1]; b=sys.argv[n+1:]; print(*[f'{float(y)-float(x):.3f}' for x,y in zip(a,b)])" "${before[@]}" "${after[@]}"))
      row "tessilo + companion" "$ext" "$rate" "$files" "$due" "$gap" "$cpu" "$note"
    else
      echo "| tessilo + companion | $ext | $rate/s | failed to run | | |"
    fi
    [ -n "$with_ffmpeg" ] || continue

    # ffmpeg: CPU of the whole process, which does nothing else, over its frames.
    cpu=$( { /usr/bin/time -f '%U %S' ffmpeg -loglevel error -f x11grab -video_size "$size" -framerate "$rate" \
             -i "$DISPLAY" -t "$seconds" -c:v "$ext" "$work/ffmpeg/%05d.$ext" ; } 2>&1 | tail -1)
    read -r files due gap <<<"$(sequence_figures "$work/ffmpeg" "$rate" "$seconds")"
    row "ffmpeg x11grab" "$ext" "$rate" "$files" "$due" "$gap" "$(per_frame "$files" $cpu)"
  done
}

echo "| Recorder | Format | Rate | Files / due moments | Longest gap | CPU s per frame |"
echo "|---|---|---|---|---|---|"
if [ -n "${BENCH_SESSION:-}" ]; then
  for screen in still changing; do
    command=""
    [ "$screen" = still ] || command='while :; do date +%T.%N; sleep 0.02; done'
    wayland_session_start
    wayland_window 00b000 "$command"
    portal_start
    screen_share_start "$build/screen/tessilo-screen"
    (
      export DISPLAY="$WAYLAND_X_DISPLAY" WAYLAND_DISPLAY XDG_RUNTIME_DIR="$WAYLAND_RUN" XDG_SESSION_TYPE=wayland
      wine_start
      echo "| **Wayland 1280x720, $screen screen** | | | | | program + companion + wineserver + Wine desktop + tessilo-screen + portal backend + PipeWire + sway = total |"
      measure 1280x720 sample_all ""
      wine_stop
      # The next session's Wine must not meet this wineserver on its way out.
      wineserver -w 2>/dev/null || true
    )
    wayland_session_stop
  done
  exit 0
fi
for size in ${BENCH_SIZES:-1280x720 1920x1080}; do
  xvfb_start "${size}x24"
  wine_start
  echo "| **$size** | | | | | program + companion + wineserver + Wine desktop = total; ffmpeg: user + system = total |"
  measure "$size" sample yes
  wine_stop
  xvfb_stop
done
