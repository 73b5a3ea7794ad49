#include "image/codecs/qmtgacodec.h"

#include <algorithm>
#include <cstring>

#include "image/qmStreamReader.h"

namespace zolvex {

namespace {

struct TgaHeader {
  int idLength = 0;
  int colorMapType = 0;
  int imageType = 0;
  int mapFirst = 0;
  int mapLength = 0;
  int mapDepth = 0;
  int width = 0;
  int height = 0;
  int depth = 0;
  int descriptor = 0;

  bool runLength() const { return imageType >= 9; }
  int baseType() const { return imageType & 7; }  // 1 mapped, 2 true colour, 3 grey
  int bytesPerPixel() const { return (depth + 7) / 8; }
  bool topDown() const { return descriptor & 0x20; }
  bool rightToLeft() const { return descriptor & 0x10; }
  int alphaBits() const { return descriptor & 0x0F; }
};

TgaHeader readTgaHeader(qmStreamReader& in) {
  in.stream().seek(0, 0);
  TgaHeader h;
  h.idLength = in.u8();
  h.colorMapType = in.u8();
  h.imageType = in.u8();
  h.mapFirst = in.le16();
  h.mapLength = in.le16();
  h.mapDepth = in.u8();
  in.le16();  // origin x
  in.le16();  // origin y
  h.width = in.le16();
  h.height = in.le16();
  h.depth = in.u8();
  h.descriptor = in.u8();
  const int type = h.baseType();
  if (h.imageType != 1 && h.imageType != 2 && h.imageType != 3 && h.imageType != 9 && h.imageType != 10 &&
      h.imageType != 11) {
    throw qmCodecError("Unsupported TGA type");
  }
  const bool depthOk = h.depth == 8 || h.depth == 15 || h.depth == 16 || h.depth == 24 || h.depth == 32;
  const bool mapOk = h.colorMapType == 0 || (h.mapDepth == 15 || h.mapDepth == 16 || h.mapDepth == 24 || h.mapDepth == 32);
  if (h.width == 0 || h.height == 0 || h.depth == 0 || h.mapLength > 256 || !depthOk || h.colorMapType > 1 ||
      !mapOk || (type == 1 && (h.depth != 8 || h.colorMapType != 1 || h.mapFirst + h.mapLength > 256)) ||
      (type == 2 && h.depth == 8) || (type == 3 && h.depth != 8)) {
    throw qmCodecError("bad TGA header");
  }
  return h;
}

// A pixel of 15/16, 24 or 32 bits in file order (little-endian, blue first).
qmRGBQuad readColor(const std::uint8_t* p, int depth) {
  if (depth <= 16) {
    const int v = p[0] | p[1] << 8;
    auto scale = [](int five) { return static_cast<std::uint8_t>((five << 3) | (five >> 2)); };
    return {scale(v & 0x1F), scale((v >> 5) & 0x1F), scale((v >> 10) & 0x1F), static_cast<std::uint8_t>(v & 0x8000 ? 255 : 0)};
  }
  return {p[0], p[1], p[2], static_cast<std::uint8_t>(depth == 32 ? p[3] : 255)};
}

void readColorMap(qmStreamReader& in, const TgaHeader& h, qmImage& image) {
  if (!h.colorMapType) return;
  const int entryBytes = (h.mapDepth + 7) / 8;
  const auto bytes = in.readBytes(static_cast<size_t>(h.mapLength) * entryBytes);
  if (h.baseType() != 1) return;  // a map beside true colour or grey data is not used
  for (int i = 0; i < image.getPaletteSize(); ++i) image.setPaletteColor(i, {});
  for (int i = 0; i < h.mapLength; ++i) {
    qmRGBQuad c = readColor(bytes.data() + static_cast<size_t>(i) * entryBytes, h.mapDepth);
    c.alpha = 0;
    image.setPaletteColor(h.mapFirst + i, c);
  }
}

// All pixel bytes in file order, run-length packets expanded (runs may cross rows).
std::vector<std::uint8_t> readPixelData(qmStreamReader& in, const TgaHeader& h) {
  const size_t bpp = static_cast<size_t>(h.bytesPerPixel());
  const size_t total = static_cast<size_t>(h.width) * h.height * bpp;
  if (!h.runLength()) return in.readBytes(total);
  std::vector<std::uint8_t> data(total);
  size_t filled = 0;
  std::uint8_t pixel[4];
  while (filled < total) {
    const int packet = in.u8();
    const size_t count = std::min<size_t>(static_cast<size_t>((packet & 0x7F) + 1), (total - filled) / bpp);
    if (packet & 0x80) {
      in.readExact(pixel, bpp);
      for (size_t i = 0; i < count; ++i, filled += bpp) std::memcpy(&data[filled], pixel, bpp);
    } else {
      in.readExact(&data[filled], count * bpp);
      filled += count * bpp;
    }
  }
  return data;
}

std::unique_ptr<qmImage> decodeTga(qmStreamReader& in) {
  const TgaHeader h = readTgaHeader(in);
  in.skip(h.idLength);
  const bool palette = h.baseType() != 2;
  auto image = std::make_unique<qmImage>();
  if (!image->create(h.width, h.height, palette ? 8 : 24)) throw qmCodecError("Out of memory");
  image->info().formatId = qmFormatTga;
  readColorMap(in, h, *image);
  const auto data = readPixelData(in, h);
  const bool alpha = !palette && h.depth == 32 && h.alphaBits() > 0;
  if (alpha) image->createAlpha();
  const size_t bpp = static_cast<size_t>(h.bytesPerPixel());
  for (int stored = 0; stored < h.height; ++stored) {
    const int y = h.topDown() ? stored : h.height - 1 - stored;
    std::uint8_t* out = image->getRow(y);
    for (int i = 0; i < h.width; ++i) {
      const int x = h.rightToLeft() ? h.width - 1 - i : i;
      const std::uint8_t* p = &data[(static_cast<size_t>(stored) * h.width + i) * bpp];
      if (palette) {
        out[x] = p[0];
        continue;
      }
      const qmRGBQuad c = readColor(p, h.depth);
      out[x * 3] = c.blue;
      out[x * 3 + 1] = c.green;
      out[x * 3 + 2] = c.red;
      if (alpha) image->getAlphaRow(y)[x] = c.alpha;
    }
  }
  return image;
}

}  // namespace

bool qmTgaDecoder::checkHeader() {
  try {
    qmStreamReader in(stream());
    readTgaHeader(in);
    return true;
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return false;
  }
}

qmImageHeaderInfo qmTgaDecoder::readHeaderInfo() {
  qmStreamReader in(stream());
  const TgaHeader h = readTgaHeader(in);
  return {h.width, h.height, h.baseType() == 2 ? 24 : 8, qmFormatTga};
}

std::unique_ptr<qmImage> qmTgaDecoder::decodeImage() {
  qmStreamReader in(stream());
  return decodeTga(in);
}

std::unique_ptr<qmImage> qmTgaDecoder::decodeSubImage(int, int, int, int) {
  throw qmCodecError("Tga does not support partial");
}

void qmTgaEncoder::writeImage(const qmImage& image) {
  if (image.getWidth() > 0xFFFF || image.getHeight() > 0xFFFF) throw qmCodecError("Image too large for TGA");
  const bool palette = image.getBitsPerPixel() < 24;
  const bool alpha = !palette && image.hasAlpha();
  const int entries = image.getPaletteSize();
  qmByteWriter out;
  out.u8(0);                // no image ID
  out.u8(palette ? 1 : 0);  // colour map present
  out.u8(palette ? 1 : 2);
  out.le16(0);
  out.le16(palette ? entries : 0);
  out.u8(palette ? 24 : 0);
  out.le16(0);
  out.le16(0);
  out.le16(image.getWidth());
  out.le16(image.getHeight());
  out.u8(palette ? 8 : alpha ? 32 : 24);
  out.u8(alpha ? 8 : 0);  // bottom-up rows, alpha bits
  for (int i = 0; i < entries; ++i) {
    const qmRGBQuad c = image.getPaletteColor(i);
    out.u8(c.blue);
    out.u8(c.green);
    out.u8(c.red);
  }
  for (int y = image.getHeight() - 1; y >= 0; --y) {
    const std::uint8_t* row = image.getRow(y);
    for (int x = 0; x < image.getWidth(); ++x) {
      if (palette) {
        out.u8(image.getPixelIndex(x, y));
        continue;
      }
      out.append(row + static_cast<size_t>(x) * 3, 3);
      if (alpha) out.u8(image.getAlphaRow(y)[x]);
    }
  }
  writeBytes(out.bytes().data(), out.bytes().size());
}

}  // namespace zolvex
