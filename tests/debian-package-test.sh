#!/usr/bin/env bash
# The Debian package that scripts/package.sh made from this build: its files with their modes and
# owner, its control fields, its menu entry and icons, and lintian's verdict.
#   debian-package-test.sh DEB VERSION
set -u
deb=$1 version=$2
work=$(mktemp -d /tmp/tessilo-deb.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
[ -f "$deb" ] || { echo "FAILED: no $deb: scripts/package.sh makes it" >&2; exit 1; }

# Mode, owner and path of each file; every folder is root's and open to all.
dpkg-deb -c "$deb" >"$work/list"
awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root") { print }' "$work/list" >"$work/folders"
[ ! -s "$work/folders" ] || fail "folders not root's 0755: $(cat "$work/folders")"
awk '$1 !~ /^d/ { print $1, $2, $6 }' "$work/list" | sort -k3 >"$work/files"
cat >"$work/expected" <<LIST
-rwxr-xr-x root/root ./usr/bin/tessilo
-rw-r--r-- root/root ./usr/lib/tessilo/helpers.sh
-rwxr-xr-x root/root ./usr/lib/tessilo/launch.sh
-rw-r--r-- root/root ./usr/lib/tessilo/pictures-folder.sh
-rw-r--r-- root/root ./usr/lib/tessilo/tell.sh
-rw-r--r-- root/root ./usr/lib/tessilo/tessilo-prtsc.exe
-rwxr-xr-x root/root ./usr/lib/tessilo/tessilo-screen
-rw-r--r-- root/root ./usr/lib/tessilo/tessilo.exe
-rw-r--r-- root/root ./usr/lib/tessilo/wine-prefix.sh
-rw-r--r-- root/root ./usr/share/applications/tessilo.desktop
-rw-r--r-- root/root ./usr/share/doc/tessilo/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/tessilo/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/tessilo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/tessilo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/tessilo.png
-rw-r--r-- root/root ./usr/share/man/man1/tessilo.1.gz
LIST
diff "$work/expected" "$work/files" >"$work/diff" || fail "the file list differs (- expected, + packaged):
$(grep '^[<>]' "$work/diff" | sed 's/^</-/; s/^>/+/')"
# One time on every entry, the commit's: the same commit gives the same package.
[ "$(awk '{ print $4, $5 }' "$work/list" | sort -u | wc -l)" -eq 1 ] || fail "the entries carry different times"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tessilo ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), the project is $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
depends=", $(field Depends),"
for package in wine wine64 fonts-wine zenity libc6 libpipewire-0.3-0 libdbus-1-3 libwayland-client0 libxcb1 libxcb-shm0; do
  [[ $depends == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done
# A Wine version: the one the tests run meets it (Debian's 8.0~repack sorts before 8.0), Ubuntu
# 22.04's 6.0.3~repack does not.
wine_min=$(sed -n 's/.*, wine (>= \([^)]*\)),.*/\1/p' <<<"$depends")
wine_here=$(dpkg-query -W -f='${Version}' wine 2>/dev/null)
[ -n "$wine_min" ] && dpkg --compare-versions "$wine_here" ge "$wine_min" &&
  dpkg --compare-versions 6.0.3~repack-1 lt "$wine_min" ||
  fail "Depends asks for wine (>= $wine_min): this machine's Wine $wine_here, Ubuntu 22.04's 6.0.3~repack-1"
recommends=", $(field Recommends),"
[[ $recommends == *", xdg-desktop-portal,"* ]] || fail "Recommends lacks xdg-desktop-portal: $recommends"
# Through their own recommends these would bring pipewire-pulse, which replaces PulseAudio.
for package in pipewire wireplumber; do
  [[ $recommends != *", $package"[\ ,]* ]] || fail "Recommends $package, which changes the sound server: $recommends"
done

dpkg-deb -x "$deb" "$work/root"
entry=$work/root/usr/share/applications/tessilo.desktop
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate says: $report"
value() { sed -n "s/^$1=//p" "$entry"; }
[ -x "$work/root/usr/bin/$(value Exec)" ] || fail "the entry starts '$(value Exec)', which the package does not hold"
# The window's class under Wine is the exe's name: the desktop matches its window to the entry by it.
[ "$(value StartupWMClass)" = tessilo.exe ] || fail "StartupWMClass: $(value StartupWMClass)"
[ "$(value StartupNotify)" = true ] || fail "StartupNotify: $(value StartupNotify)"
for size in 32 48 256; do
  icon=$work/root/usr/share/icons/hicolor/${size}x$size/apps/$(value Icon).png
  # A PNG's width and height follow its signature and the header chunk's length and type.
  [ "$(od -An -tx1 -N24 "$icon" 2>/dev/null | tr -d ' \n')" = "$(printf '89504e470d0a1a0a0000000d49484452%08x%08x' "$size" "$size")" ] ||
    fail "no $size x $size PNG for Icon=$(value Icon)"
done

# Errors fail; the warnings that stay are listed in the README.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || fail "lintian: $(cat "$work/lintian")"
cat "$work/lintian"

[ "$failures" -eq 0 ] && echo "debian package: all checks pass"
exit $((failures > 0))
