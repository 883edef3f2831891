# Sourced by the launcher and the developers' scripts: a Wine prefix, made on first use, with the
# fonts a dialog has on Windows. On failure wine_prefix_setup returns 1 with the reason in
# PREFIX_ERROR (and on stderr).
prefix_fail() {  # reason
  PREFIX_ERROR=$1
  echo "$1" >&2
  return 1
}

wine_prefix_setup() {  # prefix
  PREFIX_ERROR=""
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  # No Mono or Gecko installer waits for a click, and Wine's menu builder puts no entries or file
  # associations of this prefix into the user's desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX (first start only, about 15 s)" >&2
    mkdir -p "$WINEPREFIX" 2>/dev/null || { prefix_fail "$WINEPREFIX cannot be made"; return 1; }
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { prefix_fail "Wine could not make it (wineboot failed)"; return 1; }
  fi
  # "MS Shell Dlg" is Tahoma, as on Windows, and the caption buttons need Marlett: Wine ships
  # both (fonts-wine) but a new prefix does not find them where Debian puts them.
  local font fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
    if [ ! -f "/usr/share/wine/fonts/$font" ]; then
      prefix_fail "Wine's font $font is missing: install the package fonts-wine"
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
