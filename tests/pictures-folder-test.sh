#!/usr/bin/env bash
# The run command makes the XDG Pictures folder before it makes a new Wine prefix, so that Wine
# links the prefix's Pictures folder, Tessilo's default output folder, there and not to the home
# folder. Each case in a fresh home folder; the first also makes a prefix and reads Wine's link.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
. "$root/launcher/pictures-folder.sh"
work=$(mktemp -d /tmp/tessilo-pictures.XXXXXX)
trap 'WINEPREFIX=$work/1/prefix wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

fresh_home() {  # case
  export HOME=$work/$1
  unset XDG_CONFIG_HOME
  mkdir -p "$HOME"
}

fresh_home 1
pictures_folder_make 2>/dev/null
[ -d "$HOME/Pictures" ] || fail "no user-dirs: ~/Pictures was not made"
export WINEPREFIX=$HOME/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
link=$(readlink "$WINEPREFIX/drive_c/users/$(id -un)/Pictures")
[ "$link" = "$HOME/Pictures" ] || fail "Wine's Pictures folder is '$link', not $HOME/Pictures"

fresh_home 2
mkdir -p "$HOME/.config"
echo 'XDG_PICTURES_DIR="$HOME/Bilder"' >"$HOME/.config/user-dirs.dirs"
pictures_folder_make 2>/dev/null
[ -d "$HOME/Bilder" ] || fail "user-dirs names ~/Bilder: it was not made"
[ ! -e "$HOME/Pictures" ] || fail "user-dirs names ~/Bilder: ~/Pictures was made as well"

fresh_home 3
mkdir -p "$HOME/.config"
echo 'XDG_PICTURES_DIR="$HOME/"' >"$HOME/.config/user-dirs.dirs"
pictures_folder_make 2>/dev/null
[ ! -e "$HOME/Pictures" ] || fail "user-dirs names the home folder itself: ~/Pictures was made"

[ "$failures" -eq 0 ] && echo "pictures folder: all cases pass"
exit $((failures > 0))
