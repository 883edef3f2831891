# Sourced by the scripts: a private Wine prefix inside the build tree, made on first use.
wine_prefix_setup() {
  local root=$1
  local build=${BUILD_DIR:-$root/build}
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG=-all
  # No Mono or Gecko installer waits for a click.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  # The caption buttons need Wine's own symbol font.
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
}

# Starts the wineserver and Wine's own services now, detached from our output: started by the
# first test instead, they would keep CTest's pipe open and CTest would wait for them.
wine_start() {
  wineserver -p
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

wine_stop() {
  wineserver -k 2>/dev/null || true
}

# Starts Xvfb on a free display and exports DISPLAY; xvfb_stop ends it.
xvfb_start() {
  local size=${1:-1280x720x24}
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

xvfb_stop() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}
