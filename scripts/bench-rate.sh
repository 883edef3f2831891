#!/usr/bin/env bash
# Real captures of the Xvfb screen showing a desktop-like picture (scripts/desktop-picture.sh):
# tessilo.exe with its PrtSc companion, tessilo.exe set up as its launcher sets up its own prefix
# (pictures from tessilo-screen through X's shared memory), then ffmpeg's x11grab into a numbered
# sequence, at 10/s PNG and BMP and 30/s and 50/s BMP, at 1280x720, 1920x1080, 2560x1440 and
# 3840x2160.
# Prints the table of docs/performance.md, with tessilo.exe's peak memory.
# Usage: bench-rate.sh [seconds]
# BENCH_SIZES and BENCH_RUNS ("ext rate" pairs, comma-separated) narrow the run.
# BENCH_MEMORY_MINUTES=N records one size and run (the first of BENCH_SIZES and BENCH_RUNS;
# 1920x1080 PNG 10/s by default) for N minutes instead and prints tessilo.exe's resident memory
# once a minute. Its files are removed as it goes, all but the newest: they would fill the disk.
# BENCH_SESSION=wayland records a headless sway session instead, at 1280x720, 1920x1080 and
# 3840x2160 (BENCH_SIZES), through tessilo-screen as the launcher sets Tessilo up (no ffmpeg there:
# x11grab sees XWayland's black screen), once with a still screen and once with a window that
# repaints every frame; BENCH_SESSION=gnome the same on a headless GNOME session (mutter), at
# 1280x720 and 1920x1080.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
seconds=${1:-10}
. "$root/scripts/wine-env.sh"
. "$root/tests/harness/portal-env.sh"
. "$root/tests/harness/gnome-session.sh"
# Its own displays only: a Wayland session of the caller's is none of its business.
unset WAYLAND_DISPLAY XDG_SESSION_TYPE

# ffmpeg, ImageMagick and openbox only for this benchmark.
"$root/scripts/install-deps.sh" xvfb openbox xdotool ffmpeg imagemagick fonts-dejavu-core \
  ${BENCH_SESSION:+"${WAYLAND_PACKAGES[@]}"} ${BENCH_SESSION:+"${GNOME_PACKAGES[@]}"}
"$root/scripts/build.sh" >/dev/null
[ "${BENCH_SESSION:-}" != wayland ] || portal_wlr_build "$build/portal-wlr"
wine_prefix_setup "$build/wineprefix"

work="$build/bench-rate"
pictures="$build/bench-rate-desktop"
# tessilo-screen's runtime folder on X11, and the process.
screen_run="$build/bench-rate-run" screen_pid=""
screen_stop() {
  [ -z "$screen_pid" ] || { kill -TERM "$screen_pid" 2>/dev/null; wait "$screen_pid" 2>/dev/null || true; }
  screen_pid=""
}
cleanup() {
  screen_stop; wine_stop; openbox_stop; xvfb_stop; wayland_session_stop
  rm -rf "$work" "$pictures" "$screen_run"
}
trap cleanup EXIT

# A figure of the processes whose environment holds `marker`, summed by the first of the names
# their command line contains, in the order of the names: "cpu", the CPU seconds so far (user +
# system), or a memory line of /proc/PID/status (VmHWM, VmRSS) in MiB.
proc_by_name() {  # figure marker name...
  python3 - "$@" <<'PY'
import os, sys
figure, marker, names = sys.argv[1], sys.argv[2].encode(), sys.argv[3:]
tick = os.sysconf("SC_CLK_TCK")
totals = [0.0] * len(names)
for pid in filter(str.isdigit, os.listdir("/proc")):
    try:
        cmd = open(f"/proc/{pid}/cmdline", "rb").read().replace(b"\0", b" ").decode(errors="replace")
        if marker not in open(f"/proc/{pid}/environ", "rb").read().split(b"\0"):
            continue
        i = next((i for i, name in enumerate(names) if name in cmd), None)
        if i is None:
            continue
        if figure == "cpu":
            fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
            totals[i] += (int(fields[11]) + int(fields[12])) / tick
        else:
            for line in open(f"/proc/{pid}/status"):
                if line.startswith(figure + ":"):
                    totals[i] += int(line.split()[1]) / 1024
    except OSError:
        pass
print(*(f"{t:.3f}" if figure == "cpu" else f"{t:.0f}" for t in totals))
PY
}
cpu_by_name() { proc_by_name cpu "$@"; }
# tessilo.exe's peak (VmHWM) or current (VmRSS) resident memory in MiB.
tessilo_memory() { proc_by_name "$1" "WINEPREFIX=$WINEPREFIX" tessilo.exe; }

