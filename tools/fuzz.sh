#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time; any finding fails.
#   tools/fuzz.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake --preset fuzz
cmake --build --preset fuzz -j"$(nproc)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for target in execute_line line_entry keypad shift memfile; do
  cp -r "fuzz/corpus/$target" "$work/$target"
  echo "== fuzz_$target (${seconds}s or 1000000 runs)"
  build-fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -runs=1000000 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/$target" 2>&1 | grep -E "^stat::number_of_executed_units|Done|ERROR|invariant" || true
  if ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* >/dev/null 2>&1; then
    echo "fuzz_$target found a failing input:" "$work"/crash-* "$work"/leak-* "$work"/timeout-* 2>/dev/null
    exit 1
  fi
done
echo "fuzzing: 0 findings"
