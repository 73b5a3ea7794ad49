#include "image/codecs/qmbmpcodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "image/qmStreamReader.h"

namespace zolvex {

namespace {

constexpr int kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct BmpHeader {
  std::int64_t pixelOffset = -1;  // from the start of the stream; -1 without a file header
  std::int64_t start = 0;         // where the information header begins
  std::uint32_t headerSize = 0;
  int width = 0;
  int height = 0;  // positive
  bool topDown = false;
  int bitCount = 0;
  int compression = kRgb;
  std::uint32_t imageSize = 0;
  int xPelsPerMeter = 0;
  int yPelsPerMeter = 0;
  std::uint32_t colorsUsed = 0;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
};

// A colour mask split into shift and width, scaling its field to 8 bits.
struct Channel {
  int shift = 0;
  int bits = 0;
  explicit Channel(std::uint32_t mask) {
    if (!mask) return;
    shift = std::countr_zero(mask);
    bits = std::popcount(mask >> shift);
  }
  // Narrow fields are widened by repeating their bits (5 bits abcde give abcdeabc).
  std::uint8_t value(std::uint32_t pixel) const {
    if (!bits) return 0;
    const std::uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    const std::uint32_t v = (pixel >> shift) & max;
    if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
    std::uint32_t wide = 0;
    for (int filled = 0; filled < 8; filled += bits) wide = (wide << bits) | v;
    const int total = (8 + bits - 1) / bits * bits;
    return static_cast<std::uint8_t>(wide >> (total - 8));
  }
};

BmpHeader readBmpHeader(qmStreamReader& in) {
  BmpHeader h;
  qmIIOStream& s = in.stream();
  s.seek(0, 0);
  std::uint8_t magic[2] = {0, 0};
  if (s.read(magic, 1, 2) == 2 && magic[0] == 'B' && magic[1] == 'M') {
    in.skip(8);
    h.pixelOffset = in.le32();
    h.start = 14;
  } else {
    s.seek(0, 0);
  }
  h.headerSize = in.le32();
  if (h.headerSize == 12) {
    h.width = in.le16();
    h.height = static_cast<std::int16_t>(in.le16());
    in.le16();
    h.bitCount = in.le16();
  } else if (h.headerSize >= 40 && h.headerSize <= 124) {
    h.width = static_cast<std::int32_t>(in.le32());
    h.height = static_cast<std::int32_t>(in.le32());
    in.le16();
    h.bitCount = in.le16();
    h.compression = static_cast<int>(in.le32());
    h.imageSize = in.le32();
    h.xPelsPerMeter = static_cast<std::int32_t>(in.le32());
    h.yPelsPerMeter = static_cast<std::int32_t>(in.le32());
    h.colorsUsed = in.le32();
    in.le32();
    const bool masksFollow = h.headerSize == 40 && (h.compression == kBitFields || h.compression == kAlphaBitFields);
    const int maskCount = h.headerSize >= 56 ? 4 : h.headerSize >= 52 ? 3 : masksFollow ? (h.compression == kAlphaBitFields ? 4 : 3) : 0;
    for (int i = 0; i < maskCount; ++i) h.masks[i] = in.le32();
    in.skip(static_cast<std::int64_t>(h.headerSize) - 40 - (h.headerSize > 40 ? maskCount * 4 : 0));
  } else {
    throw qmCodecError("Error reading BMP info: information header of " + std::to_string(h.headerSize) + " bytes");
  }
  if (h.height < 0) {
    if (h.height == INT32_MIN) throw qmCodecError("Error reading BMP info: height out of range");
    h.height = -h.height;
    h.topDown = true;
  }
  const bool validDepth = h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 16 ||
                          h.bitCount == 24 || h.bitCount == 32;
  const bool validCompression = h.compression == kRgb || (h.compression == kRle8 && h.bitCount == 8) ||
                                (h.compression == kRle4 && h.bitCount == 4) ||
                                ((h.compression == kBitFields || h.compression == kAlphaBitFields) &&
                                 (h.bitCount == 16 || h.bitCount == 32));
  if (h.width <= 0 || h.height == 0 || !validDepth || !validCompression || (h.topDown && h.compression != kRgb &&
      h.compression != kBitFields && h.compression != kAlphaBitFields)) {
    throw qmCodecError("Error reading BMP info: " + std::to_string(h.width) + " x " + std::to_string(h.height) +
                       " pixels, " + std::to_string(h.bitCount) + " bits, compression " +
                       std::to_string(h.compression) + (h.topDown ? ", top-down" : ""));
  }
  if (h.bitCount <= 8 && (h.colorsUsed == 0 || h.colorsUsed > (1u << h.bitCount))) h.colorsUsed = 1u << h.bitCount;
  if (h.imageSize == 0) {
    h.imageSize = static_cast<std::uint32_t>(((static_cast<std::uint64_t>(h.bitCount) * h.width + 31) >> 5) * 4 * h.height);
  }
  if (h.compression == kRgb && h.bitCount == 16) h.masks = {0x7C00, 0x03E0, 0x001F, 0};
  if (h.compression == kRgb && h.bitCount == 32) h.masks = {0xFF0000, 0x00FF00, 0x0000FF, 0};
  return h;
}

void readPalette(qmStreamReader& in, const BmpHeader& h, qmImage& image) {
  const int entrySize = h.headerSize == 12 ? 3 : 4;
  const auto bytes = in.readBytes(static_cast<size_t>(h.colorsUsed) * entrySize);
  for (std::uint32_t i = 0; i < h.colorsUsed; ++i) {
    const std::uint8_t* p = bytes.data() + i * entrySize;
    image.setPaletteColor(static_cast<int>(i), {p[0], p[1], p[2], 0});
  }
  for (int i = static_cast<int>(h.colorsUsed); i < image.getPaletteSize(); ++i) image.setPaletteColor(i, {});
}

// Row y of the stored order (0 = first stored row) as a picture row.
int pictureRow(const BmpHeader& h, int storedRow) { return h.topDown ? storedRow : h.height - 1 - storedRow; }

// A 16- or 32-bit pixel of a bit-field row.
std::uint32_t fieldPixel(const std::uint8_t* p, int bytes) {
  return bytes == 2 ? static_cast<std::uint32_t>(p[0] | p[1] << 8)
                    : static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
}

// One stored uncompressed row as blue-green-red; palette holds the colours of indexed rows.
void storedRowToColour(const BmpHeader& h, const std::uint8_t* row, const qmImage& palette, std::uint8_t* out) {
  if (h.bitCount == 24) {
    std::memcpy(out, row, static_cast<size_t>(h.width) * 3);
    return;
  }
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
  for (int x = 0; x < h.width; ++x, out += 3) {
    if (h.bitCount <= 8) {
      const int perByte = 8 / h.bitCount;
      const int shift = 8 - h.bitCount * (x % perByte + 1);
      const int index = row[x / perByte] >> shift & ((1 << h.bitCount) - 1);
      const qmRGBQuad c = palette.getPaletteColor(index);
      out[0] = c.blue;
      out[1] = c.green;
      out[2] = c.red;
      continue;
    }
    const std::uint32_t v = fieldPixel(row + static_cast<size_t>(x) * (h.bitCount / 8), h.bitCount / 8);
    out[0] = blue.value(v);
    out[1] = green.value(v);
    out[2] = red.value(v);
  }
}

void readUncompressed(qmStreamReader& in, const BmpHeader& h, qmImage& image) {
  const size_t stride = static_cast<size_t>(qmImage::strideFor(h.width, h.bitCount));
  std::vector<std::uint8_t> row(stride);
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
  bool anyAlpha = false;
  if (alpha.bits) image.createAlpha();
  for (int stored = 0; stored < h.height; ++stored) {
    in.readExact(row.data(), stride);
    const int y = pictureRow(h, stored);
    std::uint8_t* out = image.getRow(y);
    if (h.bitCount <= 8 || h.bitCount == 24) {
      std::memcpy(out, row.data(), static_cast<size_t>(image.getStride()));
      continue;
    }
    const int bytes = h.bitCount / 8;
    for (int x = 0; x < h.width; ++x, out += 3) {
      const std::uint32_t v = fieldPixel(row.data() + static_cast<size_t>(x) * bytes, bytes);
      out[0] = blue.value(v);
      out[1] = green.value(v);
      out[2] = red.value(v);
      if (alpha.bits) {
        image.getAlphaRow(y)[x] = alpha.value(v);
        anyAlpha = anyAlpha || alpha.value(v) != 0;
      }
    }
  }
  // An alpha field that is zero everywhere is unused, not a fully transparent picture.
  if (alpha.bits && !anyAlpha) image.deleteAlpha();
}

// Run-length data, stored bottom-up; pixels placed outside the picture are dropped.
void readRunLength(qmStreamReader& in, const BmpHeader& h, qmImage& image) {
  const bool four = h.compression == kRle4;
  int x = 0, stored = 0;
  auto put = [&](int index) {
    if (x < h.width && stored < h.height) image.setPixelIndex(x, pictureRow(h, stored), index);
    ++x;
  };
  while (stored < h.height) {
    const int count = in.u8();
    const int value = in.u8();
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      ++stored;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      x += in.u8();
      stored += in.u8();
    } else {
      const int bytes = four ? (value + 1) / 2 : value;
      const auto data = in.readBytes(static_cast<size_t>(bytes + (bytes & 1)));
      for (int i = 0; i < value; ++i) put(four ? ((i & 1) ? data[i / 2] & 0x0F : data[i / 2] >> 4) : data[i]);
    }
  }
}

std::unique_ptr<qmImage> decodeBmp(qmStreamReader& in) {
  const BmpHeader h = readBmpHeader(in);
  auto image = std::make_unique<qmImage>();
  if (!image->create(h.width, h.height, h.bitCount)) throw qmCodecError("Out of memory");
  image->info().formatId = qmFormatBmp;
  if (h.xPelsPerMeter > 0 && h.yPelsPerMeter > 0) {
    image->setResolution(static_cast<int>(std::floor(h.xPelsPerMeter * 254.0 / 10000)),
                         static_cast<int>(std::floor(h.yPelsPerMeter * 254.0 / 10000)));
  }
  if (h.bitCount <= 8) readPalette(in, h, *image);
  if (h.pixelOffset > 0 && !in.stream().seek(h.pixelOffset, 0)) throw qmCodecError("Not a BMP");
  if (h.compression == kRle4 || h.compression == kRle8) {
    readRunLength(in, h, *image);
  } else {
    readUncompressed(in, h, *image);
  }
  return image;
}

}  // namespace

