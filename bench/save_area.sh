#!/usr/bin/env bash
# Saving a 1000 x 1000 area two levels below full resolution of a SIZE x SIZE picture (16384
# by default), each tool run as a whole process, best of RUNS:
#   zolvex --headless --save-area   on a .ktq of the picture (JPEG tiles of 256, quality 85)
#   zolvex --headless --snapshot    of a 1000 x 1000 window opened there by a position suffix
#   openslide-write-png             on a pyramidal TIFF of the same picture (JPEG tiles of 256)
#   vips crop                       on the same TIFF's page of that level
# All three write PNG. Goal: zolvex at least 1.5 times faster than openslide-write-png and
# as fast as vips.
#
#   bench/save_area.sh [BUILD_DIR]      (SIZE=16384 RUNS=5 by default)
set -euo pipefail

BUILD=${1:-build}
SIZE=${SIZE:-16384}
RUNS=${RUNS:-5}
ZOLVEX=$BUILD/apps/zolvex/zolvex
KTQTOOL=$BUILD/apps/ktqtool/ktqtool

# The peers come from Debian; only this benchmark needs them.
install_peers() {
  local missing=()
  command -v vips >/dev/null || missing+=(libvips-tools)
  command -v openslide-write-png >/dev/null || missing+=(openslide-tools)
  ((${#missing[@]} == 0)) && return
  local sudo=""
  [[ $(id -u) -ne 0 ]] && sudo=sudo
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

# Milliseconds of the fastest of RUNS runs of a command.
best_ms() {
  local best=""
  for ((i = 0; i < RUNS; ++i)); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    local ms=$(((end - start) / 1000000))
    [[ -z $best || $ms -lt $best ]] && best=$ms
  done
  echo "$best"
}

install_peers
for program in "$ZOLVEX" "$KTQTOOL"; do
  [[ -x $program ]] || { echo "build $program first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The picture: coloured Perlin noise, one source for both pyramids.
vips perlin "$work/noise.v" "$SIZE" "$SIZE" --cell-size 512
vips linear "$work/noise.v" "$work/grey.v" 127 128 --uchar
vips invert "$work/grey.v" "$work/inverse.v"
vips bandjoin "$work/grey.v $work/inverse.v $work/grey.v" "$work/rgb.v"
vips copy "$work/rgb.v" "$work/source.jpg[Q=95]"
"$KTQTOOL" build "$work/source.jpg" "$work/picture.ktq" --tile 256 --codec jpeg --quality 85 >/dev/null
vips tiffsave "$work/rgb.v" "$work/picture.tif" --tile --pyramid --compression jpeg --Q 85 \
  --tile-width 256 --tile-height 256

# Two levels below full resolution: a quarter of the full size in each direction.
side=$((SIZE / 4))
index=$("$KTQTOOL" info "$work/picture.ktq" | sed -n "s/^  level \([0-9]*\): $side x $side .*/\1/p")
[[ -n $index ]] || { echo "no level of $side x $side" >&2; exit 1; }
x=$((side / 2 - 500))
y=$((side / 2 - 500))

zolvex_ms=$(best_ms "$ZOLVEX" --headless --save-area "$x,$y,1000,1000,$((index + 1))" "$work/z.png" "$work/picture.ktq")
snapshot_ms=$(best_ms "$ZOLVEX" --headless --size 1000x1000 --snapshot "$work/s.png" \
  "$work/picture.ktq,$x,$y,$((index + 1)),left")
openslide_ms=$(best_ms openslide-write-png "$work/picture.tif" $((x * 4)) $((y * 4)) 2 1000 1000 "$work/o.png")
vips_ms=$(best_ms vips crop "$work/picture.tif[page=2]" "$work/v.png" "$x" "$y" 1000 1000)

echo "save a 1000 x 1000 area at level $side x $side of $SIZE x $SIZE, best of $RUNS, whole process:"
printf '  %-22s %6d ms\n' "zolvex --save-area" "$zolvex_ms" "zolvex --snapshot" "$snapshot_ms" \
  "openslide-write-png" "$openslide_ms" "vips crop" "$vips_ms"
for pair in "--save-area $zolvex_ms" "--snapshot $snapshot_ms"; do
  awk -v name="${pair% *}" -v z="${pair#* }" -v o="$openslide_ms" -v v="$vips_ms" 'BEGIN {
    if (z < 1) z = 1
    printf "  %-12s openslide / zolvex = %.2f (goal >= 1.5), vips / zolvex = %.2f (goal >= 1.0)\n", name, o / z, v / z
  }'
done