# The desktop picture of this size as the root window's background, checked against a grab of
# the screen: display returns 1 even when it has set it. Xvfb must run with -noreset, or the
# background goes when the last client leaves.
desktop_show() {  # size
  local picture="$pictures/$1.png" differ
  mkdir -p "$pictures"
  [ -f "$picture" ] || "$root/scripts/desktop-picture.sh" "$1" "$picture"
  display -window root "$picture" || true
  import -window root "$pictures/screen.png"
  differ=$(compare -metric AE "$picture" "$pictures/screen.png" null: 2>&1 || true)
  if [ "$differ" != 0 ]; then
    echo "The screen does not show $picture ($differ pixels differ)" >&2
    return 1
  fi
}

# The processes of our Wine prefix: the program, the companion, the wineserver and Wine's desktop
# process (explorer.exe, whose clipboard manager hands every new clipboard content on to X).
sample() { cpu_by_name "WINEPREFIX=$WINEPREFIX" tessilo.exe tessilo-prtsc.exe wineserver explorer.exe; }
# The program, the wineserver and tessilo-screen, for the route through tessilo-screen.
sample_native() {
  echo "$(cpu_by_name "WINEPREFIX=$WINEPREFIX" tessilo.exe wineserver) $(cpu_by_name "XDG_RUNTIME_DIR=$screen_run" tessilo-screen)"
}

# The same on a Wayland session, with the session's processes a frame passes through.
sample_native_wayland() {
  echo "$(cpu_by_name "WINEPREFIX=$WINEPREFIX" tessilo.exe wineserver) $(cpu_by_name "XDG_RUNTIME_DIR=$WAYLAND_RUN" tessilo-screen "$backend" pipewire "$compositor")"
}

# tessilo-screen serving this X display; TESSILO_SCREEN_SOURCE names its frame file for Wine.
screen_start() {
  rm -rf "$screen_run" && mkdir -m 700 "$screen_run"
  XDG_RUNTIME_DIR="$screen_run" "$build/screen/tessilo-screen" --ready-file "$screen_run/ready" </dev/null \
    >"$screen_run.log" 2>&1 &
  screen_pid=$!
  wait_for_file "$screen_run/ready" 5 "$screen_pid" || { cat "$screen_run.log" >&2; return 1; }
  native=$(winepath -w "$screen_run/tessilo-screen.frame")
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

row() {  # recorder ext rate files due gap cpu-text memory-text note
  local pct=$(( $4 * 100 / ($5 > 0 ? $5 : 1) ))
  echo "| $1 | $2 | $3/s | $4 / $5 ($pct%) | $6 ms | $7 | $8 |${9:+ $9}"
}

per_frame() { python3 -c "import sys; f=max(1,int(sys.argv[1])); print(' + '.join(f'{float(a)/f:.4f}' for a in sys.argv[2:]), '=', f'{sum(map(float,sys.argv[2:]))/f:.4f}')" "$@"; }

# One capture by tessilo.exe through the driver. Sets `before` and `after`, the sampler's figures
# at the driver's marks, `peak` and `resident`, tessilo.exe's VmHWM and VmRSS just before the
# driver stops it, and `result`, the driver's last line. `watch` runs in the background meanwhile.
tessilo_capture() {  # ext rate seconds sampler [watch]
  local ext=$1 rate=$2 seconds=$3 sampler=$4 watch=${5:-} line watcher="" driver
  local folder from to
  folder=$(winepath -w "$work/tessilo")
  coproc DRIVER { wine "$build/bin/rate_driver.exe" "$folder" "$ext" "$rate" "$seconds" 2>&1; }
  # Taken at once: bash forgets a coprocess's descriptors as soon as it has ended.
  driver=$DRIVER_PID from=${DRIVER[0]:-} to=${DRIVER[1]:-}
  result="" peak="" resident="" before=() after=()
  [ -n "$from" ] || { wait "$driver" || true; return 0; }
  while IFS= read -r line <&"$from"; do
    line=${line%$'\r'}
    case $line in
      capturing)
        before=($($sampler))
        if [ -n "$watch" ]; then $watch & watcher=$!; fi
        echo >&"$to" ;;
      stopping)
        after=($($sampler)) peak=$(tessilo_memory VmHWM) resident=$(tessilo_memory VmRSS)
        # A capture that ended early leaves the watch still running.
        if [ -n "$watcher" ]; then kill "$watcher" 2>/dev/null || true; wait "$watcher" 2>/dev/null || true; fi
        echo >&"$to" ;;
      files*) result=$line ;;
    esac
  done
  wait "$driver" || true
}

