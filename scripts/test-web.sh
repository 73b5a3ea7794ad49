#!/usr/bin/env bash
# The control in a real browser: builds the WebAssembly module (scripts/build-web.sh) and
# runs tests/web/*.test.mjs in headless Chromium against the native programs of build/
# (built here when missing). Skipped, with a note, where Chromium or emscripten is absent.
#   scripts/test-web.sh [NATIVE_BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
native="${1:-$root/build}"

chromium="${CHROMIUM:-/usr/bin/chromium}"
if [ ! -x "$chromium" ] || ! command -v emcc >/dev/null || ! command -v node >/dev/null; then
  echo "test-web: skipped (needs chromium, emscripten and node; see scripts/install-deps.sh)"
  exit 0
fi
if [ ! -d tests/web/node_modules/puppeteer-core ]; then
  (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund >/dev/null)
fi

bash scripts/build-web.sh "$root/build-web"
if [ ! -x "$native/apps/zolvex/zolvex" ] || [ ! -x "$native/apps/ktqserve/ktqserve" ] || [ ! -x "$native/apps/ktqtool/ktqtool" ]; then
  cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  nice cmake --build "$native" -j "$(nproc)" --target zolvex ktqserve ktqtool
fi

echo "== web: tests in headless Chromium"
# The tests talk to servers on loopback; a proxy from the environment must not take them.
export no_proxy="127.0.0.1,localhost" NO_PROXY="127.0.0.1,localhost"
ZOLVEX_NATIVE_BUILD="$native" ZOLVEX_WEB_BUILD="$root/build-web/web" CHROMIUM="$chromium" \
  node --test --test-concurrency=1 tests/web/
