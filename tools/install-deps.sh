#!/usr/bin/env bash
# shellcheck disable=SC2034  # the package lists are read by name
# Makes sure this machine has what building the program needs, for one purpose:
#   run   build and run the program                     (./run.sh)
#   test  and the test suite, benchmarks, package test  (./test.sh)
#   web   and the web edition: emscripten, Chromium, node, npm  (tools/web.sh)
#   ci    and clang's fuzzing runtime, clang-format,    (.ci/run)
#         the Windows cross build and Wine              (tools/windows.sh)
#
#   tools/install-deps.sh [run|test|web|ci]     check, and install what is missing (default: test)
#   tools/install-deps.sh --list PURPOSE    print the Debian/Ubuntu packages for PURPOSE
#   tools/install-deps.sh --hint PURPOSE    print what to install here, for this system
#
# On Debian and Ubuntu it asks dpkg what is missing and installs that with apt-get, as root
# or through sudo (after asking, on a terminal; without one it prints the command and stops).
# Elsewhere (Fedora, Arch, macOS, ...) it installs nothing: it checks that the tools are
# there and leaves the libraries to CMake's own checks; when something is missing, --hint
# names the packages.
set -euo pipefail

# The packages, one list per purpose, each adding to the one before.
# xdg-utils gives xdg-open, through which the program opens its guide in the web browser.
run_debian=(build-essential cmake pkg-config qt6-base-dev libgl-dev libjpeg-dev
  qt6-translations-l10n xdg-utils nlohmann-json3-dev)
test_debian=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth fonts-dejavu-core
  desktop-file-utils appstream libxml2-utils dpkg-dev file)
web_debian=(emscripten chromium nodejs npm)
ci_debian=(clang libclang-rt-dev llvm clang-format
  g++-mingw-w64-x86-64-posix googletest wine wine64)
# The same for other systems, for the hint only.
run_fedora=(gcc-c++ make cmake pkgconf-pkg-config qt6-qtbase-devel mesa-libGL-devel
  libjpeg-turbo-devel qt6-qttranslations xdg-utils json-devel)
test_fedora=(gtest-devel gmock-devel google-benchmark-devel xorg-x11-server-Xvfb xorg-x11-xauth
  dejavu-sans-fonts desktop-file-utils appstream libxml2 file)
web_fedora=(emscripten chromium nodejs npm)
ci_fedora=(clang compiler-rt llvm clang-tools-extra mingw64-gcc-c++ wine)
run_arch=(base-devel cmake pkgconf qt6-base mesa libjpeg-turbo qt6-translations xdg-utils nlohmann-json)
test_arch=(gtest benchmark xorg-server-xvfb xorg-xauth ttf-dejavu desktop-file-utils appstream
  libxml2 file)
web_arch=(emscripten chromium nodejs npm)
ci_arch=(clang compiler-rt llvm mingw-w64-gcc wine)
run_macos=(cmake pkg-config qt jpeg-turbo nlohmann-json)
test_macos=(googletest google-benchmark desktop-file-utils libxml2)
web_macos=(emscripten chromium node)
ci_macos=(llvm)

usage() {
  sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
}

purpose_ok() { [[ $1 == run || $1 == test || $1 == web || $1 == ci ]] || usage; }

# packages FAMILY PURPOSE: the packages of a purpose, with those of the purposes below it.
packages() {
  local family=$1 purpose=$2 level list
  for level in run test web ci; do
    list="${level}_${family}[@]"  # by name: bash 3 (macOS) has no namerefs
    printf '%s\n' "${!list}"
    [[ $level == "$purpose" ]] && break
  done
}

# The kind of system, for the hint: debian, fedora, arch, macos or unknown.
family() {
  if [[ $(uname -s) == Darwin ]]; then echo macos; return; fi
  local id="" like=""
  if [[ -r /etc/os-release ]]; then
    id=$(. /etc/os-release && echo "${ID:-}")
    like=$(. /etc/os-release && echo "${ID_LIKE:-}")
  fi
  case " $id $like " in
    *" debian "* | *" ubuntu "*) echo debian ;;
    *" fedora "* | *" rhel "* | *" centos "*) echo fedora ;;
    *" arch "*) echo arch ;;
    *) echo unknown ;;
  esac
}

