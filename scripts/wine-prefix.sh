# Sourced by the scripts and the installed launcher: a Wine prefix, made on first use, with the fonts
# a dialog has on Windows.
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
