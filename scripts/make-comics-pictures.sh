#!/bin/sh
# Draws the pictures of the comics toolbar into resources/data (24-bit BMP, 20 x 20; the
# corner colour, magenta, is the transparent one). Run it again after changing a picture.
set -eu
out="$(cd "$(dirname "$0")/.." && pwd)/resources/data"
key='#FF00FF'
plate='#303030'
ink='#F0F0F0'
magick=$(command -v magick || command -v convert)

draw() {  # name, ImageMagick drawing primitives
  "$magick" -size 20x20 "xc:$key" +antialias -fill "$plate" -stroke "$plate" -draw 'roundrectangle 1,1 18,18 4,4' \
    -fill "$ink" -stroke "$ink" -strokewidth 1 -draw "$2" -type TrueColor "BMP3:$out/$1.bmp"
}

draw IDB_PREV 'polygon 13,5 6,10 13,15'
draw IDB_NEXT 'polygon 7,5 14,10 7,15'
draw IDB_PLAY 'polygon 7,5 15,10 7,15'
draw IDB_PAUSE 'rectangle 6,5 8,15 rectangle 12,5 14,15'
draw IDB_MODE 'rectangle 5,5 14,14'
draw IDB_EXPAND 'polygon 5,8 10,13 15,8'
draw IDB_COLLAPSE 'polygon 5,12 10,7 15,12'
draw IDB_EXIT 'line 6,6 14,14 line 14,6 6,14'
draw IDB_SCROLLER 'rectangle 7,3 12,16'
draw IDB_MAGNIFIER 'fill none circle 8,8 8,4 line 11,11 15,15'
draw IDB_RELOAD 'fill none arc 5,5 15,15 30,330 polygon 13,3 16,7 12,8'
draw IDB_CONFIG 'rectangle 5,5 15,7 rectangle 5,9 15,11 rectangle 5,13 15,15'
"$magick" -size 40x40 "xc:$key" +antialias -fill '#C00000' -stroke white -strokewidth 2 -draw 'circle 20,20 20,3' \
  -fill white -stroke white -strokewidth 1 -font DejaVu-Sans-Bold -pointsize 16 -gravity center -annotate 0 '19' -type TrueColor \
  "BMP3:$out/IDB_UNDER_19.bmp"
