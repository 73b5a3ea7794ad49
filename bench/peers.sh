#!/usr/bin/env bash
# Zolvex beside the tools people would reach for instead, on one real-content picture:
# Debian's desktop backgrounds joined 2 x 2, upscaled and grained to SIZE x SIZE (16384 by
# default), saved as JPEG. Every comparison runs ours and the peer back to back in one
# hyperfine run and prints peer time / our time (above 1: we are faster), of the wall
# time and of the processor time (user + system, which a busy machine disturbs less).
#
#   build the pyramid, one core     ktqtool build             vips tiffsave --pyramid (VIPS_CONCURRENCY=1)
#   build the pyramid, two threads  ktqtool build --threads 2 vips tiffsave --pyramid (VIPS_CONCURRENCY=2)
#   1000 x 1000 region two levels   zolvex --headless          vips crop on the pyramid's page,
#   below full size, to PNG         --snapshot / --save-area   openslide-write-png on the pyramid
#
# Both pyramids use tiles of 256 and JPEG quality 85. With --large, a 65536 x 65536 input
# (the same picture upscaled, as a tiled JPEG TIFF) is built once by each, one core each,
# with its time and peak resident memory from /usr/bin/time -v.
#
#   bench/peers.sh [--large] [BUILD_DIR]     (RUNS=3 builds, REGION_RUNS=10 by default)
#
# The made pictures stay in BUILD_DIR/peers, so a second run skips making them.
set -euo pipefail

LARGE=0
if [[ ${1:-} == --large ]]; then
  LARGE=1
  shift
fi
BUILD=${1:-build}
SIZE=${SIZE:-16384}
LARGE_SIZE=${LARGE_SIZE:-65536}
RUNS=${RUNS:-3}
REGION_RUNS=${REGION_RUNS:-10}
ZOLVEX=$BUILD/apps/zolvex/zolvex
KTQTOOL=$BUILD/apps/ktqtool/ktqtool
WORK=$BUILD/peers
THEMES=(homeworld moonlight spacefun joy-inksplat)

