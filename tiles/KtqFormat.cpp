#include "tiles/KtqFormat.h"

#include <cstring>

#include "image/codecs/qmjpegcodec.h"
#include "image/qmBufferedStream.h"
#include "image/qmImageUtils.h"
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
  int format = CanonicalFormat(formatId);
  if (format == qmFormatUnknown) format = DetectFormat(bytes, length);
  if (format == qmFormatUnknown) return nullptr;
  return qmImageUtils::decodeFromMemory(bytes, length, format);
}

std::unique_ptr<ViewImage> KtqFormat::DecodeTileStream(const std::uint8_t* bytes, size_t length, int formatId,
                                                       int tileWidth, int tileHeight) {
  if (tileWidth <= 0 || tileHeight <= 0) return DecodeStream(bytes, length, formatId);
  qmImage::SizeLimit limit(tileWidth, tileHeight);
  return DecodeStream(bytes, length, formatId);
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
