#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each for SECONDS (default 60),
# two at a time. Inputs found on the way are kept in the build folder's corpus. A crash is
# minimised and stored under fuzz/regressions/<target>/, where the replay test of the
# normal build picks it up: fix the fault, then keep the input.
#   scripts/fuzz.sh [SECONDS] [TARGET...]      (targets: the names in fuzz/FuzzTargets.cmake)
# ZOLVEX_FUZZ_BUILD names the build folder (default build-fuzz), FUZZ_JOBS the parallel runs,
# FUZZ_SEED a fixed seed: with it a run replays the same inputs in the same order, so a short
# run only repeats the beginning of a longer one that passed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
case "$seconds" in ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2; exit 2 ;; esac
command -v clang++ >/dev/null || { echo "fuzz: clang++ is needed" >&2; exit 2; }

build=${ZOLVEX_FUZZ_BUILD:-$root/build-fuzz}
jobs=${FUZZ_JOBS:-$(nproc)}
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/zolvex-ccache}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Addresses an input names on the web go to a proxy that refuses at once: no run waits on
# the network or reaches it.
export http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 all_proxy=http://127.0.0.1:9

if [ $# -gt 0 ]; then
  targets=("$@")
else
  read -r -a targets <<<"$(sed -n '/^set(ZOLVEX_FUZZ_TARGETS/,/)/p' fuzz/FuzzTargets.cmake | tr -d '()' | sed 's/set//; s/ZOLVEX_FUZZ_TARGETS//' | tr '\n' ' ')"
fi

echo "== fuzz: configure and build in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DZOLVEX_FUZZ=ON -DZOLVEX_BUILD_TESTS=OFF -DZOLVEX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}"

# Runs one target; its log and a result line go to $build/fuzz-logs/.
run_target() {
  local name=$1
  local program="$build/fuzz/fuzz_$name"
  local corpus="$build/fuzz-corpus/$name" artifacts="$build/fuzz-artifacts/$name/"
  local log="$build/fuzz-logs/$name.log" result="$build/fuzz-logs/$name.result"
  mkdir -p "$corpus" "$artifacts"
  rm -f "$artifacts"/crash-* "$artifacts"/leak-* "$artifacts"/timeout-* "$artifacts"/oom-* "$result"
  local inputs=("$corpus")
  for dir in "fuzz/corpus/$name" "fuzz/regressions/$name"; do [ -d "$dir" ] && inputs+=("$dir"); done
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$artifacts")
  [ -f "fuzz/dict/$name.dict" ] && options+=(-dict="fuzz/dict/$name.dict")
  local extra=()
  [ -f "fuzz/options/$name.options" ] && read -r -a extra <"fuzz/options/$name.options" && options+=("${extra[@]}")
  [ -n "${FUZZ_SEED:-}" ] && options+=(-seed="$FUZZ_SEED")
  local status=0
  "$program" "${options[@]}" "${inputs[@]}" >"$log" 2>&1 || status=$?
  local runs
  runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -1 | tr -dc '0-9' || true)
  if [ "$status" -eq 0 ]; then
    echo "$name ok ${runs:-?} runs" >"$result"
    return
  fi
  local found
  found=$(ls "$artifacts" 2>/dev/null | head -1)
  if [ -z "$found" ]; then
    echo "$name FAILED (exit $status, no input kept; see $log)" >"$result"
    return
  fi
  local kept="fuzz/regressions/$name/$found"
  mkdir -p "fuzz/regressions/$name"
  # Timeouts and out-of-memory inputs are kept as found; crashes are minimised first.
  if [[ "$found" == crash-* || "$found" == leak-* ]]; then
    "$program" -minimize_crash=1 -max_total_time=60 -exact_artifact_path="$kept" "$artifacts$found" \
      >>"$log" 2>&1 || true
  fi
  [ -f "$kept" ] || cp "$artifacts$found" "$kept"
  echo "$name FAILED: $found kept as $kept (see $log)" >"$result"
}

mkdir -p "$build/fuzz-logs"
echo "== fuzz: ${#targets[@]} targets, $seconds s each, $jobs at a time"
for name in "${targets[@]}"; do
  [ -x "$build/fuzz/fuzz_$name" ] || { echo "fuzz: unknown target $name" >&2; exit 2; }
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_target "$name" &
done
wait

failed=0
for name in "${targets[@]}"; do
  cat "$build/fuzz-logs/$name.result"
  grep -q ' ok ' "$build/fuzz-logs/$name.result" || failed=1
done
exit "$failed"
