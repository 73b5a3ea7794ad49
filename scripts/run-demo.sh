#!/usr/bin/env bash
# Builds Zolvex and shows the demo: a large synthetic picture served by ktqserve on a free
# loopback port and opened through the tile server scheme. With a display the viewer
# opens a window (drag to pan, click to zoom in, right click to zoom out, wheel, arrows);
# without one it renders headless and writes demo.png. Extra arguments go to zolvex.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/zolvex-ccache}"
# Paths relative to the checkout, so that every clone shares the cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target zolvex ktqtool ktqserve

bin="$root/build/apps"
demo="$root/build/demo"
mkdir -p "$demo"
if [ ! -f "$demo/world.ktq" ]; then
  echo "run-demo: making the demo picture (8192 x 8192)"
  "$bin/ktqtool/ktqtool" synth "$demo/world.ktq" --size 8192
fi

log="$demo/ktqserve.log"
"$bin/ktqserve/ktqserve" "$demo" --port 0 >"$log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/.* port \([0-9][0-9]*\).*/\1/p' "$log" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "run-demo: ktqserve did not start:" >&2
  cat "$log" >&2
  exit 1
fi
url="ktq://127.0.0.1:$port/world.ktq"
echo "run-demo: ktqserve serves $demo on port $port; opening $url"

args=(--param BackgroundColor=#203040 --param progressbar=yes --param WheelAction=zoom --param autofit=yes)
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$bin/zolvex/zolvex" "${args[@]}" "$@" "$url"
else
  echo "run-demo: no display; rendering headless"
  "$bin/zolvex/zolvex" --headless --size 1024x768 "${args[@]}" --snapshot "$root/demo.png" "$@" "$url"
fi
