#!/usr/bin/env bash
# Renders the hicolor PNG icons from the scalable one (needs rsvg-convert, Debian librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for n in 16 32 48 64 128 256; do
  mkdir -p "hicolor/${n}x${n}/apps"
  rsvg-convert -w "$n" -h "$n" org.tamrel.TamrelEmul.svg -o "hicolor/${n}x${n}/apps/org.tamrel.TamrelEmul.png"
done
