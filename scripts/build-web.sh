#!/usr/bin/env bash
# Builds the viewer for web pages: the control as a WebAssembly module with emscripten.
#   1. The C libraries it stands on (zlib, libpng, libjpeg-turbo, pixman, cairo), built for
#      WebAssembly from Debian's source packages into a cache folder under the user's cache
#      ($XDG_CACHE_HOME or ~/.cache, zolvex-web/<key>); a second run finds them there.
#      emscripten's own ports would download them from the internet instead.
#   2. The libraries and the control with emcmake into build-web/ (or the folder given),
#      ending in build-web/web/zolvex.js, zolvex.wasm and zolvex.worker.js beside the page.
# Idempotent: each step is skipped when its result is there.
set -euo pipefail
# Two cores are shared with other work: everything here builds at a lower priority.
renice -n 10 $$ >/dev/null 2>&1 || true
cd "$(dirname "$0")/.."
root=$(pwd)
out="${1:-$root/build-web}"

export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
command -v emcc >/dev/null || { echo "build-web: emscripten is missing (scripts/install-deps.sh)" >&2; exit 1; }

# Source package versions, pinned to the suites of this machine's apt sources.
packages=(zlib=1:1.2.13.dfsg-1 libpng1.6=1.6.39-2+deb12u5 libjpeg-turbo=1:2.1.5-2 pixman=0.42.2-1 cairo=1.16.0-7)
flags="-O2 -pthread"
em_version=$(emcc -dumpversion)
key=$(printf '%s\n' "$em_version" "$flags" "${packages[@]}" | sha1sum | cut -c1-12)
cache="${XDG_CACHE_HOME:-$HOME/.cache}/zolvex-web/$key"
prefix="$cache/prefix"
jobs=$(nproc)

# Unpacks one source package into $cache/src/<name>; Debian's patches are applied when
# the whole package could be fetched, otherwise the upstream tarball is used as it stands.
unpack() {
  local spec=$1 name=${1%%=*}
  local dir="$cache/src/$name"
  [ -d "$dir" ] && { echo "$dir"; return; }
  mkdir -p "$cache/download" && (cd "$cache/download" && apt-get source --download-only "$spec" >/dev/null 2>&1 || true)
  local dsc
  dsc=$(ls "$cache/download/${name}_"*.dsc 2>/dev/null | head -1 || true)
  if [ -n "$dsc" ] && (cd "$cache/download" && dpkg-source --no-check -x "$dsc" "$dir.tmp" >/dev/null 2>&1); then
    mv "$dir.tmp" "$dir"
  else
    rm -rf "$dir.tmp"
    local orig
    orig=$(ls "$cache/download/${name}_"*.orig.tar.* 2>/dev/null | head -1 || true)
    [ -n "$orig" ] || { echo "build-web: no source for $name (is a deb-src entry configured?)" >&2; exit 1; }
    mkdir -p "$dir.tmp" && tar xf "$orig" -C "$dir.tmp" --strip-components=1 && mv "$dir.tmp" "$dir"
  fi
  # Patches leave autotools inputs newer than what was generated from them; make would then
  # want automake. The generated files are brought forward in their order instead.
  if [ -f "$dir/aclocal.m4" ]; then
    touch "$dir/aclocal.m4" && sleep 1
    find "$dir" \( -name configure -o -name Makefile.in -o -name config.h.in \) -exec touch {} +
  fi
  echo "$dir"
}

# Answers of configure for these packages under this emscripten, kept in the repository
# (scripts/web/*.cache): configure then runs the few checks they lack instead of hundreds of
# compiler calls. Stale answers only cost time: configure checks what a cache lacks.
seed_cache() {
  local name=$1
  [ -f "$cache/$name.config.cache" ] || cp "$root/scripts/web/$name.config.cache" "$cache/$name.config.cache" 2>/dev/null || true
  echo "--cache-file=$cache/$name.config.cache"
}

# A step runs until it has once succeeded; a failed run starts again where it stopped.
step() { [ ! -f "$cache/done.$1" ]; }
done_step() { touch "$cache/done.$1"; }

build_codecs() {
  local src
  # emconfigure hands EM_PKG_CONFIG_PATH to pkg-config as its search path.
  export CFLAGS="$flags" CXXFLAGS="$flags" EM_PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
  mkdir -p "$prefix"
  echo "build-web: building zlib, libpng, libjpeg-turbo, pixman and cairo for WebAssembly in $cache"

  step zlib && src=$(unpack "${packages[0]}") && (cd "$src" && emconfigure ./configure --static --prefix="$prefix" >/dev/null && emmake make -j"$jobs" install >/dev/null) && done_step zlib

  if step libpng; then
  src=$(unpack "${packages[1]}")
  emcmake cmake -S "$src" -B "$cache/build/libpng" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DZLIB_ROOT="$prefix" \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" -DCMAKE_C_FLAGS="$flags" >/dev/null
  cmake --build "$cache/build/libpng" --target install >/dev/null && done_step libpng
  fi

  if step jpeg; then
  src=$(unpack "${packages[2]}")
  # The size of size_t is not probed right under emscripten; WebAssembly's is 4 bytes.
  emcmake cmake -S "$src" -B "$cache/build/jpeg" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DCMAKE_C_FLAGS="$flags" -DSIZE_T=4 -DHAVE_SIZE_T=TRUE >/dev/null
  cmake --build "$cache/build/jpeg" --target install >/dev/null && done_step jpeg
  fi

  step pixman && src=$(unpack "${packages[3]}") && (cd "$src" && emconfigure ./configure "$(seed_cache pixman)" --host=wasm32-unknown-emscripten --prefix="$prefix" --disable-shared --enable-static --disable-openmp \
      --disable-mmx --disable-sse2 --disable-ssse3 --disable-vmx --disable-arm-simd --disable-arm-neon \
      --disable-gtk --disable-libpng --disable-timers >/dev/null &&
    emmake make -j"$jobs" -C pixman install >/dev/null && make install-pkgconfigDATA >/dev/null) && done_step pixman

  # cairo: the image surface only (no fonts of its own: the page's browser draws the text).
  # Its config.sub predates emscripten: any other target makes configure cross-compile.
  step cairo && src=$(unpack "${packages[4]}") && (cd "$src" && emconfigure ./configure "$(seed_cache cairo)" --host=i686-pc-linux-gnu --prefix="$prefix" --disable-shared --enable-static \
      --disable-xlib --disable-xcb --disable-xlib-xrender --disable-ft --disable-fc --disable-gobject \
      --disable-script --disable-interpreter --disable-trace --disable-pdf --disable-ps --disable-svg \
      --disable-valgrind --disable-symbol-lookup --disable-full-testing --without-x --enable-png \
      ax_cv_c_float_words_bigendian=no >/dev/null &&
    emmake make -j"$jobs" -C src install >/dev/null) && done_step cairo
  for name in zlib libpng jpeg pixman cairo; do
    step "$name" && { echo "build-web: building $name for WebAssembly failed (run again without >/dev/null to see why)" >&2; exit 1; }
  done
  touch "$prefix/.complete"
}

if [ ! -f "$prefix/.complete" ]; then
  build_codecs
else
  echo "build-web: WebAssembly libraries found in $cache"
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
emcmake cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOLVEX_WEB=ON \
  -DZOLVEX_WEB_PREFIX="$prefix" -DZOLVEX_BUILD_TESTS=OFF -DZOLVEX_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
nice cmake --build "$out" -j"$jobs" --target zolvex_web
echo "build-web: module in $out/web"