bool qmBmpDecoder::checkHeader() {
  try {
    qmStreamReader in(stream());
    const BmpHeader h = readBmpHeader(in);
    return h.compression == kRgb || h.compression == kBitFields;
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return false;
  }
}

qmImageHeaderInfo qmBmpDecoder::readHeaderInfo() {
  qmStreamReader in(stream());
  const BmpHeader h = readBmpHeader(in);
  return {h.width, h.height, qmImage::normaliseBitsPerPixel(h.bitCount), qmFormatBmp};
}

std::unique_ptr<qmImage> qmBmpDecoder::decodeImage() {
  qmStreamReader in(stream());
  return decodeBmp(in);
}

std::unique_ptr<qmImage> qmBmpDecoder::decodeSubImage(int left, int top, int width, int height) {
  qmStreamReader in(stream());
  return decodeBmp(in)->subImage(left, top, width, height);
}

struct qmBmpDecoder::RowState {
  BmpHeader header;
  qmImage palette;
  std::int64_t dataStart = 0;
  std::vector<std::uint8_t> stored;
  int next = 0;
};

qmBmpDecoder::qmBmpDecoder(qmIIOStream* stream, const qmImageDecodeParam& param) : qmImageDecoder(stream, param) {}

qmBmpDecoder::~qmBmpDecoder() = default;