hint() {
  local purpose=$1 fam
  fam=$(family)
  echo "To build${purpose:+ for '$purpose'} this system needs:"
  case $fam in
    debian) echo "  sudo apt-get install $(packages debian "$purpose" | paste -sd' ' -)" ;;
    fedora) echo "  sudo dnf install $(packages fedora "$purpose" | paste -sd' ' -)" ;;
    arch) echo "  sudo pacman -S --needed $(packages arch "$purpose" | paste -sd' ' -)" ;;
    macos)
      echo "  xcode-select --install"
      echo "  brew install $(packages macos "$purpose" | paste -sd' ' -)"
      echo "  and CMAKE_PREFIX_PATH=\"\$(brew --prefix qt)\" when configuring"
      ;;
    *)
      echo "  a C++20 compiler, CMake 3.25 or newer, pkg-config, Qt 6 (Widgets), libjpeg,"
      echo "  nlohmann/json 3.9 or newer (header-only)"
      [[ $purpose != run ]] && echo "  GoogleTest with GoogleMock, Google Benchmark"
      [[ $purpose == web || $purpose == ci ]] && echo "  emscripten, Chromium, node and npm"
      [[ $purpose == ci ]] && echo "  clang with its sanitizer and libFuzzer runtimes, clang-format"
      [[ $purpose == ci ]] && echo "  mingw-w64 (x86-64, posix threads), GoogleTest's sources, Wine"
      echo "  (as Debian names them: $(packages debian "$purpose" | paste -sd' ' -))"
      ;;
  esac
}

# Installed, or provided by an installed package (a node from elsewhere that brings its npm).
installed() {
  # grep reads to the end (no -q): under pipefail an early exit would fail the pipe.
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep "install ok installed" >/dev/null && return 0
  dpkg-query -W -f='${Status}|${Provides}\n' 2>/dev/null |
    grep '^install ok installed|' | cut -d'|' -f2 | tr ',' '\n' | sed 's/ *(.*//; s/^ *//' |
    grep -x "$1" >/dev/null
}

debian_install() {
  local purpose=$1 p missing=()
  while read -r p; do
    installed "$p" || missing+=("$p")
  done < <(packages debian "$purpose")
  [[ ${#missing[@]} == 0 ]] && return 0
  echo "Missing for '$purpose': ${missing[*]}"
  if ! command -v apt-get >/dev/null; then
    echo "This system has dpkg but no apt-get; install them with its own tools."
    return 1
  fi
  local update=(env DEBIAN_FRONTEND=noninteractive apt-get update -qq)
  local install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq
    --no-install-recommends "${missing[@]}")
  if [[ $(id -u) == 0 ]]; then
    "${update[@]}" && "${install[@]}"
  elif ! command -v sudo >/dev/null; then
    echo "As root, run:"
    echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}"
    return 1
  elif [[ -t 0 ]]; then
    local answer
    read -r -p "Install them with sudo apt-get? [Y/n] " answer
    if [[ -n $answer && $answer != [yYдД]* ]]; then
      echo "Not installed."
      return 1
    fi
    sudo "${update[@]}" && sudo "${install[@]}"
  else
    echo "Not on a terminal, so not asking for sudo. Run:"
    echo "  sudo apt-get update && sudo apt-get install --no-install-recommends ${missing[*]}"
    return 1
  fi
}

# Without dpkg only the tools can be looked for; CMake finds the libraries or says which.
other_check() {
  local purpose=$1 tool missing=()
  local tools=(cmake pkg-config)
  command -v c++ >/dev/null || command -v g++ >/dev/null || command -v clang++ >/dev/null ||
    missing+=("a C++ compiler")
  [[ $purpose == web || $purpose == ci ]] && tools+=(emcc node npm)
  [[ $purpose == ci ]] && tools+=(clang++ clang-format)
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  [[ ${#missing[@]} == 0 ]] && return 0
  echo "Missing: ${missing[*]}"
  hint "$purpose"
  return 1
}

case "${1:-test}" in
  --list)
    purpose_ok "${2:-}"
    packages debian "$2" | paste -sd' ' -
    ;;
  --hint)
    purpose_ok "${2:-}"
    hint "$2"
    ;;
  -h | --help) usage ;;
  *)
    purpose_ok "${1:-test}"
    if command -v dpkg-query >/dev/null; then
      debian_install "${1:-test}"
    else
      echo "No dpkg here: looking for the tools only; CMake checks for the libraries."
      other_check "${1:-test}"
    fi
    ;;
esac
