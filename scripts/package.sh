#!/usr/bin/env bash
# The downloads: builds a Release of tessilo.exe, its companion and tessilo-screen and writes
# dist/tessilo-<version>-windows-x64.zip (tessilo.exe, README.txt, LICENSE.txt) for Windows users,
# dist/tessilo_<version>_amd64.deb for Debian and Ubuntu users, and dist/SHA256SUMS.
# One commit gives the same bytes wherever it is built: the exes' time stamps are the commit's time,
# no build folder gets into them, and the zip's and the package's order, times and owners are fixed.
#   package.sh           the package of this tree, built in BUILD_DIR (build/ by default)
#   package.sh --verify  the packages of the committed HEAD, twice, in two fresh clones; compares them
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = --verify ]; then
  [ -z "$(git -C "$root" status --porcelain)" ] || echo "package.sh --verify: uncommitted changes are left out"
  commit=$(git -C "$root" rev-parse HEAD)
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  hashes=()
  for clone in first second; do
    echo "package.sh --verify: building $commit in $work/$clone"
    git clone --quiet --no-checkout "$root" "$work/$clone"
    git -C "$work/$clone" checkout --quiet "$commit"
    (unset BUILD_DIR; "$work/$clone/scripts/package.sh" >/dev/null)
    hashes+=("$(cat "$work/$clone/dist/SHA256SUMS")")
  done
  printf '%s\n' "${hashes[@]}"
  if [ "${hashes[0]}" != "${hashes[1]}" ]; then
    echo "package.sh --verify: the two packages differ" >&2
    exit 1
  fi
  echo "package.sh --verify: identical"
  exit 0
fi

build=${BUILD_DIR:-$root/build}
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) || {
    echo "package.sh: the commit's time is the exe's time stamp: run it in a git clone or set SOURCE_DATE_EPOCH" >&2
    exit 1
  }
fi
export SOURCE_DATE_EPOCH
# Linked anew, so that their time stamps are this commit's even when no source changed since the last build.
rm -f "$build/bin/tessilo.exe" "$build/bin/tessilo-prtsc.exe"
BUILD_TYPE=Release BUILD_DIR="$build" "$root/scripts/build.sh" tessilo tessilo-prtsc tessilo-screen >/dev/null
exe=$build/bin/tessilo.exe
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# Windows users get tessilo.exe alone: it may need only DLLs that come with Windows. The loader
# binds these before the program's first line runs, so each must be one that Windows never takes
# from the program's folder (a KnownDLL, or comctl32 through the manifest); any other DLL is
# loaded at run time from System32 (app/SystemLibrary.h).
for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
  case $dll in
    advapi32.dll | comctl32.dll | comdlg32.dll | gdi32.dll | gdiplus.dll | kernel32.dll | msvcrt.dll | \
    ole32.dll | oleaut32.dll | shell32.dll | shlwapi.dll | user32.dll) ;;
    *) echo "package.sh: tessilo.exe imports $dll, which Windows lacks or may take from the program's folder" >&2; exit 1 ;;
  esac
done

dist=$root/dist
zip=tessilo-$version-windows-x64.zip
mkdir -p "$dist"
rm -f "$dist/$zip" "$dist"/tessilo_*_amd64.deb "$dist/SHA256SUMS"
python3 - "$dist/$zip" "$SOURCE_DATE_EPOCH" tessilo.exe="$exe" README.txt="$root/package/README.txt" \
    LICENSE.txt="$root/LICENSE" <<'EOF'
import os, sys, time, zipfile
target, epoch, entries = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
# Zip times are local times without a zone, from 1980 on: the commit's UTC time, the same anywhere.
stamp = time.gmtime(max(epoch, 315532800))[:6]
with zipfile.ZipFile(target + ".part", "w") as package:
    for entry in entries:
        name, path = entry.split("=", 1)
        with open(path, "rb") as source:
            data = source.read()
        if name.endswith(".txt"):  # read in Notepad
            data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        info = zipfile.ZipInfo(name, stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0       # MS-DOS attributes, as Windows' own zips carry
        info.external_attr = 0x20    # FILE_ATTRIBUTE_ARCHIVE
        package.writestr(info, data, compresslevel=9)
with zipfile.ZipFile(target + ".part") as package:
    names = package.namelist()
if names != ["tessilo.exe", "README.txt", "LICENSE.txt"]:
    os.remove(target + ".part")
    sys.exit("package.sh: the zip holds %s" % names)
EOF
mv "$dist/$zip.part" "$dist/$zip"
deb=$("$root/scripts/debian-package.sh" "$build" "$dist" "$version")
(cd "$dist" && sha256sum "$zip" "$(basename "$deb")" >SHA256SUMS)
echo "$dist/$zip"
echo "$deb"
cat "$dist/SHA256SUMS"
