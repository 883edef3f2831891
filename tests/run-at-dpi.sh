#!/bin/sh
# Runs a test program under Wine with the screen at another DPI, as Windows is at 125 % or 150 %
# scaling, and puts the prefix back at its own DPI afterwards, also when the run is cut short.
# Usage: run-at-dpi.sh DPI PROGRAM [ARGUMENT ...]
set -u
dpi=$1
shift
key='HKCU\Control Panel\Desktop'
restore() { wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1; }
trap restore EXIT
trap 'exit 1' INT TERM
wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || exit 1
wine "$@"