# One capture by tessilo.exe and its row, `label` naming its route.
tessilo_row() {  # label ext rate sampler
  local label=$1 ext=$2 rate=$3 cpu files due gap note
  tessilo_capture "$ext" "$rate" "$seconds" "$4"
  # Once more when the driver did not run at all (Wine starting up on a loaded machine).
  [ -n "$result" ] || tessilo_capture "$ext" "$rate" "$seconds" "$4"
  if [ -n "$result" ] && [ ${#after[@]} -gt 0 ]; then
    read -r _ files _ due _ gap note <<<"$result"
    cpu=$(per_frame "$files" $(python3 -c "import sys; n=len(sys.argv)//2; a=sys.argv[1:n+1]; b=sys.argv[n+1:]; print(*[f'{float(y)-float(x):.3f}' for x,y in zip(a,b)])" "${before[@]}" "${after[@]}"))
    row "$label" "$ext" "$rate" "$files" "$due" "$gap" "$cpu" "$peak MiB" "$note"
  else
    echo "| $label | $ext | $rate/s | failed to run | | | |"
  fi
}

# The capture rows of one screen; `sampler` gives the CPU figures, `ffmpeg` is empty on Wayland.
measure() {  # size sampler ffmpeg runs
  local size=$1 native_sampler=$2 with_ffmpeg=$3 sampler=sample run ext rate user system kilobytes
  IFS=, read -r -a runs <<<"$4"
  for run in "${runs[@]}"; do
    set -- $run
    ext=$1 rate=$2
    rm -rf "$work" && mkdir -p "$work/tessilo" "$work/ffmpeg"

    # The PrtSc route through the companion: on X11 only, where it is the comparison.
    [ -z "$with_ffmpeg" ] || tessilo_row "tessilo + companion" "$ext" "$rate" "$sampler"
    export TESSILO_SCREEN_SOURCE=$native
    rm -rf "$work/tessilo" && mkdir -p "$work/tessilo"
    tessilo_row "tessilo + tessilo-screen" "$ext" "$rate" "$native_sampler"
    unset TESSILO_SCREEN_SOURCE
    [ -n "$with_ffmpeg" ] || continue

    # ffmpeg: CPU of the whole process, which does nothing else, over its frames; its peak
    # resident memory. No pointer: tessilo's pictures have none either.
    read -r user system kilobytes <<<"$( { /usr/bin/time -f '%U %S %M' ffmpeg -loglevel error -f x11grab \
      -draw_mouse 0 -video_size "$size" -framerate "$rate" -i "$DISPLAY" -t "$seconds" -c:v "$ext" \
      "$work/ffmpeg/%05d.$ext" ; } 2>&1 | tail -1)"
    read -r files due gap <<<"$(sequence_figures "$work/ffmpeg" "$rate" "$seconds")"
    row "ffmpeg x11grab" "$ext" "$rate" "$files" "$due" "$gap" "$(per_frame "$files" "$user" "$system")" \
      "$((kilobytes / 1024)) MiB"
  done
}

# Files written since the last call and in all, as "new total"; all but the newest file are
# removed, or a long capture fills the disk (the newest may still be being written).
files_taken() {
  python3 - "$work/tessilo" <<'PY'
import os, re, sys
folder = sys.argv[1]
state = folder + ".taken"
kept, total = open(state).read().split("/") if os.path.exists(state) else ("", "0")
# By number: past the width's digits the names grow longer.
names = sorted(os.listdir(folder), key=lambda n: int(re.sub(r"\D", "", n) or 0))
for name in names[:-1]:
    os.remove(os.path.join(folder, name))
new = len(names) - (kept in names)
total = int(total) + new
if names:
    open(state, "w").write(f"{names[-1]}/{total}")
print(new, total)
PY
}

memory_line() {  # minute
  local new total
  read -r new total <<<"$(files_taken)"
  echo "| $1 | $new | $total | ${2:-$(tessilo_memory VmRSS)} MiB |"
}

# The watch of a long capture: a line at its start and after each minute but the last, which
# the capture's end gives.
memory_watch() {  # minutes
  local minute start=$SECONDS pause
  memory_line 0
  for ((minute = 1; minute < $1; minute++)); do
    pause=$((start + minute * 60 - SECONDS))
    # Its own output elsewhere: a sleep left behind by a kill must not hold the caller's pipe.
    if [ "$pause" -gt 0 ]; then sleep "$pause" </dev/null >/dev/null 2>&1; fi
    memory_line "$minute"
  done
}

if [ -n "${BENCH_MEMORY_MINUTES:-}" ]; then
  minutes=$BENCH_MEMORY_MINUTES
  read -r size _ <<<"${BENCH_SIZES:-1920x1080}"
  IFS=, read -r run _ <<<"${BENCH_RUNS:-png 10}"
  read -r ext rate <<<"$run"
  xvfb_start "${size}x24" -noreset
  desktop_show "$size"
  openbox_start
  wine_start
  rm -rf "$work" && mkdir -p "$work/tessilo"
  echo "**$size, $ext at $rate/s for $minutes min**"
  echo
  echo "| Minute | Files in the minute | Files in all | tessilo.exe resident memory (VmRSS) |"
  echo "|---|---|---|---|"
  tessilo_capture "$ext" "$rate" $((minutes * 60)) sample "memory_watch $minutes"
  if [ -z "$result" ]; then
    echo "The capture failed to run" >&2
    exit 1
  fi
  memory_line "$minutes" "$resident"
  echo
  # The driver's count and gap cover only the files left in the folder.
  read -r _ _ _ due _ _ note <<<"$result"
  echo "Peak resident memory (VmHWM): $peak MiB; due moments: $due${note:+; $note}"
  exit 0
fi

echo "| Recorder | Format | Rate | Files / due moments | Longest gap | CPU s per frame | Peak memory |"
echo "|---|---|---|---|---|---|---|"
if [ -n "${BENCH_SESSION:-}" ]; then
  default_sizes="1280x720 1920x1080 3840x2160"
  [ "$BENCH_SESSION" != gnome ] || default_sizes="1280x720 1920x1080"
  for size in ${BENCH_SIZES:-$default_sizes}; do
    for screen in still changing; do
      command="exec sleep 3600"
      [ "$screen" = still ] || command=$REPAINTING
      if [ "$BENCH_SESSION" = gnome ]; then
        gnome_session_start "$size"
        gnome_window 00b000 "$command"
        gnome_share_start "$build/screen/tessilo-screen"
        session="GNOME" backend=xdg-desktop-portal-gnome compositor=mutter
      else
        wayland_session_start
        wayland_swaymsg output HEADLESS-1 resolution "$size"
        wayland_window 00b000 "$command"
        portal_start
        screen_share_start "$build/screen/tessilo-screen"
        session="sway" backend=xdg-desktop-portal-wlr compositor=sway
      fi
      (
        export DISPLAY="$WAYLAND_X_DISPLAY" WAYLAND_DISPLAY XDG_RUNTIME_DIR="$WAYLAND_RUN" XDG_SESSION_TYPE=wayland
        wine_start
        native=$(winepath -w "$WAYLAND_RUN/tessilo-screen.frame")
        echo "| **$session $size, $screen screen** | | | | | program + wineserver + tessilo-screen + portal backend + PipeWire + $compositor = total | tessilo.exe VmHWM |"
        measure "$size" sample_native_wayland "" "${BENCH_RUNS:-png 10,bmp 10,bmp 50}"
        wine_stop
        # The next session's Wine must not meet this wineserver on its way out.
        wineserver -w 2>/dev/null || true
      )
      wayland_session_stop
    done
  done
  exit 0
fi
for size in ${BENCH_SIZES:-1280x720 1920x1080 2560x1440 3840x2160}; do
  xvfb_start "${size}x24" -noreset
  desktop_show "$size"
  # Without a window manager the minimised dialog stays on the screen, in every one of tessilo's
  # pictures and in none of ffmpeg's.
  openbox_start
  wine_start
  screen_start
  echo "| **$size** | | | | | companion route: program + companion + wineserver + Wine desktop = total; tessilo-screen route: program + wineserver + tessilo-screen = total; ffmpeg: user + system = total | tessilo.exe VmHWM; ffmpeg max RSS |"
  measure "$size" sample_native yes "${BENCH_RUNS:-png 10,bmp 10,bmp 30,bmp 50}"
  screen_stop
  wine_stop
  openbox_stop
  xvfb_stop
done
