#!/usr/bin/env bash
# The Windows build, here: cross-builds the core, tamrel-batch.exe and the core test suites
# with mingw-w64 (cmake --preset windows), runs the tests under Wine, then runs tamrel-batch.exe
# and the native tamrel-batch on the same files and options and fails unless their standard
# output, standard error and exit status agree byte for byte. Needs the `windows` packages of
# tools/install-deps.sh (also part of `ci`).
#
#   tools/windows.sh            build, test, compare
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(getconf _NPROCESSORS_ONLN 2>/dev/null || echo 2)
started=$SECONDS

cmake --preset windows
cmake --build --preset windows -j"$jobs"
built=$SECONDS
export WINEPREFIX=$root/build-windows/wine WINEDEBUG=-all
# A fresh prefix is made on the first start (some seconds); made once, before the tests.
wine cmd /c exit >/dev/null 2>&1 || true
ctest --preset windows -j"$jobs"
tested=$SECONDS

# The native runner: the one the suite built, or one built for this.
native=$root/build/batch/tamrel-batch
if [[ ! -x $native ]]; then
  cmake --preset run >/dev/null
  cmake --build --preset run --target tamrel-batch -j"$jobs"
fi
exe=$root/build-windows/batch/tamrel-batch.exe

# Files beyond the examples: a Cyrillic name, an image whose first bytes are CR LF and 1Ah
# (what a reader in text mode would fold or stop at), a short image, an Intel HEX file.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp examples/countdown.mem "$scratch/Счёт ёж.mem"
{ printf '\x0d\x0a\x1a\x76'; head -c 29996 /dev/zero; } >"$scratch/crlf.mem"
head -c 29999 examples/countdown.mem >"$scratch/short.mem"
printf ':03820000060A76F5\r\n:00000001FF\r\n' >"$scratch/mvi.hex"
printf ':03820000060A76F8\n' >"$scratch/bad.hex"

cases=(
  "examples/*.mem"
  "--dump 8200:8210 --dump F720:F730 examples/*.mem"
  "--max-lines 5 examples/*.mem"
  "--max-lines 1 --set A=7F --set CY=1 --set SP=8400 --from 8200 examples/countdown.mem"
  "$scratch/*.mem $scratch/*.hex examples/missing.mem examples"
  "--dump 8200:8202 $scratch/crlf.mem"
  "--bogus examples/countdown.mem"
  "--help"
)
for lab in examples/*.lab; do
  [[ -e $lab ]] && cases+=("--lab $lab examples")
done

failed=0
for c in "${cases[@]}"; do
  # shellcheck disable=SC2086  # the case is words and file patterns
  set -- $c
  (cd "$root" && "$native" "$@" >"$scratch/native.out" 2>"$scratch/native.err") &&
    native_status=0 || native_status=$?
  (cd "$root" && wine "$exe" "$@" >"$scratch/exe.out" 2>"$scratch/exe.err") &&
    exe_status=0 || exe_status=$?
  if cmp -s "$scratch/native.out" "$scratch/exe.out" && cmp -s "$scratch/native.err" \
    "$scratch/exe.err" && [[ $native_status == "$exe_status" ]]; then
    echo "same: tamrel-batch $c (status $native_status, $(wc -l <"$scratch/native.out") lines out)"
  else
    echo "DIFFERENT: tamrel-batch $c (status $native_status native, $exe_status .exe)"
    diff <(cat "$scratch/native.out" "$scratch/native.err") \
      <(cat "$scratch/exe.out" "$scratch/exe.err") | head -20 || true
    failed=1
  fi
done

echo "windows: built in $((built - started)) s, tests under Wine $((tested - built)) s," \
  "compared in $((SECONDS - tested)) s; tamrel-batch.exe is $(stat -c %s "$exe") bytes"
exit $failed
