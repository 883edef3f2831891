#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (default 60 s).
# New inputs go to the build tree; copy the useful ones into tests/fuzz/corpus/<target>/.
# Usage: fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}/fuzz
seconds=${1:-60}

"$root/scripts/install-deps.sh" clang
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2

targets=$(sed -n '/^set(FUZZ_TARGETS/,/)/{/^ /p}' "$root/tests/fuzz/Targets.cmake")
failed=0
for target in $targets; do
  work="$build/corpus/$target"
  artifacts="$build/artifacts/$target/"
  mkdir -p "$work" "$artifacts"
  log="$build/$target.log"
  echo "== $target, ${seconds} s"
  if "$build/fuzz_$target" -max_total_time="$seconds" -artifact_prefix="$artifacts" -print_final_stats=1 \
       "$work" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$log" || true
  else
    grep -E '^(SUMMARY|==[0-9]+==ERROR)|Test unit written' "$log" || tail -5 "$log"
    echo "$target: fault found, input in $artifacts (log $log)"
    failed=1
  fi
done
exit $failed
