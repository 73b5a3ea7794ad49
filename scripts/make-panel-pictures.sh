#!/bin/sh
# Draws the page index's pictures into resources/data with ImageMagick: the close button,
# the title picture and the two scroll buttons. 24-bit BMP files, compiled into the library.
set -eu
out="$(dirname "$0")/../resources/data"
magick=$(command -v magick || command -v convert)
bmp() { "$magick" "$@" -type TrueColor -depth 8 "BMP3:$out/$name.bmp"; }

# A grey square with a dark cross, on the title strip's grey.
name=IDB_PAGEINDEX_CLOSE
bmp -size 18x18 xc:'#d0d0d0' -fill '#f4f4f4' -stroke '#818181' -draw 'rectangle 1,1 16,16' \
  -stroke '#404040' -strokewidth 2 -draw 'line 5,5 12,12' -draw 'line 12,5 5,12'

# Four small pages in a grid: the panel's sign at the left of its title strip.
name=IDB_PAGEINDEX_TITLE
bmp -size 24x22 xc:'#d0d0d0' -fill white -stroke '#606060' \
  -draw 'rectangle 2,2 10,9' -draw 'rectangle 13,2 21,9' -draw 'rectangle 2,12 10,19' -draw 'rectangle 13,12 21,19'

# The scroll buttons: a dark triangle pointing up or down in a raised grey square.
name=IDB_SCROLLBAR_UP
bmp -size 15x15 xc:'#d8d8d8' -fill none -stroke '#a0a0a0' -draw 'rectangle 0,0 14,14' \
  -fill '#404040' -stroke none -draw 'polygon 7,4 11,9 3,9'
name=IDB_SCROLLBAR_DOWN
bmp -size 15x15 xc:'#d8d8d8' -fill none -stroke '#a0a0a0' -draw 'rectangle 0,0 14,14' \
  -fill '#404040' -stroke none -draw 'polygon 3,5 11,5 7,10'
