#!/usr/bin/env bash
# Regenerates the seed corpora under fuzz/corpus/ from small made pictures (ImageMagick),
# tiny tiled files (ktqtool of a normal build) and hand-built protocol bytes. The seeds are
# kept in the repository; run this only to rebuild them.
#   fuzz/make-seeds.sh BUILD_DIR     (BUILD_DIR holds apps/ktqtool/ktqtool)
set -euo pipefail
cd "$(dirname "$0")"
build=${1:?usage: fuzz/make-seeds.sh BUILD_DIR}
ktqtool="$build/apps/ktqtool/ktqtool"
corpus=corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$corpus"/{image_gif,image_bmp,image_tga,image_jpeg,image_png,image_tiff,ktq_local_file,tile_payload}
mkdir -p "$corpus"/{image_description,frame_parser,xml_reader,legacy_map,mon_index,url}

# Pictures: a tiny gradient in each format and its common variants.
picture="$work/picture.png"
convert -size 9x7 gradient:red-blue "$picture"
convert "$picture" "$corpus/image_gif/gradient.gif"
convert -size 5x4 xc:none -fill red -draw 'point 1,1' "$corpus/image_gif/transparent.gif"
convert "$picture" -type TrueColor BMP3:"$corpus/image_bmp/rgb24.bmp"
convert "$picture" -colors 16 -type Palette BMP3:"$corpus/image_bmp/palette.bmp"
convert "$picture" -alpha on BMP:"$corpus/image_bmp/rgba.bmp"
convert "$picture" -compress None "$corpus/image_tga/plain.tga"
convert "$picture" -compress RLE "$corpus/image_tga/rle.tga"
convert "$picture" -quality 80 "$corpus/image_jpeg/baseline.jpg"
convert "$picture" -interlace JPEG "$corpus/image_jpeg/progressive.jpg"
convert "$picture" -colorspace Gray "$corpus/image_jpeg/gray.jpg"
cp "$picture" "$corpus/image_png/rgb.png"
convert "$picture" -colors 8 PNG8:"$corpus/image_png/palette.png"
convert "$picture" -alpha on -interlace PNG PNG32:"$corpus/image_png/interlaced-rgba.png"
convert "$picture" -compress LZW "$corpus/image_tiff/lzw.tif"
convert "$picture" "$picture" -compress Zip "$corpus/image_tiff/two-pages.tif"

# Tiled files: two small pyramids in two codecs, one scrambled.
"$ktqtool" synth "$corpus/ktq_local_file/jpeg.ktq" --size 40 --tile 16 --codec jpeg --thumb 8 >/dev/null
"$ktqtool" synth "$corpus/ktq_local_file/png-scrambled.ktq" --size 24 --tile 16 --codec png --scrambled --thumb 8 >/dev/null

python3 - "$corpus" "$corpus/image_jpeg/baseline.jpg" "$corpus/image_png/rgb.png" <<'PY'
import struct, sys
corpus, jpeg_path, png_path = sys.argv[1:]
jpeg = open(jpeg_path, 'rb').read()
png = open(png_path, 'rb').read()
be = lambda *v: struct.pack('>' + 'i' * len(v), *v)
def put(folder, name, data):
    open(f'{corpus}/{folder}/{name}', 'wb').write(data)

# Tile payloads: the first byte picks the version (even: 10, odd: 11).
put('tile_payload', 'v10-jpeg', b'\x00' + jpeg)
put('tile_payload', 'v11-png', b'\x01' + be(0, 5, 0) + png)
put('tile_payload', 'v11-scrambled', b'\x01' + be(1, 1, 0x5A) + bytes(b ^ 0x5A for b in jpeg))

# Image descriptions: transport byte (even: direct, odd: HTTP), frame length, description.
levels = [(9, 7, 16, 16, 1, 1), (18, 14, 16, 16, 1, 2)]
def description(files):
    body = be(len(levels)) + b''.join(be(*l) for l in levels) + be(len(jpeg)) + jpeg
    if files is not None:
        body += be(len(files)) + b''.join(be(len(n)) + n + be(len(d)) + d for n, d in files)
    return body
v10 = description(None)
v11 = description([(b'names.txt', b'one\ntwo\n')])
put('image_description', 'direct-v10', b'\x00' + be(8 + len(v10)) + v10)
put('image_description', 'direct-v11', b'\x00' + be(8 + len(v11)) + v11)
put('image_description', 'http', b'\x01' + be(0) + v11)

# Frame streams: each chunk is a size byte and that many bytes.
stream = be(8 + 5, 0, 7) + b'tile!' + be(8, 1, 9) + be(4 + 6, 3) + b'notice'
def chunked(data, sizes):
    out, at, i = b'', 0, 0
    while at < len(data):
        n = sizes[i % len(sizes)]; i += 1
        out += bytes([n]) + data[at:at + n]; at += n
    return out
put('frame_parser', 'whole', chunked(stream, [len(stream)]))
put('frame_parser', 'pieces', chunked(stream, [3, 1, 7, 2]))
PY

cp ../tests/xmml/data/*.xml* "$corpus/xml_reader/"
printf '<?xml version="1.0"?>\n<!-- c --><a x="1" y='"'"'&lt;2&gt;'"'"'><b/><c>t &amp; u</c></a>\n' > "$corpus/xml_reader/small.xml"
cp ../tests/xmml/data/city.map "$corpus/legacy_map/"
printf 'SIZE 100,80\r\nRECT a.map 1,2 30,40 outline level 1-2\r\nTEXT null 3,4 Arial 9 #00ff00 a_b shadow\r\n' > "$corpus/legacy_map/crlf.map"
printf '[Info]\nWidth=2\nHeight=2\n\n[Files]\nFile1=a.ktq\nFile2="b c.ktq"\n; comment\nFile4=sub\\d.ktq\n' > "$corpus/mon_index/grid.mon"
printf 'a/b/../c.ktq\nhttp://host:8080/x/y/doc.xml' > "$corpus/url/http-relative"
printf '/root/../pic.jpg\nktq://server/images/a.ktq' > "$corpus/url/host-relative"
printf './../x.map\nfile://C:/maps/./city/index.xml' > "$corpus/url/drive"
printf 'http://h/../a/./b\n' > "$corpus/url/absolute"
