#!/usr/bin/env bash
# The web edition: the core as WebAssembly and the page, built into build-web/site.
#   tools/web.sh build          install what is missing (purpose "web"), build the page
#   tools/web.sh serve [PORT]   build, then serve it on http://127.0.0.1:PORT/ (default 8080)
#   tools/web.sh test           build, then run the web tests (ctest -L web in build)
#   tools/web.sh npm            install the test tools pinned in web/package-lock.json
#   tools/web.sh measure        build, then print the figures of the README's "Web edition"
#   tools/web.sh screenshots    build, then take docs/screenshots/web-*.png
# The built folder is the whole page: copy it to any static file server to publish it.
set -euo pipefail
cd "$(dirname "$0")/.."

build() {
  tools/install-deps.sh web
  # Debian's emscripten runs its node helpers with the system's node modules.
  export NODE_PATH=/usr/share/nodejs
  cmake --preset web >/dev/null
  cmake --build --preset web -j"$(getconf _NPROCESSORS_ONLN 2>/dev/null || echo 2)"
}

npm_tools() {
  # Exactly the locked versions; puppeteer-core brings no browser, Debian's Chromium is used.
  if [[ ! -d web/node_modules/puppeteer-core ]] ||
    [[ web/package-lock.json -nt web/node_modules/.package-lock.json ]]; then
    (cd web && npm ci --no-audit --no-fund --ignore-scripts)
  fi
}

case "${1:-build}" in
  build) build ;;
  serve)
    build
    port=${2:-8080}
    echo "Serving build-web/site on http://127.0.0.1:$port/ (Ctrl+C ends)"
    exec python3 -m http.server --bind 127.0.0.1 --directory build-web/site "$port"
    ;;
  npm) npm_tools ;;
  test)
    build
    npm_tools
    # The native sides of the differential test and of the grading page's CSV: the ordinary build.
    cmake --preset default >/dev/null
    cmake --build build --target tamrel_web_driver tamrel-batch
    ctest --test-dir build --output-on-failure -L web
    ;;
  screenshots)
    build
    npm_tools
    node web/tests/screenshots.mjs "$PWD/build-web/site" "$PWD/docs/screenshots"
    node web/tests/see-screenshot.mjs "$PWD/build-web/site" "$PWD/docs/screenshots"
    ;;
  measure)
    build
    npm_tools
    node web/tests/measure.mjs "$PWD/build-web/site" 3
    ;;
  *)
    sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
