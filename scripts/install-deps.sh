#!/usr/bin/env bash
# Installs every Debian package that building, testing and running the demo need.
# Idempotent: packages already present are skipped; apt-get update runs once, only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build pkg-config g++ ccache
  zlib1g-dev libjpeg62-turbo-dev libpng-dev libtiff-dev libwebp-dev libxml2-dev
  libcurl4-openssl-dev libasio-dev
  libcairo2-dev libpango1.0-dev libgtk-3-dev
  libgstreamer1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libjavascriptcoregtk-4.1-dev
  fonts-dejavu-core xvfb xauth xdotool imagemagick python3
  # Texts in Korean, Japanese and Chinese (Noto CJK), and the metric twins of Arial and
  # Times that maps name (Liberation); DejaVu covers Vietnamese and accented Latin.
  fonts-noto-cjk fonts-liberation
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  # The web build (scripts/build-web.sh) and its tests in a real browser (scripts/test-web.sh).
  emscripten chromium dpkg-dev
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# The web build compiles the codec libraries from Debian's source packages: apt needs
# deb-src entries for the suites the binary packages come from.
src_list=/etc/apt/sources.list.d/zolvex-deb-src.sources
if [ -f /etc/apt/sources.list.d/debian.sources ] && ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | "${sudo_cmd[@]}" tee "$src_list" >/dev/null
  need_update=yes
fi

# The browser tests' DevTools client, pinned by tests/web/package-lock.json.
if command -v npm >/dev/null && [ ! -d "$(dirname "$0")/../tests/web/node_modules/puppeteer-core" ]; then
  (cd "$(dirname "$0")/../tests/web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund >/dev/null)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  [ "${need_update:-}" = yes ] && "${sudo_cmd[@]}" apt-get update -qq
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
