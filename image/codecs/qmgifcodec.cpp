#include "image/codecs/qmgifcodec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>

#include "image/qmStreamReader.h"

namespace zolvex {

namespace {

// Names what was wrong, and where, after the message callers have always seen.
[[noreturn]] void corrupt(const std::string& detail) { throw qmCodecError("Corrupt GIF: " + detail); }

std::string hexByte(int value) {
  static const char* kDigits = "0123456789ABCDEF";
  return {kDigits[(value >> 4) & 15], kDigits[value & 15]};
}

constexpr int kMaxCodes = 4096;
constexpr char kDefaultComment[] = "Zolvex image library";

struct Frame {
  std::int64_t descriptorOffset = 0;  // just after the ',' separator
  int transparentIndex = -1;
};

struct GifFile {
  int screenWidth = 0;
  int screenHeight = 0;
  std::vector<qmRGBQuad> globalTable;
  std::vector<Frame> frames;
};

std::vector<qmRGBQuad> readColorTable(qmStreamReader& in, int packed) {
  const size_t entries = size_t{1} << ((packed & 7) + 1);
  const auto bytes = in.readBytes(entries * 3);
  std::vector<qmRGBQuad> table(entries);
  for (size_t i = 0; i < entries; ++i) table[i] = {bytes[i * 3 + 2], bytes[i * 3 + 1], bytes[i * 3], 0};
  return table;
}

void skipSubBlocks(qmStreamReader& in) {
  for (int size = in.u8(); size != 0; size = in.u8()) in.skip(size);
}

// Reads the screen descriptor and finds every frame.
GifFile scanFile(qmStreamReader& in) {
  in.stream().seek(0, 0);
  std::uint8_t signature[6];
  if (in.stream().read(signature, 1, 6) != 6 || std::memcmp(signature, "GIF8", 4) != 0) {
    throw qmCodecError("Not a GIF image");
  }
  GifFile gif;
  gif.screenWidth = in.le16();
  gif.screenHeight = in.le16();
  const int packed = in.u8();
  in.u8();  // background
  in.u8();  // aspect
  if (packed & 0x80) gif.globalTable = readColorTable(in, packed);
  int transparent = -1;
  for (;;) {
    const int block = in.stream().getC();
    if (block == 0x3B || (block < 0 && !gif.frames.empty())) break;  // trailer (or a missing one)
    if (block == 0x21) {
      const int label = in.u8();
      if (label == 0xF9) {
        const int size = in.u8();
        const auto data = in.readBytes(static_cast<size_t>(size));
        if (size >= 4 && (data[0] & 1)) transparent = data[3];
        skipSubBlocks(in);
      } else {
        skipSubBlocks(in);
      }
    } else if (block == 0x2C) {
      gif.frames.push_back({in.stream().tell(), transparent});
      transparent = -1;
      in.skip(8);
      const int framePacked = in.u8();
      if (framePacked & 0x80) in.skip(static_cast<std::int64_t>(3) << ((framePacked & 7) + 1));
      in.u8();  // LZW minimum code size
      skipSubBlocks(in);
    } else {
      corrupt("unknown block 0x" + hexByte(block) + " at byte " + std::to_string(in.stream().tell() - 1));
    }
  }
  return gif;
}

// The bytes of the image data sub-blocks, delivered as a bit stream.
class CodeReader {
 public:
  explicit CodeReader(qmStreamReader& in) : in_(in) {}
  // The next code of the given width, or -1 when the data ends.
  int next(int width) {
    while (bitCount_ < width) {
      if (blockLeft_ == 0) {
        if (ended_ || (blockLeft_ = in_.u8()) == 0) {
          ended_ = true;
          return -1;
        }
      }
      bits_ |= static_cast<std::uint32_t>(in_.u8()) << bitCount_;
      bitCount_ += 8;
      --blockLeft_;
    }
    const int code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    bitCount_ -= width;
    return code;
  }
  void finish() {
    if (ended_) return;
    in_.skip(blockLeft_);
    skipSubBlocks(in_);
  }

