#!/usr/bin/env bash
# Builds Zolvex and shows the demo: a large synthetic picture served by ktqserve on a free
# loopback port and opened through the tile server scheme. With a display the viewer
# opens a window (drag to pan, click to zoom in, right click to zoom out, wheel, arrows);
# without one it renders headless and writes demo.png. Extra arguments go to zolvex.
#   scripts/run-demo.sh news   opens instead a newspaper of eight numbered pages as four
#                              spreads (page keys, the wheel, clicks at the edges and the
#                              bookmark tabs turn them; click to read a page closer).
#   scripts/run-demo.sh comic  shows a comic: ten numbered pages that ImageMagick draws,
#                              laid side by side in one picture and opened as a ".cms" file
#                              (buttons, page scroller and click zones at the window's edges
#                              turn the pages; headless it writes demo-comic.png).
#   scripts/run-demo.sh --web  builds the WebAssembly control (scripts/build-web.sh) and serves
#                              the demo page of web/ with the picture from one ktqserve; open
#                              the address it prints in a browser (Ctrl+C stops it).
set -euo pipefail
mode=world
case "${1:-}" in
  web | --web) mode=web; shift ;;
  news | --news) mode=news; shift ;;
  comic | --comic) mode=comic; shift ;;
esac
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
if [ "$mode" = world ] || [ "$mode" = web ] && [ ! -f "$demo/world.ktq" ]; then
  echo "run-demo: making the demo picture (8192 x 8192)"
  "$bin/ktqtool/ktqtool" synth "$demo/world.ktq" --size 8192
fi

# The newspaper: eight numbered pages of 600 x 800, two by two in spreads, in one row.
if [ "$mode" = news ] && [ ! -f "$demo/paper.ktq" ]; then
  echo "run-demo: making the demo newspaper (4 spreads of 1200 x 800)"
  pages=()
  for page in 1 2 3 4 5 6 7 8; do
    convert -size 600x800 xc:'#f4f0e6' -fill '#202020' -font DejaVu-Sans-Bold \
      -pointsize 40 -gravity north -annotate +0+40 'THE ZOLVEX DAILY' \
      -pointsize 360 -gravity center -annotate +0+0 "$page" \
      -pointsize 28 -gravity south -annotate +0+40 "page $page" "$demo/page$page.png"
    pages+=("$demo/page$page.png")
  done
  convert "${pages[@]}" +append "$demo/paper.png"
  "$bin/ktqtool/ktqtool" build "$demo/paper.png" "$demo/paper.ktq" --tile 256
  rm -f "${pages[@]}" "$demo/paper.png"
fi

if [ "$mode" = comic ]; then
  if [ ! -f "$demo/comic.cms" ]; then
    echo "run-demo: drawing the demo comic (10 pages of 240 x 320)"
    pages=()
    for page in $(seq 1 10); do
      pages+=( "(" -size 240x320 "xc:hsl($((page * 36)),60%,75%)" -fill '#202020' -stroke '#202020'
               -draw 'rectangle 8,8 231,311' -fill "hsl($((page * 36)),60%,85%)" -draw 'rectangle 14,14 225,305'
               -fill '#202020' -font DejaVu-Sans-Bold -pointsize 140 -gravity center -annotate 0 "$page" ")" )
    done
    "$(command -v magick || command -v convert)" "${pages[@]}" +append -depth 8 "$demo/comic.png"
    # One tile holds the whole strip: the comic has one level, read at full size.
    "$bin/ktqtool/ktqtool" build "$demo/comic.png" "$demo/comic.ktq" --tile 4096 --codec png
    mv "$demo/comic.ktq" "$demo/comic.cms"
  fi
  args=(--param BackgroundColor=#203040 --param AllowBookmark=yes)
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$bin/zolvex/zolvex" --size 720x360 "${args[@]}" "$@" "$demo/comic.cms"
  fi
  echo "run-demo: no display; rendering the comic headless"
  exec "$bin/zolvex/zolvex" --headless --size 720x360 "${args[@]}" --snapshot "$root/demo-comic.png" "$@" \
    "$demo/comic.cms"
fi

if [ "$mode" = web ]; then
  bash scripts/build-web.sh "$root/build-web"
  # One origin for the page, the control and the tiles: the page asks the tunnel of the
  # port it came from for world.ktq.
  port="${ZOLVEX_WEB_PORT:-8080}"
  echo "run-demo: open the web page address below in a browser (Ctrl+C stops the server)"
  exec "$bin/ktqserve/ktqserve" "$demo" --port 0 --http-port "$port" --web "$root/build-web/web"
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
args=(--param BackgroundColor=#203040 --param progressbar=yes --param WheelAction=zoom --param autofit=yes)
if [ "$mode" = news ]; then
  # The markup names the served image, so it is written for this port.
  cat >"$demo/paper.xmml" <<EOF
<xmml>
  <param name="type" value="news"/>
  <news>
    <param name="direction" value="horizontal"/>
    <param name="PageWidth" value="1200"/>
    <param name="PageHeight" value="800"/>
    <param name="ArrowRange" value="60"/>
    <param name="flipanimation" value="yes"/>
    <param name="AllowBookmark" value="yes"/>
    <param name="BookMarkNum" value="4"/>
    <param name="BookMarkLeftNum" value="2"/>
    <param name="BookMark2page" value="no"/>
    <param name="BookMarkLeft" value="30"/>
    <param name="BookMarkWidth" value="24"/>
    <param name="BookMarkSpacing" value="6"/>
    <param name="BookMarkTop" value="0"/>
    <param name="BookMarkHeight" value="40"/>
    <param name="BookMarkXHeight" value="24"/>
    <param name="BookMarkSTop" value="0"/>
    <param name="BookMarkSHeight" value="14"/>
    <param name="BookMarkTransparency" value="230"/>
    <param name="BookMarkSTransparency" value="160"/>
  </news>
  <body><basemap><ktq src="ktq://127.0.0.1:$port/paper.ktq"/></basemap></body>
</xmml>
EOF
  url="$demo/paper.xmml"
  args=(--param BackgroundColor=#203040 --param progressbar=yes)
fi
echo "run-demo: ktqserve serves $demo on port $port; opening $url"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$bin/zolvex/zolvex" "${args[@]}" "$@" "$url"
else
  echo "run-demo: no display; rendering headless"
  "$bin/zolvex/zolvex" --headless --size 1024x768 "${args[@]}" --snapshot "$root/demo.png" "$@" "$url"
fi
