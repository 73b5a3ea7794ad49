#include "tiles/KtqFormat.h"

#include <cstring>
#include <optional>

#include "image/codecs/qmjpegcodec.h"
#include "image/qmBufferedStream.h"
#include "image/qmImageUtils.h"
#include "platform/BrowserImageDecoder.h"
#include "platform/TextValues.h"
#include "tiles/ByteOrder.h"

namespace zolvex {
namespace {

constexpr size_t kMinimumSniffLength = 10;

bool BytesAre(const std::uint8_t* bytes, std::string_view text) {
  return std::memcmp(bytes, text.data(), text.size()) == 0;
}

struct NamedFormat {
  int formatId;
  const char* name;         // as options spell it
  const char* displayName;  // as reports show it
};
constexpr NamedFormat kFormatNames[] = {{qmFormatJpeg, "jpeg", "JPEG"}, {qmFormatPng, "png", "PNG"},
                                        {qmFormatBmp, "bmp", "BMP"},    {qmFormatTga, "tga", "TGA"},
                                        {qmFormatGif, "gif", "GIF"},    {qmFormatTiff, "tiff", "TIFF"}};

// Index = the codec byte of a tile header.
constexpr int kTileCodes[] = {qmFormatTga, qmFormatGif, qmFormatJpeg, qmFormatTiff, qmFormatPng};

// The format that decodes a stream: formatId's, or the signature's where it names none.
int FormatOfStream(const std::uint8_t* bytes, size_t length, int formatId) {
  const int format = KtqFormat::CanonicalFormat(formatId);
  return format == qmFormatUnknown ? KtqFormat::DetectFormat(bytes, length) : format;
}

// The size and colour channels a JPEG stream's frame header declares.
struct JpegFrame {
  int width = 0;
  int height = 0;
  int components = 0;
  int precision = 0;
  int marker = 0;  // which start-of-frame: baseline, extended, progressive, ...
};

int ReadBE16(const std::uint8_t* bytes) { return bytes[0] << 8 | bytes[1]; }

// Walks the markers up to the frame header; none when the stream ends or breaks first.
std::optional<JpegFrame> ReadJpegFrame(const std::uint8_t* bytes, size_t length) {
  if (length < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
  size_t at = 2;
  while (at + 4 <= length) {
    if (bytes[at] != 0xFF) return std::nullopt;
    const int marker = bytes[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // markers without a segment
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // the end, or scan data, before any frame
    const size_t segment = static_cast<size_t>(ReadBE16(bytes + at + 2));
    if (segment < 2 || at + 2 + segment > length) return std::nullopt;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (segment < 8) return std::nullopt;
      return JpegFrame{ReadBE16(bytes + at + 7), ReadBE16(bytes + at + 5), bytes[at + 9], bytes[at + 4], marker};
    }
    at += 2 + segment;
  }
  return std::nullopt;
}

// Streams the browser decodes as our decoder does: complete (ending in the end marker,
// since a truncated stream must fail as it does here) 8-bit colour pictures in Huffman
// coding. Grey and four-channel pictures, and anything the browser refuses, stay ours.
bool BrowserDecodesAlike(const std::uint8_t* bytes, size_t length, const JpegFrame& frame) {
  const bool complete = bytes[length - 2] == 0xFF && bytes[length - 1] == 0xD9;
  const bool huffman = frame.marker == 0xC0 || frame.marker == 0xC1 || frame.marker == 0xC2;
  return complete && huffman && frame.components == 3 && frame.precision == 8 && frame.width > 0 && frame.height > 0;
}

// A JPEG tile through the browser's decoder, where there is one: its 32-bit pixels stay
// as the tile's display copy. None when the browser cannot take the stream, or the picture
// exceeds the size limit in force; the caller then decodes it itself.
std::unique_ptr<ViewImage> DecodeJpegInBrowser(const std::uint8_t* bytes, size_t length) {
  if (!platform::BrowserImageDecoder::CanDecodeJpeg()) return nullptr;
  const auto frame = ReadJpegFrame(bytes, length);
  if (!frame || !BrowserDecodesAlike(bytes, length, *frame) || !qmImage::sizeAllowed(frame->width, frame->height)) {
    return nullptr;
  }
  auto surface = std::make_unique<platform::Surface>(frame->width, frame->height, platform::Surface::Uncleared{});
  const bool decoded = platform::BrowserImageDecoder::DecodeJpeg(bytes, length, frame->width, frame->height,
                                                                 surface->Lock(), surface->StridePixels());
  surface->Unlock();
  if (!decoded) return nullptr;
  auto image = ViewImage::FromSurface(std::move(surface));
  if (image) image->info().formatId = qmFormatJpeg;
  return image;
}

}  // namespace

int KtqFormat::DetectFormat(const std::uint8_t* bytes, size_t length) {
  if (!bytes || length < kMinimumSniffLength) return qmFormatUnknown;
  if (BytesAre(bytes, "BM")) return qmFormatBmp;
  if (BytesAre(bytes, "GIF")) return qmFormatGif;
  if (BytesAre(bytes, "II") || BytesAre(bytes, "MM")) return qmFormatTiff;
  if (bytes[0] == 0x89 && BytesAre(bytes + 1, "PNG")) return qmFormatPng;
  if (BytesAre(bytes + 6, "JFIF") || BytesAre(bytes + 6, "Exif")) return qmFormatJpeg;
  return qmFormatTga;
}

int KtqFormat::FormatFromExtension(std::string_view path) {
  if (EndsWithNoCase(path, ".gif")) return qmFormatGif;
  if (EndsWithNoCase(path, ".tga")) return qmFormatTga;
  if (EndsWithNoCase(path, ".bmp")) return qmFormatBmp;
  return qmFormatJpeg;
}

int KtqFormat::CanonicalFormat(int formatId) {
  switch (formatId) {
    case qmFormatTga:
    case qmFormatTgaAlt:
      return qmFormatTga;
    case qmFormatJpeg:
      return qmFormatJpeg;
    case qmFormatGif:
    case qmFormatGifAlt:
      return qmFormatGif;
    case qmFormatTiff:
      return qmFormatTiff;
    case qmFormatBmp:
    case qmFormatBmpAlt:
      return qmFormatBmp;
    case qmFormatPng:
    case qmFormatPngAlt:
      return qmFormatPng;
    default:
      return qmFormatUnknown;
  }
}

int KtqFormat::FormatFromTileCode(int code) {
  if (code < 0 || code >= static_cast<int>(std::size(kTileCodes))) return qmFormatUnknown;
  return kTileCodes[code];
}

int KtqFormat::TileCodeFromFormat(int formatId) {
  int canonical = CanonicalFormat(formatId);
  for (size_t code = 0; code < std::size(kTileCodes); ++code) {
    if (kTileCodes[code] == canonical) return static_cast<int>(code);
  }
  return -1;
}

std::string KtqFormat::FormatName(int formatId) {
  int canonical = CanonicalFormat(formatId);
  for (const auto& format : kFormatNames) {
    if (format.formatId == canonical) return format.displayName;
  }
  return "unknown";
}

int KtqFormat::FormatFromName(std::string_view name) {
  if (EqualsNoCase(name, "jpg")) return qmFormatJpeg;
  if (EqualsNoCase(name, "tif")) return qmFormatTiff;
  for (const auto& format : kFormatNames) {
    if (EqualsNoCase(name, format.name)) return format.formatId;
  }
  return qmFormatUnknown;
}

void KtqFormat::Scramble(std::uint8_t* bytes, size_t length, std::uint32_t start) {
  for (size_t i = 0; i < length; ++i) bytes[i] ^= static_cast<std::uint8_t>(start + i);
}

std::unique_ptr<ViewImage> KtqFormat::DecodeStream(const std::uint8_t* bytes, size_t length, int formatId) {
  if (!bytes || length == 0) return nullptr;
  const int format = FormatOfStream(bytes, length, formatId);
  if (format == qmFormatUnknown) return nullptr;
  return qmImageUtils::decodeFromMemory(bytes, length, format);
}

std::unique_ptr<ViewImage> KtqFormat::DecodeTileStream(const std::uint8_t* bytes, size_t length, int formatId,
                                                       int tileWidth, int tileHeight) {
  std::optional<qmImage::SizeLimit> limit;
  if (tileWidth > 0 && tileHeight > 0) limit.emplace(tileWidth, tileHeight);
  // The format is found once and handed on: DecodeStream takes a known format as it is.
  const int format = bytes && length > 0 ? FormatOfStream(bytes, length, formatId) : qmFormatUnknown;
  if (format == qmFormatJpeg) {
    if (auto image = DecodeJpegInBrowser(bytes, length)) return image;
  }
  return DecodeStream(bytes, length, format);
}

std::optional<std::vector<std::uint8_t>> KtqFormat::EncodeStream(const qmImage& image, int formatId,
                                                                 int jpegQuality) {
  auto encoder = qmImageUtils::createEncoder(CanonicalFormat(formatId));
  if (!encoder || !image.isValid()) return std::nullopt;
  if (auto* jpeg = dynamic_cast<qmJpegEncoder*>(encoder.get())) jpeg->setQuality(jpegQuality);
  qmBufferedStream stream;
  encoder->setStream(&stream);
  if (!encoder->encode(image)) return std::nullopt;
  return std::vector<std::uint8_t>(stream.data(), stream.data() + stream.length());
}

std::vector<std::uint8_t> KtqFormat::EncodeExtents(const std::vector<Extent>& extents) {
  std::vector<std::uint8_t> bytes;
  for (const Extent& extent : extents) {
    AppendLE32(bytes, extent.width);
    AppendLE32(bytes, extent.height);
  }
  return bytes;
}

std::vector<KtqFormat::Extent> KtqFormat::DecodeExtents(const std::vector<std::uint8_t>& bytes) {
  std::vector<Extent> extents;
  if (bytes.size() % 8 != 0) return extents;
  for (size_t at = 0; at < bytes.size(); at += 8) extents.push_back({ReadLE32(&bytes[at]), ReadLE32(&bytes[at + 4])});
  return extents;
}

}  // namespace zolvex
