#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)" --target tamrel-emul
exec build/app/tamrel-emul
