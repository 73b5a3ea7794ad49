#!/usr/bin/env bash
# The web control's figures beside the native ones: time to the first complete frame and
# frames per second along bench_pan's path through the tunnel (SIZE x SIZE picture, 1920 x
# 1080 view), and the module's size. Builds what it needs.
#   bench/web_pan.sh [SIZE]      SIZE defaults to 8192
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
size="${1:-8192}"
bash scripts/build-web.sh "$root/build-web"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice cmake --build "$root/build" --target bench_pan ktqserve ktqtool
folder="${TMPDIR:-/tmp}/zolvex-bench"
mkdir -p "$folder"
picture="$folder/pan$size.ktq"
[ -f "$picture" ] || "$root/build/apps/ktqtool/ktqtool" synth "$picture" --size "$size"
page=$(mktemp -d)
trap 'rm -rf "$page"' EXIT
ln -s "$root"/build-web/web/* "$page"/
cp bench/web/bench.html "$page"/
if [ ! -d tests/web/node_modules/puppeteer-core ]; then
  (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund >/dev/null)
fi
echo "== native (bench_pan, tunnel row)"
native=$("$root/build/bench/bench_pan" "$size" "$folder" | grep -A1 -E '^tunnel')
echo "$native"
native_fps=$(echo "$native" | sed -n 's/^tunnel *\([0-9.]*\) frames\/s.*/\1/p')
echo "== web (headless Chromium)"
node bench/web/web_pan.mjs "$root/build/apps/ktqserve/ktqserve" "$page" "$folder" "pan$size.ktq" "$size" "$native_fps"
