#!/usr/bin/env bash
# Builds Zolvex and runs the viewer on the demo content: in a window when a display
# exists, otherwise headless, writing demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/zolvex-ccache}"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target zolvex

args=(--param BackgroundColor=#203040)
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/build/apps/zolvex/zolvex" "${args[@]}" "$@"
fi
echo "run-demo: no display; rendering headless"
"$root/build/apps/zolvex/zolvex" --headless --size 1024x768 "${args[@]}" --snapshot "$root/demo.png" "$@"
