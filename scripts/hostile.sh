#!/usr/bin/env bash
# Hostile-input probes that need real programs and seconds each (misbehaving tile servers,
# picture bombs, ten thousand tiles in view); see scripts/hostile.py. Runs in under two
# minutes on a built tree: scripts/hostile.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
export no_proxy="127.0.0.1,localhost${no_proxy:+,$no_proxy}" NO_PROXY="127.0.0.1,localhost${NO_PROXY:+,$NO_PROXY}"
exec python3 scripts/hostile.py "$build"
