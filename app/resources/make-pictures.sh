#!/usr/bin/env bash
# Draws the title picture (480 x 371, baseline colour JFIF) and the icon from scratch with
# ImageMagick. Run it only to change the pictures; the results are committed.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
BOLD=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
MONO=/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf

keys=""
for r in 0 1 2 3 4; do
  for c in 0 1 2 3 4; do
    x=$((300 + c * 28)); y=$((150 + r * 28))
    keys+="roundrectangle $x,$y $((x + 22)),$((y + 22)) 3,3 "
  done
done
pins=""
for i in $(seq 0 19); do
  x=$((62 + i * 10))
  pins+="rectangle $x,146 $((x + 4)),152 rectangle $x,220 $((x + 4)),226 "
done

$IM -size 480x371 gradient:'#0b1d3a-#1c3f6e' \
  -fill '#1f6b3a' -stroke '#0e3d1f' -strokewidth 3 -draw "roundrectangle 30,110 450,345 14,14" \
  -stroke none -fill '#c9a227' -draw "$pins" \
  -fill '#151515' -draw "rectangle 56,152 266,220" \
  -fill '#d8d8d8' -font "$MONO" -pointsize 26 -draw "text 110,196 '8080'" \
  -fill '#2a0000' -draw "rectangle 56,240 266,290" \
  -fill '#ff3b2f' -font "$MONO" -pointsize 34 -draw "text 66,279 '8200 3E'" \
  -fill '#e8e4d8' -draw "$keys" \
  -fill '#0e3d1f' -font "$BOLD" -pointsize 11 -draw "text 300,310 'ADDR  MEM  NEXT'" \
  -fill '#9fd3a8' -draw "text 56,320 'STEP   RUN   RST'" \
  -fill white -font "$BOLD" -pointsize 46 -draw "text 42,72 'Tamrel Emul'" \
  -fill '#9cc7ff' -pointsize 18 -draw "text 44,98 'Bervant'" \
  -strip -type TrueColor -interlace none -sampling-factor 2x2 -quality 90 \
  JPEG:title.jpg

$IM -size 128x128 xc:none \
  -fill '#1f6b3a' -stroke '#0e3d1f' -strokewidth 4 -draw "roundrectangle 6,6 121,121 16,16" \
  -stroke none -fill '#151515' -draw "rectangle 26,30 101,70" \
  -fill '#d8d8d8' -font "$MONO" -pointsize 24 -draw "text 34,58 '8080'" \
  -fill '#ff3b2f' -draw "rectangle 26,82 101,104" \
  tamrel-emul.png
