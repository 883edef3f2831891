#!/bin/sh
# Runs a test program under Wine only when the environment names what its tests need (the test
# command sets it up); otherwise exits 77, which CTest reports as skipped, with the reason.
# Usage: run-if-set.sh "VARIABLE ..." "WHAT IS MISSING" PROGRAM [ARGUMENT ...]
set -u
for variable in $1; do
  if [ -z "$(printenv "$variable")" ]; then
    echo "Skipped: $2 ($variable is not set)"
    exit 77
  fi
done
shift 2
exec wine "$@"