# The peers, the measuring tools and the backgrounds come from Debian; only this benchmark
# needs them.
install_missing() {
  local missing=()
  command -v vips >/dev/null || missing+=(libvips-tools)
  command -v openslide-write-png >/dev/null || missing+=(openslide-tools)
  command -v hyperfine >/dev/null || missing+=(hyperfine)
  command -v jq >/dev/null || missing+=(jq)
  [[ -x /usr/bin/time ]] || missing+=(time)
  [[ -d /usr/share/desktop-base/homeworld-theme ]] || missing+=(desktop-base)
  ((${#missing[@]} == 0)) && return
  local sudo=""
  [[ $(id -u) -ne 0 ]] && sudo=sudo
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

# The source picture: four backgrounds rendered at SIZE/4, joined, grained, then upscaled
# twice to SIZE. Intermediates live in memory-backed /dev/shm when there is one.
make_picture() {
  local out=$1 size=$2
  [[ -s $out ]] && return
  local scratch
  scratch=$(mktemp -d "${TMPDIR_FAST:-/dev/shm}/peers.XXXXXX" 2>/dev/null || mktemp -d)
  local quarter=$((size / 4)) parts=() i=0
  for theme in "${THEMES[@]}"; do
    vips thumbnail "/usr/share/desktop-base/$theme-theme/wallpaper/contents/images/3840x2160.svg" \
      "$scratch/p$i.v" "$quarter" --height "$quarter" --crop centre
    parts+=("$scratch/p$i.v")
    i=$((i + 1))
  done
  vips arrayjoin "${parts[*]}" "$scratch/joined.v" --across 2
  vips flatten "$scratch/joined.v" "$scratch/flat.v"
  vips gaussnoise "$scratch/noise.v" $((size / 2)) $((size / 2)) --sigma 6 --mean 0
  vips add "$scratch/flat.v" "$scratch/noise.v" "$scratch/grained.v"
  vips cast "$scratch/grained.v" "$scratch/grained8.v" uchar
  rm -f "$scratch"/p*.v "$scratch/joined.v" "$scratch/flat.v" "$scratch/noise.v" "$scratch/grained.v"
  vips resize "$scratch/grained8.v" "$out.partial.jpg[Q=90]" 2 --kernel linear
  mv "$out.partial.jpg" "$out"
  rm -rf "$scratch"
}

# The larger input: the picture upscaled, written as a tiled JPEG-compressed TIFF (JPEG
# files stop at 65500 pixels a side).
make_large_picture() {
  local out=$1 source=$2
  [[ -s $out ]] && return
  vips resize "$source" "$out.partial.tif[compression=jpeg,Q=90,tile,tile-width=256,tile-height=256,bigtiff]" \
    "$((LARGE_SIZE / SIZE))" --kernel linear
  mv "$out.partial.tif" "$out"
}

# Median wall seconds and mean processor seconds (user + system) of each command of the
# last hyperfine run, in the order given.
times_of_run() { jq -r '.results[] | "\(.median) \(.user + .system)"' "$WORK/run.json"; }

# Ours and the peer back to back in one hyperfine run; prints the times and the ratio of
# wall times, and of processor times (which a busy machine disturbs less).
compare() {
  local label=$1 runs=$2 ours=$3 peer=$4
  hyperfine --style none --runs "$runs" --warmup 1 --export-json "$WORK/run.json" "$ours" "$peer" >/dev/null
  local times
  times=($(times_of_run))
  awk -v l="$label" -v o="${times[0]}" -v oc="${times[1]}" -v p="${times[2]}" -v pc="${times[3]}" \
    'BEGIN { printf "| %s | %.3f s (cpu %.3f s) | %.3f s (cpu %.3f s) | %.2f | %.2f |\n", l, o, oc, p, pc, p / o, pc / oc }'
}

install_missing
for program in "$ZOLVEX" "$KTQTOOL"; do
  [[ -x $program ]] || { echo "build $program first" >&2; exit 1; }
done
mkdir -p "$WORK"
SOURCE=$WORK/source-$SIZE.jpg
make_picture "$SOURCE" "$SIZE"

BUILD_OURS="$KTQTOOL build $SOURCE $WORK/ours.ktq --tile 256 --quality 85"
BUILD_VIPS="vips tiffsave $SOURCE $WORK/vips.tif --pyramid --tile --tile-width 256 --tile-height 256 --compression jpeg --Q 85"

echo "Zolvex beside its peers, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, ${SIZE}² real-content JPEG"
echo
echo "| work | ours | peer | peer / ours (wall) | peer / ours (cpu) |"
echo "|---|---|---|---|---|"
compare "build, one core: ktqtool build / vips tiffsave --pyramid" "$RUNS" \
  "taskset -c 0 $BUILD_OURS --threads 1" "VIPS_CONCURRENCY=1 taskset -c 0 $BUILD_VIPS"
compare "build, two threads: ktqtool build --threads 2 / vips (2 threads)" "$RUNS" \
  "$BUILD_OURS --threads 2" "VIPS_CONCURRENCY=2 $BUILD_VIPS"

# The region: 1000 x 1000 in the middle of the level a quarter of the full size across.
side=$((SIZE / 4))
index=$("$KTQTOOL" info "$WORK/ours.ktq" | sed -n "s/^  level \([0-9]*\): $side x $side .*/\1/p")
[[ -n $index ]] || { echo "no level of $side x $side" >&2; exit 1; }
level=$((index + 1))  # counted from 1 in a position suffix and in --save-area
x=$((side / 2 - 500))
y=$((side / 2 - 500))
SNAPSHOT="$ZOLVEX --headless --size 1000x1000 --snapshot $WORK/z.png $WORK/ours.ktq,$((side / 2)),$((side / 2)),$level,center"
SAVE_AREA="$ZOLVEX --headless --save-area $x,$y,1000,1000,$level $WORK/s.png $WORK/ours.ktq"
VIPS_CROP="vips crop $WORK/vips.tif[page=2] $WORK/v.png $x $y 1000 1000"
OPENSLIDE="openslide-write-png $WORK/vips.tif $((x * 4)) $((y * 4)) 2 1000 1000 $WORK/o.png"
compare "region to PNG: zolvex --snapshot / vips crop" "$REGION_RUNS" "taskset -c 0 $SNAPSHOT" "taskset -c 0 $VIPS_CROP"
compare "region to PNG: zolvex --snapshot / openslide-write-png" "$REGION_RUNS" "taskset -c 0 $SNAPSHOT" "taskset -c 0 $OPENSLIDE"
compare "region to PNG: zolvex --save-area / vips crop" "$REGION_RUNS" "taskset -c 0 $SAVE_AREA" "taskset -c 0 $VIPS_CROP"
compare "region to PNG: zolvex --save-area / openslide-write-png" "$REGION_RUNS" "taskset -c 0 $SAVE_AREA" "taskset -c 0 $OPENSLIDE"

# Wall seconds, processor seconds and peak resident megabytes of one command, from
# /usr/bin/time -v.
time_and_peak() {
  /usr/bin/time -v "$@" 2>"$WORK/time.txt" >/dev/null
  local wall cpu peak
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$WORK/time.txt" |
    awk -F: '{ s = 0; for (i = 1; i <= NF; ++i) s = s * 60 + $i; print s }')
  cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$WORK/time.txt")
  peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/time.txt")
  echo "$wall $cpu $((peak / 1024))"
}

if ((LARGE)); then
  LARGE_SOURCE=$WORK/source-$LARGE_SIZE.tif
  make_large_picture "$LARGE_SOURCE" "$SOURCE"
  read -r ours_s ours_cpu ours_mb < <(time_and_peak taskset -c 0 "$KTQTOOL" build "$LARGE_SOURCE" "$WORK/large.ktq" \
    --tile 256 --quality 85 --threads 1)
  read -r vips_s vips_cpu vips_mb < <(VIPS_CONCURRENCY=1 time_and_peak taskset -c 0 vips tiffsave "$LARGE_SOURCE" \
    "$WORK/large.tif" --pyramid --tile --tile-width 256 --tile-height 256 --compression jpeg --Q 85 --bigtiff)
  rm -f "$WORK/large.ktq" "$WORK/large.tif"
  echo
  echo "| ${LARGE_SIZE}² build, one core | time (cpu) | peak resident memory |"
  echo "|---|---|---|"
  printf '| ktqtool build | %.1f s (cpu %.1f s) | %d MB |\n' "$ours_s" "$ours_cpu" "$ours_mb"
  printf '| vips tiffsave --pyramid | %.1f s (cpu %.1f s) | %d MB |\n' "$vips_s" "$vips_cpu" "$vips_mb"
fi
