#!/usr/bin/env bash
# How much of the core the kept fuzz corpus reaches: builds the fuzz targets with clang's
# source-based coverage (the "coverage" preset), runs every kept input of fuzz/corpus/<target>/
# through its target once, merges the profiles and prints the line coverage of each core
# folder and of the whole core.
#
#   tools/fuzz-coverage.sh               per-folder summary
#   tools/fuzz-coverage.sh --files       also one line per source file
#   tools/fuzz-coverage.sh --uncovered   also the lines no target reaches, file by file
#
# Needs llvm-profdata and llvm-cov of clang's own version (Debian's llvm package). The
# merged profile is left in build-coverage/fuzz.profdata for llvm-cov show.
set -euo pipefail
cd "$(dirname "$0")/.."

detail=""
case "${1:-}" in
  --files | --uncovered) detail="$1" ;;
  '') ;;
  *)
    echo "usage: $0 [--files | --uncovered]" >&2
    exit 2
    ;;
esac

# The LLVM tools must read the profile format clang writes: prefer the versioned ones.
major="$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)"
tool() {
  if command -v "$1-$major" >/dev/null; then
    echo "$1-$major"
  elif command -v "$1" >/dev/null; then
    echo "$1"
  else
    echo "$1 not found: install Debian's llvm package" >&2
    exit 1
  fi
}
profdata="$(tool llvm-profdata)"
cov="$(tool llvm-cov)"

cmake --preset coverage >/dev/null
bin=build-coverage/fuzz
mapfile -t targets < <(cut -d' ' -f1 "$bin/targets.txt")
cmake --build --preset coverage -j2 --target "${targets[@]/#/fuzz_}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
objects=()
for target in "${targets[@]}"; do
  mapfile -t inputs < <(find "fuzz/corpus/$target" -type f | sort)
  ((${#inputs[@]})) || continue
  # One process replays every kept input of the target, each once.
  LLVM_PROFILE_FILE="$work/$target.profraw" "$bin/fuzz_$target" -rss_limit_mb=2048 \
    "${inputs[@]}" </dev/null >"$work/$target.log" 2>&1 || {
    echo "fuzz_$target failed on its kept corpus:" >&2
    tail -20 "$work/$target.log" >&2
    exit 1
  }
  echo "fuzz_$target: ${#inputs[@]} inputs"
  objects+=("$bin/fuzz_$target")
done
"$profdata" merge -sparse "$work"/*.profraw -o build-coverage/fuzz.profdata

# Every source the targets run that is not the fuzz harness, a test helper or a system header
# is reported; the "core" line sums the folders of the headless core (batch/ and app/ are
# the two programs' own parts). llvm-cov takes the first program as it is and every other after -object.
# Each program has its own LLVMFuzzerTestOneInput, so each sees the others' profiles of that
# name as "mismatched data": a harness function, and left out anyway.
others=()
for o in "${objects[@]:1}"; do others+=(-object "$o"); done
"$cov" export -format=lcov -instr-profile=build-coverage/fuzz.profdata "${objects[0]}" \
  "${others[@]}" -ignore-filename-regex='(^/usr/|/fuzz/|/tests/|/build[^/]*/)' >"$work/fuzz.lcov" \
  2> >(grep -v "functions have mismatched data" >&2)

echo
awk -v root="$(pwd)/" -v detail="$detail" '
  function pct(n, m) { return n ? 100 * (n - m) / n : 100 }
  function span() { return lo == hi ? lo : lo "-" hi }
  /^SF:/ {
    file = substr($0, 4)
    if (index(file, root) == 1) file = substr(file, length(root) + 1)
    dir = file; sub(/\/[^\/]*$/, "", dir); if (dir == file) dir = "."
    lo = -1; miss = ""
  }
  /^DA:/ {
    split(substr($0, 4), a, ",")
    lines[file]++; all[dir]++
    if (a[2] != 0) next
    missed[file]++; none[dir]++
    if (lo >= 0 && a[1] == hi + 1) { hi = a[1]; next }
    if (lo >= 0) miss = miss (miss == "" ? " " : ", ") span()
    lo = hi = a[1]
  }
  /^end_of_record/ {
    if (lo >= 0) miss = miss (miss == "" ? " " : ", ") span()
    if (miss != "") gaps[file] = miss
  }
  END {
    if (detail != "") {
      for (f in lines)
        printf "  %-32s %5d lines %5d missed %6.1f%%\n", f, lines[f], missed[f], pct(lines[f], missed[f]) | "sort"
      close("sort")
      print ""
    }
    printf "%-14s %7s %7s %8s\n", "folder", "lines", "missed", "covered"
    split("core files interpreter listing machine panel", names)
    for (i in names) core[names[i]] = 1
    for (d in all) {
      printf "%-14s %7d %7d %7.1f%%\n", d "/", all[d], none[d], pct(all[d], none[d]) | "sort"
      if (d in core) { N += all[d]; M += none[d] }
    }
    close("sort")
    printf "%-14s %7d %7d %7.1f%%\n", "core", N, M, pct(N, M)
    if (detail == "--uncovered") {
      print "\nLines no target reaches:"
      for (f in gaps) print "  " f ":" gaps[f] | "sort"
      close("sort")
    }
  }' "$work/fuzz.lcov"
