# Sourced by the scripts: a Wine prefix, made on first use, with the fonts a dialog has on Windows.
wine_prefix_setup() {  # prefix
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  # No Mono or Gecko installer waits for a click.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX (first start only, about 15 s)" >&2
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  # "MS Shell Dlg" is Tahoma, as on Windows, and the caption buttons need Marlett: Wine ships
  # both (fonts-wine) but a new prefix does not find them where Debian puts them.
  local font fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
    if [ ! -f "/usr/share/wine/fonts/$font" ]; then
      echo "Wine's font $font is missing: install the package fonts-wine" >&2
      return 1
    fi
    [ -f "$fonts/$font" ] || cp "/usr/share/wine/fonts/$font" "$fonts/"
  done
  # Windows draws what Tahoma lacks ("～" among them) in a CJK font linked to it; Wine links none.
  # Noto Sans CJK (fonts-noto-cjk) is found through fontconfig.
  local link="NotoSansCJK-Regular.ttc,Noto Sans CJK JP"
  if ! grep -qF "\"Tahoma\"=str(7):\"$link" "$WINEPREFIX/system.reg"; then
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v Tahoma /t REG_MULTI_SZ /d "$link" /f >/dev/null 2>&1
  fi
}

# Starts the wineserver and Wine's own services now, detached from our output: started by the
# first test instead, they would keep CTest's pipe open and CTest would wait for them.
wine_start() {
  # A server that the prefix set-up started may still be winding down; -p fails beside it.
  wineserver -w
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

# Starts openbox on $DISPLAY and waits until it manages the screen; openbox_stop ends it.
openbox_start() {
  openbox >/dev/null 2>&1 &
  OPENBOX_PID=$!
  for _ in $(seq 50); do
    # Answered only by a window manager that keeps the desktop list.
    xdotool get_num_desktops >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "openbox did not start" >&2
  return 1
}

openbox_stop() {
  [ -n "${OPENBOX_PID:-}" ] && kill "$OPENBOX_PID" 2>/dev/null && wait "$OPENBOX_PID" 2>/dev/null
  OPENBOX_PID=""
}

xvfb_stop() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}
