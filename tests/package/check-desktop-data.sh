#!/usr/bin/env bash
# The desktop files agree with each other and with the program: one id names the desktop
# entry, the metainfo file and the icon; the entry starts the program with a file and names
# the memory image type; the metainfo's newest release is the program's version; every icon
# size is there at its size.
#   check-desktop-data.sh DATA_DIR ID VERSION
set -uo pipefail
data=$1 id=$2 version=$3
problems=0
fail() { echo "desktop files: $*"; problems=$((problems + 1)); }

mime=$data/$id.xml entry=$data/$id.desktop meta=$data/$id.metainfo.xml
type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime" | head -n1)
[[ $type == application/* ]] || fail "the MIME file names no application type"
grep -qF '<glob pattern="*.mem"/>' "$mime" || fail "the MIME type has no *.mem glob"

for line in "Type=Application" "Exec=tamrel-emul %f" "TryExec=tamrel-emul" "Icon=$id"; do
  grep -qxF "$line" "$entry" || fail "the desktop entry lacks '$line'"
done
for key in 'Name\[ru\]' GenericName Keywords Categories; do
  grep -qE "^$key=." "$entry" || fail "the desktop entry has no $key"
done
grep -qE "^MimeType=([^;]*;)*${type//./\\.};" "$entry" ||
  fail "the desktop entry's MimeType lacks $type"

grep -qF "<id>$id</id>" "$meta" || fail "the metainfo id is not $id"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" ||
  fail "the metainfo does not launch $id.desktop"
grep -qF "<binary>tamrel-emul</binary>" "$meta" || fail "the metainfo does not provide tamrel-emul"
grep -qF "<mediatype>$type</mediatype>" "$meta" || fail "the metainfo does not provide $type"
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$meta" | head -n1)
[[ $newest == "$version" ]] ||
  fail "the newest release in the metainfo is '$newest', the program's version $version"

# A PNG starts with its 8-byte signature, then the IHDR chunk: width and height are bytes 16-23.
for size in 16 32 48 64 128 256; do
  png=$data/icons/hicolor/${size}x${size}/apps/$id.png
  if [[ ! -f $png ]]; then
    fail "no ${size}x${size} icon"
    continue
  fi
  read -r -a b < <(od -An -tu1 -N24 "$png" | tr -s ' \n' ' ')
  w=$(((b[16] << 24) | (b[17] << 16) | (b[18] << 8) | b[19]))
  h=$(((b[20] << 24) | (b[21] << 16) | (b[22] << 8) | b[23]))
  [[ ${b[0]}-${b[1]}-${b[2]}-${b[3]} == 137-80-78-71 && $w == "$size" && $h == "$size" ]] ||
    fail "${size}x${size}/apps/$id.png is not a $size x $size PNG (${w} x ${h})"
done
grep -q "<svg" "$data/icons/$id.svg" || fail "the scalable icon is not an SVG"

[[ $problems == 0 ]] && echo "desktop files: consistent"
[[ $problems == 0 ]]