 private:
  qmStreamReader& in_;
  std::uint32_t bits_ = 0;
  int bitCount_ = 0;
  int blockLeft_ = 0;
  bool ended_ = false;
};

// Decodes LZW data into pixels (row order of the file). Fails on codes that cannot occur.
void decodeLzw(qmStreamReader& in, int minCodeSize, std::vector<std::uint8_t>& pixels) {
  if (minCodeSize < 2 || minCodeSize > 8) corrupt("LZW code size " + std::to_string(minCodeSize) + " outside 2 to 8");
  const int clear = 1 << minCodeSize, end = clear + 1;
  std::array<std::uint16_t, kMaxCodes> prefix{};
  std::array<std::uint8_t, kMaxCodes> suffix{};
  std::array<std::uint8_t, kMaxCodes + 1> stack{};
  for (int i = 0; i < clear; ++i) suffix[i] = static_cast<std::uint8_t>(i);
  CodeReader reader(in);
  int width = minCodeSize + 1, next = end + 1, previous = -1;
  std::uint8_t first = 0;
  size_t filled = 0;
  while (filled < pixels.size()) {
    const int code = reader.next(width);
    if (code < 0 || code == end) break;
    if (code == clear) {
      width = minCodeSize + 1;
      next = end + 1;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      if (code >= clear) corrupt("LZW data starts with code " + std::to_string(code) + ", not a colour");
      pixels[filled++] = first = static_cast<std::uint8_t>(code);
      previous = code;
      continue;
    }
    if (code > next || (code == next && next >= kMaxCodes))
      corrupt("LZW code " + std::to_string(code) + " beyond the table of " + std::to_string(next));
    int top = 0, walk = code;
    if (code == next) {
      stack[top++] = first;
      walk = previous;
    }
    while (walk >= clear) {
      stack[top++] = suffix[walk];
      walk = prefix[walk];
    }
    first = static_cast<std::uint8_t>(walk);
    stack[top++] = first;
    while (top > 0 && filled < pixels.size()) pixels[filled++] = stack[--top];
    if (next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = first;
      ++next;
      if (next == (1 << width) && width < 12) ++width;
    }
    previous = code;
  }
  if (filled < pixels.size())
    corrupt("image data ends after " + std::to_string(filled) + " of " + std::to_string(pixels.size()) + " pixels");
  reader.finish();
}

// Row order of interlaced frames: every 8th from 0, every 8th from 4, every 4th from 2,
// every 2nd from 1.
std::vector<int> rowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  }
  return rows;
}

std::unique_ptr<qmImage> decodeFrame(qmStreamReader& in, const GifFile& gif, const Frame& frame) {
  in.stream().seek(frame.descriptorOffset, 0);
  in.le16();
  in.le16();
  const int width = in.le16(), height = in.le16();
  const int packed = in.u8();
  const auto table = (packed & 0x80) ? readColorTable(in, packed) : gif.globalTable;
  auto image = std::make_unique<qmImage>();
  if (!image->create(width, height, 8))
    corrupt("frame of " + std::to_string(width) + " x " + std::to_string(height) + " pixels cannot be made");
  for (int i = 0; i < 256; ++i) image->setPaletteColor(i, i < static_cast<int>(table.size()) ? table[i] : qmRGBQuad{});
  std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height);
  decodeLzw(in, in.u8(), pixels);
  const auto rows = rowOrder(height, packed & 0x40);
  for (int i = 0; i < height; ++i) std::memcpy(image->getRow(rows[i]), &pixels[static_cast<size_t>(i) * width], width);
  if (frame.transparentIndex >= 0) {
    image->info().transparentIndex = frame.transparentIndex;
    image->info().transparentColor = image->getPaletteColor(frame.transparentIndex);
    image->createAlpha();
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = image->getRow(y);
      std::uint8_t* alpha = image->getAlphaRow(y);
      for (int x = 0; x < width; ++x) alpha[x] = row[x] == frame.transparentIndex ? 0 : 255;
    }
  }
  return image;
}

// Maps a true-colour image to palette indices.
struct Indexed {
  std::vector<qmRGBQuad> palette;
  std::vector<std::uint8_t> pixels;  // top-down
};

Indexed indexImage(const qmImage& image) {
  Indexed out;
  const int w = image.getWidth(), h = image.getHeight();
  out.pixels.resize(static_cast<size_t>(w) * h);
  if (image.getBitsPerPixel() < 24) {
    out.palette.assign(image.getPalette(), image.getPalette() + image.getPaletteSize());
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) out.pixels[static_cast<size_t>(y) * w + x] = static_cast<std::uint8_t>(image.getPixelIndex(x, y));
    }
    return out;
  }
  std::map<std::uint32_t, int> colours;
  for (int y = 0; y < h && colours.size() <= 256; ++y) {
    const std::uint8_t* row = image.getRow(y);
    for (int x = 0; x < w && colours.size() <= 256; ++x) colours.emplace(row[x * 3] | row[x * 3 + 1] << 8 | row[x * 3 + 2] << 16, 0);
  }
  const bool exact = colours.size() <= 256;
  if (exact) {
    for (auto& [key, index] : colours) {
      index = static_cast<int>(out.palette.size());
      out.palette.push_back({static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8), static_cast<std::uint8_t>(key >> 16), 0});
    }
  } else {
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 7; ++g)
        for (int b = 0; b < 6; ++b) out.palette.push_back(qmMakeColor(r * 51, g * 255 / 6, b * 51));
  }
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = image.getRow(y);
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = row + x * 3;
      const int index = exact ? colours[p[0] | p[1] << 8 | p[2] << 16]
                              : ((p[2] * 5 + 127) / 255) * 42 + ((p[1] * 6 + 127) / 255) * 6 + (p[0] * 5 + 127) / 255;
      out.pixels[static_cast<size_t>(y) * w + x] = static_cast<std::uint8_t>(index);
    }
  }
  return out;
}

