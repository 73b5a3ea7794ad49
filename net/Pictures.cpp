#include "net/Pictures.h"

#include <exception>

#include "image/qmFormatId.h"
#include "image/qmImageUtils.h"
#include "net/FetchUrl.h"
#include "net/Url.h"
#include "platform/EmbeddedResource.h"
#include "platform/Files.h"

namespace zolvex {

namespace {

constexpr std::size_t kResourceNameLength = 99;
// Decoding parameters of every picture: first page, natural size, resample mode 1 and
// decode type 1.
constexpr int kPage = 0;
constexpr int kResampleMode = 1;
constexpr int kDecodeType = 1;

std::unique_ptr<ViewImage> DecodeResource(std::optional<std::span<const unsigned char>> data, int formatId) {
  if (!data) return nullptr;
  return DecodePicture(data->data(), data->size(), formatId);
}

// A name's extension is only a guess at the format: a PNG under ".png" (which the table above
// gives to the JPEG decoder) or a picture under a wrong name decodes by its own signature.
// Data without a recognised signature keeps the guess; TGA has no signature at all.
int FormatOfData(const std::uint8_t* bytes, std::size_t length, int guess) {
  const int detected = qmImageUtils::detectFormat(bytes, length);
  if (detected != qmFormatTga && detected != qmFormatUnknown) return detected;
  if (length >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return qmFormatJpeg;
  return guess;
}

}  // namespace

int FormatFromExtension(const std::string& name) {
  if (EndsWithNoCase(name, ".gif")) return qmFormatGif;
  if (EndsWithNoCase(name, ".tga")) return qmFormatTga;
  if (EndsWithNoCase(name, ".bmp")) return qmFormatBmp;
  return qmFormatJpeg;
}

std::unique_ptr<ViewImage> DecodePicture(const std::uint8_t* bytes, std::size_t length, int formatId) {
  if (!bytes || length == 0) return nullptr;
  try {
    if (formatId != qmFormatUnknown) formatId = FormatOfData(bytes, length, formatId);
    return qmImageUtils::decodeFromMemory(bytes, length, formatId, kPage, 0, 0, kResampleMode, kDecodeType);
  } catch (const std::exception&) {
    return nullptr;  // a decoder that gives up on damaged data
  }
}

std::unique_ptr<ViewImage> LoadPictureFromUrl(const std::string& url) {
  if (url.size() < 4) return nullptr;
  FetchResult fetched = FetchUrl(url);
  if (!fetched.Ok()) return nullptr;
  return DecodePicture(fetched.bytes->data(), fetched.bytes->size(), FormatFromExtension(url));
}

std::unique_ptr<ViewImage> LoadPictureFromFile(const std::string& path) {
  try {
    return qmImageUtils::loadImage(platform::NativePath(path), kPage, 0, 0, kResampleMode, kDecodeType);
  } catch (const std::exception&) {
    return nullptr;
  }
}

std::unique_ptr<ViewImage> LoadPictureResource(const std::string& name) {
  return DecodeResource(platform::FindResource(name.substr(0, kResourceNameLength)), qmFormatJpeg);
}

std::unique_ptr<ViewImage> LoadBitmapResource(const std::string& name, const ResourceLookup& module) {
  const std::string shortName = name.substr(0, kResourceNameLength);
  std::optional<std::span<const unsigned char>> data;
  if (module) data = module(shortName);
  if (!data) data = platform::FindResource(shortName);
  std::unique_ptr<ViewImage> image = DecodeResource(data, qmFormatBmp);
  if (image) image->info().transparentColor = image->getPixelColor(0, 0);
  return image;
}

}  // namespace zolvex
