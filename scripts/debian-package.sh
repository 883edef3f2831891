#!/usr/bin/env bash
# The package for Debian and Ubuntu, from a Release build: writes DIST/tessilo_<version>_amd64.deb
# and prints its path. Called by package.sh, which builds the programs and sets SOURCE_DATE_EPOCH.
#   debian-package.sh BUILD DIST VERSION
# The same build gives the same bytes: the commit's time on every file and in the archive, root as
# the owner, and dpkg-deb's fixed order and single-threaded compression.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd) dist=$2 version=$3
command -v dpkg-shlibdeps >/dev/null || { echo "debian-package.sh: install the package dpkg-dev" >&2; exit 1; }
: "${SOURCE_DATE_EPOCH:?debian-package.sh: SOURCE_DATE_EPOCH gives the time of every file}"
changelog_version=$(sed -n '1s/^tessilo (\([^)]*\)).*/\1/p' "$root/package/debian/changelog")
if [ "$changelog_version" != "$version" ]; then
  echo "debian-package.sh: package/debian/changelog starts at $changelog_version, the project is $version" >&2
  exit 1
fi

umask 022
stage=$build/debian-package
rm -rf "$stage"
lib=$stage/usr/lib/tessilo doc=$stage/usr/share/doc/tessilo
install -d "$lib" "$stage/usr/bin" "$stage/usr/share/applications" "$doc" "$stage/usr/share/man/man1" \
  "$stage/DEBIAN"
# Wine runs the two programs for Windows; they are no Linux executables.
install -m 0644 "$build/bin/tessilo.exe" "$build/bin/tessilo-prtsc.exe" "$lib/"
install -m 0755 -s "$build/screen/tessilo-screen" "$lib/"
install -m 0755 "$root/launcher/launch.sh" "$lib/"
install -m 0644 "$root/launcher/tell.sh" "$root/launcher/helpers.sh" "$root/launcher/wine-prefix.sh" \
  "$root/launcher/pictures-folder.sh" "$lib/"
install -m 0755 "$root/package/debian/tessilo" "$stage/usr/bin/"
install -m 0644 "$root/package/debian/tessilo.desktop" "$stage/usr/share/applications/"
python3 "$root/tools/make_icon.py" --hicolor "$stage/usr/share/icons/hicolor"
chmod -R u=rwX,go=rX "$stage/usr/share/icons"
install -m 0644 "$root/package/debian/copyright" "$doc/"
gzip -9n <"$root/package/debian/changelog" >"$doc/changelog.gz"
gzip -9n <"$root/package/debian/tessilo.1" >"$stage/usr/share/man/man1/tessilo.1.gz"
chmod 0644 "$doc/changelog.gz" "$stage/usr/share/man/man1/tessilo.1.gz"

# The libraries tessilo-screen links, as dpkg-shlibdeps finds them; it reads a debian/control.
shlibs=$(mktemp -d)
trap 'rm -rf "$shlibs"' EXIT
mkdir "$shlibs/debian"
printf 'Source: tessilo\n\nPackage: tessilo\nArchitecture: amd64\n' >"$shlibs/debian/control"
libraries=$(cd "$shlibs" && dpkg-shlibdeps -O "$lib/tessilo-screen" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$libraries" ] || { echo "debian-package.sh: dpkg-shlibdeps found no libraries of tessilo-screen" >&2; exit 1; }

# Kilobytes as dpkg counts them: each file rounded up.
size=$(find "$stage/usr" -type f -printf '%s\n' | awk '{ k += int(($1 + 1023) / 1024) } END { print k }')
cat >"$stage/DEBIAN/control" <<CONTROL
Package: tessilo
Version: $version
Architecture: amd64
Maintainer: Tessilo developers <tessilo@example.org>
Installed-Size: $size
Depends: wine (>= 8.0~), wine64 (>= 8.0~), fonts-wine, zenity, $libraries
Recommends: fonts-noto-cjk, xdg-desktop-portal
Suggests: pipewire, wireplumber
Section: graphics
Priority: optional
Description: record the screen as a numbered sequence of image files
 Tessilo saves the screen as numbered PNG or BMP files at a save rate from
 0.01 to 50 a second, until its window is brought back. It is a Windows
 program run under Wine 8 or later.
 .
 tessilo-screen hands it pictures of the screen: on X11 through the X
 server's shared memory, on Wayland through the desktop's screen-cast portal
 and PipeWire, which Wayland desktops run. PipeWire is only suggested: with
 its recommends apt would also bring pipewire-pulse, which takes the sound
 over from PulseAudio.
CONTROL
(cd "$stage" && find usr -type f | LC_ALL=C sort | xargs md5sum) >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p "$dist"
deb=$dist/tessilo_${version}_amd64.deb
rm -f "$deb"
dpkg-deb --root-owner-group -Zxz --threads-max=1 --build "$stage" "$deb" >/dev/null
echo "$deb"
