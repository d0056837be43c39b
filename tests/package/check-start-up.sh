#!/usr/bin/env bash
# Starts the program on a virtual X display, as a user would, with a stand-in for the
# desktop's xdg-open that writes down what it was asked to open, and checks what start-up
# opened: the guide's address (EXPECTED), or nothing at all when EXPECTED is "nothing".
#   check-start-up.sh PROGRAM EXPECTED [ARGUMENT...]
# Ends with 77 (skipped) where there is no Xvfb.
set -euo pipefail
program=$1 expected=$2
shift 2
command -v Xvfb >/dev/null || { echo "no Xvfb: skipped"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/bin"
printf '#!/bin/sh\necho "$@" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do
  [[ -s $work/display ]] && break
  sleep 0.1
done
[[ -s $work/display ]] || { echo "Xvfb did not start"; exit 1; }

env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION \
  DISPLAY=":$(cat "$work/display")" PATH="$work/bin:$PATH" XDG_RUNTIME_DIR="$work" \
  "$program" "$@" >"$work/log" 2>&1 &
pids+=($!)

# The page is asked for right after the window is built; the web form's tick comes 3 s later.
waited=0
for _ in $(seq 200); do
  [[ -s $work/opened ]] && break
  sleep 0.1
  [[ $expected == nothing ]] && ((++waited >= 40)) && break
done
opened=$(cat "$work/opened" 2>/dev/null || true)
if ! kill -0 "${pids[1]}" 2>/dev/null; then
  echo "the program ended during start-up:"
  cat "$work/log"
  exit 1
fi
if [[ $expected == nothing ]]; then
  [[ -z $opened ]] || { echo "start-up opened '$opened'"; exit 1; }
  echo "start-up opened nothing"
else
  [[ $opened == "$expected" ]] || { echo "start-up opened '$opened', not '$expected'"; exit 1; }
  echo "start-up opened $opened"
fi
