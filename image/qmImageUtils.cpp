#include "image/qmImageUtils.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "image/ViewImage.h"
#include "image/codecs/qmbmpcodec.h"
#include "image/codecs/qmgifcodec.h"
#include "image/codecs/qmjpegcodec.h"
#include "image/codecs/qmpngcodec.h"
#include "image/codecs/qmtgacodec.h"
// The web build leaves TIFF and WebP out (ZOLVEX_NO_TIFF_WEBP): pictures in them find no codec.
#ifndef ZOLVEX_NO_TIFF_WEBP
#include "image/codecs/qmtiffcodec.h"
#include "image/codecs/qmwebpcodec.h"
#endif
#include "image/qmBufferedStream.h"
#include "image/qmFileStream.h"
#include "platform/Clock.h"
#include "platform/Debug.h"

namespace zolvex {

using platform::DebugPrintf;
using platform::TickCountMs;

namespace {

std::string lowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// Decodes a stream with the decoder of a format, resizing when both target sides are set.
std::unique_ptr<ViewImage> decodeStream(qmIIOStream& stream, int formatId, int page, int targetWidth,
                                        int targetHeight, int resampleMode, int decodeType) {
  auto decoder = qmImageUtils::createDecoder(formatId);
  if (!decoder) return nullptr;
  decoder->setStream(&stream);
  decoder->setDecodeParam(qmImageDecodeParam(decodeType, page));
  auto image = decoder->decode();
  if (!image) return nullptr;
  if (targetWidth > 0 && targetHeight > 0 && !image->resize(targetWidth, targetHeight, resampleMode)) return nullptr;
  return std::make_unique<ViewImage>(std::move(*image));
}

}  // namespace

std::unique_ptr<ViewImage> qmImageUtils::decodeFromMemory(const std::uint8_t* bytes, size_t length, int formatId,
                                                          int page, int targetWidth, int targetHeight,
                                                          int resampleMode, int decodeType) {
  if (!bytes || length == 0) return nullptr;
  if (formatId == qmFormatUnknown) formatId = detectFormat(bytes, length);
  qmBufferedStream stream(bytes, length);
  return decodeStream(stream, formatId, page, targetWidth, targetHeight, resampleMode, decodeType);
}

std::unique_ptr<ViewImage> qmImageUtils::loadImage(const std::string& path, int page, int targetWidth,
                                                   int targetHeight, int resampleMode, int decodeType) {
  const std::uint64_t start = TickCountMs();
  const int formatId = formatFromExtension(path);
  if (formatId == qmFormatUnknown) return nullptr;
  qmFileStream stream(path, "rb");
  if (!stream.isOpen()) return nullptr;
  auto image = decodeStream(stream, formatId, page, targetWidth, targetHeight, resampleMode, decodeType);
  DebugPrintf("loadImage url=%s time=%d\n", path.c_str(), static_cast<int>(TickCountMs() - start));
  return image;
}

bool qmImageUtils::saveImage(const qmImage& image, const std::string& path, int bitsPerPixel, int jpegQuality) {
  return saveImageAs(image, path, formatFromExtension(path), bitsPerPixel, jpegQuality);
}

bool qmImageUtils::saveImageAs(const qmImage& image, const std::string& path, int formatId, int bitsPerPixel,
                               int jpegQuality) {
  const std::uint64_t start = TickCountMs();
  auto encoder = createEncoder(formatId);
  if (!encoder || !image.isValid()) return false;
  if (auto* jpeg = dynamic_cast<qmJpegEncoder*>(encoder.get()); jpeg && jpegQuality > 0) jpeg->setQuality(jpegQuality);
  if (auto* png = dynamic_cast<qmPngEncoder*>(encoder.get())) png->setFastCompression(true);
  const qmImage* source = &image;
  qmImage converted;
  if (bitsPerPixel != 0 && bitsPerPixel != image.getBitsPerPixel()) {
    converted = image;
    if (!converted.increaseBpp(bitsPerPixel)) return false;
    source = &converted;
  }
  qmFileStream stream(path, "w+b");
  if (!stream.isOpen()) return false;
  encoder->setStream(&stream);
  const bool encoded = encoder->encode(*source);
  const bool closed = stream.close();
  if (!encoded || !closed) {
    std::remove(path.c_str());
    return false;
  }
  DebugPrintf("saveImage url=%s time=%d\n", path.c_str(), static_cast<int>(TickCountMs() - start));
  return true;
}

int qmImageUtils::detectFormat(const std::uint8_t* bytes, size_t length) {
  if (!bytes || length < 10) return qmFormatUnknown;
  if (bytes[0] == 'B' && bytes[1] == 'M') return qmFormatBmp;
  if (std::memcmp(bytes, "GIF", 3) == 0) return qmFormatGif;
  if ((bytes[0] == 'I' && bytes[1] == 'I') || (bytes[0] == 'M' && bytes[1] == 'M')) return qmFormatTiff;
  if (bytes[0] == 0x89 && std::memcmp(bytes + 1, "PNG", 3) == 0) return qmFormatPng;
  if (std::memcmp(bytes + 6, "JFIF", 4) == 0 || std::memcmp(bytes + 6, "Exif", 4) == 0) return qmFormatJpeg;
  if (length >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WEBP", 4) == 0) return qmFormatWebp;
  return qmFormatTga;
}

int qmImageUtils::formatFromExtension(const std::string& path) {
  const std::string ext = lowerExtension(path);
  if (ext == ".jpg") return qmFormatJpeg;
  if (ext == ".bmp") return qmFormatBmp;
  if (ext == ".gif") return qmFormatGif;
  if (ext == ".png") return qmFormatPng;
  if (ext == ".tga") return qmFormatTga;
  if (ext == ".tif" || ext == ".tiff") return qmFormatTiff;
  if (ext == ".webp") return qmFormatWebp;
  return qmFormatUnknown;
}

int qmImageUtils::canonicalFormat(int formatId) {
  switch (formatId) {
    case qmFormatTgaAlt: return qmFormatTga;
    case qmFormatJpegAlt: return qmFormatJpeg;
    case qmFormatGifAlt: return qmFormatGif;
    case qmFormatBmpAlt: return qmFormatBmp;
    case qmFormatPngAlt: return qmFormatPng;
    default: return formatId;
  }
}

std::unique_ptr<qmImageDecoder> qmImageUtils::createDecoder(int formatId) {
  switch (canonicalFormat(formatId)) {
    case qmFormatJpeg: return std::make_unique<qmJpegDecoder>();
    case qmFormatPng: return std::make_unique<qmPngDecoder>();
#ifndef ZOLVEX_NO_TIFF_WEBP
    case qmFormatTiff: return std::make_unique<qmTiffDecoder>();
    case qmFormatWebp: return std::make_unique<qmWebpDecoder>();
#endif
    case qmFormatGif: return std::make_unique<qmGifDecoder>();
    case qmFormatBmp: return std::make_unique<qmBmpDecoder>();
    case qmFormatTga: return std::make_unique<qmTgaDecoder>();
    default: return nullptr;
  }
}

std::unique_ptr<qmImageEncoder> qmImageUtils::createEncoder(int formatId) {
  switch (canonicalFormat(formatId)) {
    case qmFormatJpeg: return std::make_unique<qmJpegEncoder>();
    case qmFormatPng: return std::make_unique<qmPngEncoder>();
#ifndef ZOLVEX_NO_TIFF_WEBP
    case qmFormatTiff: return std::make_unique<qmTiffEncoder>();
#endif
    case qmFormatGif: return std::make_unique<qmGifEncoder>();
    case qmFormatBmp: return std::make_unique<qmBmpEncoder>();
    case qmFormatTga: return std::make_unique<qmTgaEncoder>();
    default: return nullptr;
  }
}

std::uint32_t qmImageUtils::swapRedBlue(std::uint32_t color) {
  return (color & 0xFF00FF00u) | ((color & 0xFF) << 16) | ((color >> 16) & 0xFF);
}

int qmImageUtils::compareLuminance(const qmRGBQuad& a, const qmRGBQuad& b) {
  auto luminance = [](const qmRGBQuad& c) { return (117 * c.blue + 601 * c.green + 306 * c.red) >> 10; };
  const int la = luminance(a), lb = luminance(b);
  return la < lb ? -1 : la > lb ? 1 : 0;
}

}  // namespace zolvex
