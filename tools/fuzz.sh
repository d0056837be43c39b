#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, replays the kept corpus (fuzz/corpus/<target>/)
# through every target, then fuzzes each one for a bounded time.
#
#   tools/fuzz.sh [SECONDS]     replay, then fuzz each target for SECONDS (60 if not given; more
#                               for a target fuzz/CMakeLists.txt gives more) or 1,000,000
#                               inputs, whichever comes first
#   tools/fuzz.sh --replay      replay the kept corpus only
#   tools/fuzz.sh --merge DIR   fold DIR/<target>/ into the kept corpus, minimised
#
# The kept corpus is small: the named seeds and inputs that once found a fault, plus the
# fewest inputs fuzzing found that reach every feature (files named by their SHA-1).
#
# Any finding fails the run: a crash, a broken invariant, a leak, a timeout, running out of
# memory, a slow input, or a fuzzer that ends with any other status. The targets and their
# dictionaries are the ones fuzz/CMakeLists.txt lists. Fuzzing adds its new inputs to a
# temporary copy of the corpus, never to the repository; with TAMREL_FUZZ_KEEP=DIR the grown
# copy is left in DIR/<target>/ for --merge.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=fuzz
seconds=60
case "${1:-}" in
  --replay) mode=replay ;;
  --merge)
    mode=merge
    from="$(realpath "${2:?usage: $0 --merge DIR}")"
    ;;
  '') ;;
  *[!0-9]* | 0*)
    echo "usage: $0 [SECONDS] | --replay | --merge DIR" >&2
    exit 2
    ;;
  *) seconds="$1" ;;
esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2
bin=build-fuzz/fuzz
if ! "$bin/fuzz_dict" | cmp -s - fuzz/dict/opcodes.dict; then
  echo "fuzz/dict/opcodes.dict no longer matches the opcode table:" \
    "run $bin/fuzz_dict > fuzz/dict/opcodes.dict" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/findings"
# A slow input is one that takes 10 s; one that takes 25 s is a timeout. Both are findings.
limits=(-timeout=25 -report_slow_units=10 -rss_limit_mb=2048)
failed=()
summary=()

# Runs one fuzzer; fails the target on a bad status or on any file it left as a finding.
run() {
  local target="$1" log="$work/$1.log"
  shift
  local status=0 TIMEFORMAT='%3U %3S %3R'
  {
    time "$bin/fuzz_$target" "${limits[@]}" -artifact_prefix="$work/findings/$target-" "$@" \
      </dev/null >"$log" 2>&1 || status=$?
  } 2>"$work/$target.time"
  local found
  mapfile -t found < <(find "$work/findings" -name "$target-*" | sort)
  # Replaying files one by one, libFuzzer times each but leaves judging slowness to us.
  if awk '/^Executed .* in [0-9]+ ms$/ && $(NF-1) >= 10000 { bad = 1; print "slow input: " $2 }
          END { exit !bad }' "$log" >&2; then
    [[ $status -ne 0 ]] || status=1
  fi
  if [[ $status -ne 0 || ${#found[@]} -gt 0 ]]; then
    echo "fuzz_$target: exit status $status" >&2
    grep -E "ERROR|invariant broken|SUMMARY|Slowest unit|Test unit written" "$log" | head -20 >&2 || true
    grep "^Running: " "$log" | tail -1 >&2 || true  # the kept input a replay stopped at
    if ((${#found[@]})); then
      mkdir -p build-fuzz/findings
      cp "${found[@]}" build-fuzz/findings/
      echo "findings kept in build-fuzz/findings/: $(basename -a "${found[@]}" | tr '\n' ' ')" >&2
    fi
    failed+=("$target")
    return 1
  fi
}

while read -r target times max_len dict; do
  corpus="fuzz/corpus/$target"
  case "$mode" in
    merge)
      # Named inputs (seeds, and inputs that once found a fault) are always kept; the ones
      # fuzzing found (named by their SHA-1) are cut down to the fewest that still reach
      # every feature the named ones do not.
      # Features count how often each branch ran; where that keeps more than 200 inputs,
      # only whether it ran at all.
      dirs=("$corpus")
      [[ -d $from/$target ]] && dirs+=("$from/$target")
      for counters in 1 0; do
        rm -rf "$work/merged/$target"
        mkdir -p "$work/merged/$target"
        find "$corpus" -type f ! -regex '.*/[0-9a-f]\{40\}' -exec cp {} "$work/merged/$target/" \;
        run "$target" -merge=1 -use_counters="$counters" "$work/merged/$target" "${dirs[@]}" ||
          continue 2
        (($(find "$work/merged/$target" -type f | wc -l) <= 200)) && break
      done
      rm -rf "$corpus"
      cp -r "$work/merged/$target" "$corpus"
      echo "fuzz_$target: $(find "$corpus" -type f | wc -l) inputs kept"
      ;;
    replay | fuzz)
      mapfile -t inputs < <(find "$corpus" -type f | sort)
      if ((${#inputs[@]} > 0)) && run "$target" "${inputs[@]}"; then
        echo "fuzz_$target: ${#inputs[@]} kept inputs replayed"
      elif ((${#inputs[@]} == 0)); then
        echo "fuzz_$target: no kept inputs" >&2
        failed+=("$target")
      fi
      ;;
  esac
done <"$bin/targets.txt"

if [[ $mode == fuzz && ${#failed[@]} -eq 0 ]]; then
  while read -r target times max_len dict; do
    mkdir -p "$work/corpus"
    cp -r "fuzz/corpus/$target" "$work/corpus/$target"
    opts=(-max_total_time="$((seconds * times))" -runs=1000000 -max_len="$max_len"
      -print_final_stats=1)
    [[ -n $dict ]] && opts+=(-dict="fuzz/dict/$dict")
    echo "== fuzz_$target ($((seconds * times)) s or 1,000,000 inputs${dict:+, dictionary $dict})"
    run "$target" "${opts[@]}" "$work/corpus/$target" || continue
    # Inputs per second of the fuzzer's own processor time (what the machine's other work
    # does not change), and of the clock.
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
    read -r user sys real <"$work/$target.time"
    summary+=("$(awk -v t="fuzz_$target" -v n="$executed" -v c="$user" -v s="$sys" -v r="$real" \
      'BEGIN { c += s; printf "%-18s %8d inputs %6.1f s cpu %7d/s %6.1f s clock %7d/s",
                                t, n, c, n / c, r, n / r }')")
    if [[ -n ${TAMREL_FUZZ_KEEP:-} ]]; then
      mkdir -p "$TAMREL_FUZZ_KEEP"
      rm -rf "${TAMREL_FUZZ_KEEP:?}/$target"
      cp -r "$work/corpus/$target" "$TAMREL_FUZZ_KEEP/$target"
    fi
  done <"$bin/targets.txt"
fi

((${#summary[@]})) && printf '%s\n' "${summary[@]}"
if ((${#failed[@]})); then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzzing: 0 findings"
