#!/usr/bin/env bash
# Makes the Debian package from a built tree and checks it: its control fields, that the
# library dependencies were found, that it holds the program (stripped), the desktop entry,
# the metainfo, the MIME type, the icons, the guide, the licence and the examples, and that it
# holds nothing else (tamrel-batch, where it is built, is welcome beside tamrel-emul).
#   tools/check-package.sh BUILD_DIR [SCRATCH_DIR]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: check-package.sh BUILD_DIR [SCRATCH_DIR]}" && pwd)
work=${2:-$build/package-check}
rm -rf "$work"
mkdir -p "$work"

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  exit 1
fi
debs=("$work"/*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || { echo "expected one .deb in $work"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

problems=0
fail() { echo "package: $*"; problems=$((problems + 1)); }

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $(field Package) == tamrel-emul ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', not $version"
[[ $(field Section) == education ]] || fail "Section is '$(field Section)'"
[[ -n $(field Maintainer) ]] || fail "no Maintainer"
[[ $(field Description) == *8080* ]] || fail "no Description"
depends=$(field Depends)
for lib in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libjpeg; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib (dpkg-shlibdeps): '$depends'"
done

# The files: everything the program needs, and nothing outside its own places.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort >"$work/files"
id=org.tamrel.TamrelEmul
required=(
  /usr/bin/tamrel-emul
  "/usr/share/applications/$id.desktop"
  "/usr/share/metainfo/$id.metainfo.xml"
  "/usr/share/mime/packages/$id.xml"
  "/usr/share/icons/hicolor/scalable/apps/$id.svg"
  /usr/share/doc/tamrel-emul/LICENSE
  /usr/share/doc/tamrel-emul/labs.md
  /usr/share/doc/tamrel-emul/guide/index.html
  /usr/share/doc/tamrel-emul/guide/en.html
)
for size in 16 32 48 64 128 256; do
  required+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for img in "$source_dir"/docs/guide/img/*.png; do
  required+=("/usr/share/doc/tamrel-emul/guide/img/$(basename "$img")")
done
examples=0
for mem in "$source_dir"/examples/*.mem; do
  name=$(basename "$mem" .mem)
  required+=("/usr/share/tamrel-emul/examples/$name.mem" "/usr/share/tamrel-emul/examples/$name.txt"
    "/usr/share/tamrel-emul/examples/$name.lab")
  examples=$((examples + 1))
done
((examples >= 5)) || fail "only $examples examples"
for f in "${required[@]}"; do
  grep -qxF "$f" "$work/files" || fail "missing $f"
done
while read -r f; do
  case $f in
    /usr/bin/tamrel-emul | /usr/bin/tamrel-batch) ;;
    /usr/share/applications/"$id".desktop | /usr/share/metainfo/"$id".metainfo.xml) ;;
    /usr/share/mime/packages/"$id".xml | /usr/share/icons/hicolor/*/apps/"$id".*) ;;
    /usr/share/doc/tamrel-emul/* | /usr/share/tamrel-emul/* | /usr/share/man/*) ;;
    *) fail "unexpected $f" ;;
  esac
done <"$work/files"

# The installed tree, outside the build tree: programs stripped, the examples as in the
# source, the desktop files valid and the guide opened from its installed place, where the
# tools for those checks are there.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
if command -v file >/dev/null; then
  for exe in "$root"/usr/bin/*; do
    kind=$(file -b "$exe")
    [[ $kind == *ELF* && $kind != *"not stripped"* && $kind == *stripped* ]] ||
      fail "$(basename "$exe") is not a stripped program: $kind"
  done
else
  echo "package: 'file' is not installed; not checking that the programs are stripped"
fi
for mem in "$source_dir"/examples/*.mem; do
  cmp -s "$mem" "$root/usr/share/tamrel-emul/examples/$(basename "$mem")" ||
    fail "examples/$(basename "$mem") differs in the package"
done
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$root/usr/share/applications/$id.desktop" 2>&1) ||
    fail "desktop-file-validate: $out"
  [[ $out != *error:* && $out != *warning:* ]] || fail "desktop-file-validate: $out"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate-tree --no-net "$root" >"$work/validate-tree.log" 2>&1 ||
    fail "appstreamcli validate-tree: $(cat "$work/validate-tree.log")"
fi

if command -v Xvfb >/dev/null; then
  "$source_dir/tests/package/check-start-up.sh" "$root/usr/bin/tamrel-emul" \
    "file://$root/usr/share/doc/tamrel-emul/guide/index.html" || fail "the installed program"
fi

if [[ $problems != 0 ]]; then
  echo "package: $problems problems; the files it holds are listed in $work/files"
  exit 1
fi
echo "package: $(wc -l <"$work/files") files, Depends: $depends"
