#!/usr/bin/env bash
# Installs what building and testing needs (tools/install-deps.sh test), builds everything into
# build/ and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh test
jobs=$(getconf _NPROCESSORS_ONLN 2>/dev/null || echo 2)
cmake --preset default || { tools/install-deps.sh --hint test; exit 1; }
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"
