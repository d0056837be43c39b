#!/usr/bin/env bash
# Installs what building and running needs (tools/install-deps.sh run), builds the program into
# build/ and starts it; arguments go to the program (./run.sh examples/countdown.mem).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh run
jobs=$(getconf _NPROCESSORS_ONLN 2>/dev/null || echo 2)
cmake --preset run || { tools/install-deps.sh --hint run; exit 1; }
cmake --build --preset run -j"$jobs" --target tamrel-emul
exec build/app/tamrel-emul "$@"
