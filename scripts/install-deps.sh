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
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
