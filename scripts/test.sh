#!/usr/bin/env bash
# Builds Zolvex and runs the whole test suite: once as built for use, once more with
# AddressSanitizer and UndefinedBehaviorSanitizer. --tsan adds a ThreadSanitizer run of
# the tests labelled "threads".
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

tsan=no
for arg in "$@"; do
  case "$arg" in
    --tsan) tsan=yes ;;
    *) echo "usage: scripts/test.sh [--tsan]" >&2; exit 2 ;;
  esac
done

bash scripts/install-deps.sh
# The libraries include one another in one direction only.
bash scripts/check-layers.sh
jobs=$(nproc)
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/zolvex-ccache}"
# Paths relative to the checkout, so that every clone shares the cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
# The tests talk to servers on loopback; a proxy from the environment must not take them.
export no_proxy="127.0.0.1,localhost${no_proxy:+,$no_proxy}" NO_PROXY="127.0.0.1,localhost${NO_PROXY:+,$NO_PROXY}"

# GUI tests need a display; without one they run inside a virtual X server.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; fi
}

build_suite() {
  local dir=$1; shift
  local label=$1; shift
  echo "== $label: configure and build in $dir"
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

test_suite() {
  local dir=$1 label=$2
  echo "== $label: tests"
  (cd "$dir" && with_display ctest --output-on-failure -j "$jobs" ${CTEST_ARGS:-})
}

run_suite() {
  build_suite "$@"
  test_suite "$1" "$2"
}

build_suite "$root/build" "plain" -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The WebAssembly module builds (at a lower priority) while the plain suite runs: its codec
# libraries' configure scripts, run once per cache, mostly wait on one command at a time.
# A failure here shows when test-web.sh builds again.
web_log=$(mktemp) web_build=
trap 'rm -f "$web_log"' EXIT
if command -v emcc >/dev/null; then
  bash scripts/build-web.sh "$root/build-web" >"$web_log" 2>&1 &
  web_build=$!
fi
test_suite "$root/build" "plain"
echo "== hostile peers and inputs"
bash scripts/hostile.sh "$root/build"
[ -z "$web_build" ] || wait "$web_build" || echo "== web: the build beside the plain suite failed; building again"
# The WebAssembly control in headless Chromium (skipped without Chromium).
bash scripts/test-web.sh "$root/build"
run_suite "$root/build-asan" "asan+ubsan" -DCMAKE_BUILD_TYPE=Debug -DZOLVEX_SANITIZE=address,undefined -DZOLVEX_BUILD_BENCH=OFF
if [ "$tsan" = yes ]; then
  CTEST_ARGS="-L threads" run_suite "$root/build-tsan" "tsan" -DCMAKE_BUILD_TYPE=Debug -DZOLVEX_SANITIZE=thread -DZOLVEX_BUILD_BENCH=OFF
fi
# fuzzing: every fuzz target for 20 s (two at a time) when clang is present; see scripts/fuzz.sh.
# The fixed seed makes the run repeatable: longer runs with the same seed are made before landing.
if command -v clang++ >/dev/null; then FUZZ_SEED=1 bash scripts/fuzz.sh 20; fi
echo "== all test runs passed"
