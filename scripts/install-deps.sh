#!/usr/bin/env bash
# Installs the Debian packages that building and running under Wine need, and the extra ones a
# script names, only those that are missing. Usage: install-deps.sh [extra package ...]
set -euo pipefail

# fonts-noto-cjk: the CJK font the prefix links to Tahoma, and the Japanese texts' glyphs.
# g++, pkg-config and the -dev packages: the native screen source (PipeWire, D-Bus and Wayland for
# Wayland sessions, xcb with its MIT-SHM extension for X11 sessions). zenity: the launcher's windows.
packages=(cmake make g++-mingw-w64-x86-64-posix wine wine64 fonts-wine fonts-noto-cjk libboost1.81-dev googletest
  g++ pkg-config libpipewire-0.3-dev libdbus-1-dev libwayland-dev libxcb1-dev libxcb-shm0-dev zenity "$@")

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing packages: ${missing[*]}" >&2
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