// LZW compression into sub-blocks.
class CodeWriter {
 public:
  explicit CodeWriter(qmByteWriter& out) : out_(out) {}
  void put(int code, int width) {
    bits_ |= static_cast<std::uint32_t>(code) << bitCount_;
    bitCount_ += width;
    while (bitCount_ >= 8) {
      byte(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
      bitCount_ -= 8;
    }
  }
  void finish() {
    if (bitCount_ > 0) byte(static_cast<std::uint8_t>(bits_));
    flush();
    out_.u8(0);
  }

 private:
  void byte(std::uint8_t b) {
    block_[blockSize_++] = b;
    if (blockSize_ == 255) flush();
  }
  void flush() {
    if (blockSize_ == 0) return;
    out_.u8(blockSize_);
    out_.append(block_, static_cast<size_t>(blockSize_));
    blockSize_ = 0;
  }
  qmByteWriter& out_;
  std::uint32_t bits_ = 0;
  int bitCount_ = 0;
  std::uint8_t block_[255];
  int blockSize_ = 0;
};

void encodeLzw(const std::vector<std::uint8_t>& pixels, int minCodeSize, qmByteWriter& out) {
  const int clear = 1 << minCodeSize, end = clear + 1;
  std::map<std::uint32_t, int> table;  // (prefix code << 8 | byte) -> code
  CodeWriter writer(out);
  int width = minCodeSize + 1, next = end + 1;
  writer.put(clear, width);
  int current = pixels.empty() ? -1 : pixels[0];
  for (size_t i = 1; i < pixels.size(); ++i) {
    const std::uint32_t key = static_cast<std::uint32_t>(current) << 8 | pixels[i];
    const auto found = table.find(key);
    if (found != table.end()) {
      current = found->second;
      continue;
    }
    writer.put(current, width);
    if (next < kMaxCodes) {
      table.emplace(key, next);
      if (next == (1 << width)) ++width;
      ++next;
    } else {
      writer.put(clear, width);
      table.clear();
      width = minCodeSize + 1;
      next = end + 1;
    }
    current = pixels[i];
  }
  if (current >= 0) writer.put(current, width);
  writer.put(end, width);
  writer.finish();
}

}  // namespace

qmImageHeaderInfo qmGifDecoder::readHeaderInfo() {
  qmStreamReader in(stream());
  const GifFile gif = scanFile(in);
  return {gif.screenWidth, gif.screenHeight, 8, qmFormatGif};
}

std::unique_ptr<qmImage> qmGifDecoder::decodeImage() {
  qmStreamReader in(stream());
  const GifFile gif = scanFile(in);
  const int page = getDecodeParam().getPage();
  if (page < 0 || page >= static_cast<int>(gif.frames.size())) throw qmCodecError("Frame error!");
  auto image = decodeFrame(in, gif, gif.frames[static_cast<size_t>(page)]);
  image->info().formatId = qmFormatGif;
  image->info().page = page;
  image->info().pageCount = static_cast<int>(gif.frames.size());
  return image;
}

void qmGifEncoder::writeImage(const qmImage& image) {
  if (image.getWidth() > 0xFFFF || image.getHeight() > 0xFFFF) throw qmCodecError("Image too large for GIF");
  const Indexed indexed = indexImage(image);
  int tableBits = 1;
  while ((1 << tableBits) < static_cast<int>(indexed.palette.size())) ++tableBits;
  qmByteWriter out;
  out.append("GIF89a", 6);
  out.le16(image.getWidth());
  out.le16(image.getHeight());
  out.u8(0x80 | 0x70 | (tableBits - 1));
  out.u8(0);
  out.u8(0);
  for (int i = 0; i < (1 << tableBits); ++i) {
    const qmRGBQuad c = i < static_cast<int>(indexed.palette.size()) ? indexed.palette[i] : qmRGBQuad{};
    out.u8(c.red);
    out.u8(c.green);
    out.u8(c.blue);
  }
  const std::string comment = (comment_.empty() ? std::string(kDefaultComment) : comment_).substr(0, 255);
  out.u8(0x21);
  out.u8(0xFE);
  out.u8(static_cast<int>(comment.size()));
  out.append(comment.data(), comment.size());
  out.u8(0);
  const int transparent = image.getBitsPerPixel() < 24 ? image.info().transparentIndex : -1;
  if (transparent >= 0) {
    const std::uint8_t control[] = {0x21, 0xF9, 4, 1, 0, 0, static_cast<std::uint8_t>(transparent), 0};
    out.append(control, sizeof control);
  }
  out.u8(0x2C);
  out.le16(0);
  out.le16(0);
  out.le16(image.getWidth());
  out.le16(image.getHeight());
  out.u8(0);
  const int minCodeSize = std::max(2, tableBits);
  out.u8(minCodeSize);
  encodeLzw(indexed.pixels, minCodeSize, out);
  out.u8(0x3B);
  writeBytes(out.bytes().data(), out.bytes().size());
}

}  // namespace zolvex