// Uncompressed rows are read where they lie, bottom-up files from the end; run-length
// data is read whole.
void qmBmpDecoder::startRows() {
  qmStreamReader in(stream());
  auto state = std::make_unique<RowState>();
  state->header = readBmpHeader(in);
  const BmpHeader& h = state->header;
  if (h.compression == kRle4 || h.compression == kRle8) {
    qmImageDecoder::startRows();
    return;
  }
  if (h.bitCount <= 8) {
    state->palette.create(1, 1, h.bitCount);
    readPalette(in, h, state->palette);
  }
  state->dataStart = h.pixelOffset > 0 ? h.pixelOffset : stream().tell();
  state->stored.resize(static_cast<size_t>(qmImage::strideFor(h.width, h.bitCount)));
  if (state->stored.empty()) throw qmCodecError("Error reading BMP info: rows too wide");
  headerInfo_ = {h.width, h.height, 24, qmFormatBmp};
  rowState_ = std::move(state);
}

int qmBmpDecoder::nextRows(std::uint8_t* const* rows, int count) {
  if (!rowState_) return qmImageDecoder::nextRows(rows, count);
  RowState& state = *rowState_;
  const BmpHeader& h = state.header;
  qmStreamReader in(stream());
  int filled = 0;
  for (; filled < count && state.next < h.height; ++filled, ++state.next) {
    const int storedRow = h.topDown ? state.next : h.height - 1 - state.next;
    const auto at = state.dataStart + static_cast<std::int64_t>(storedRow) * static_cast<std::int64_t>(state.stored.size());
    if (!stream().seek(at, 0)) throw qmCodecError("Unexpected end of data");
    in.readExact(state.stored.data(), state.stored.size());
    storedRowToColour(h, state.stored.data(), state.palette, rows[filled]);
  }
  return filled;
}

void qmBmpEncoder::writeImage(const qmImage& image) {
  const std::uint32_t paletteBytes = static_cast<std::uint32_t>(image.getPaletteSize()) * 4;
  const std::uint32_t pixelOffset = 14 + qmImage::kHeaderSize + paletteBytes;
  qmByteWriter header;
  header.u8('B');
  header.u8('M');
  header.le32(static_cast<std::uint32_t>(14 + image.getDibSize()));
  header.le32(0);
  header.le32(pixelOffset);
  writeBytes(header.bytes().data(), header.bytes().size());
  writeBytes(image.getDib(), image.getDibSize());
}

}  // namespace zolvex
