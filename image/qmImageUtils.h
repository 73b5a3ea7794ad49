#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "image/qmImage.h"
#include "image/qmImageDecoder.h"
#include "image/qmImageEncoder.h"

namespace zolvex {

class ViewImage;

// Entry points of the image library: decoding from memory, loading and saving files by
// extension, the codec tables and the colour helpers.
class qmImageUtils {
 public:
  // Decodes an in-memory stream. formatId -1 picks the format by signature. When both
  // targetWidth and targetHeight are above 0 the result is resized with resampleMode.
  // None for a null or empty buffer, an unknown format or a failed decode.
  static std::unique_ptr<ViewImage> decodeFromMemory(const std::uint8_t* bytes, size_t length,
                                                             int formatId, int page = 0, int targetWidth = 0,
                                                             int targetHeight = 0, int resampleMode = 1,
                                                             int decodeType = 1);
  // Loads a file, the decoder chosen by extension (".jpg .bmp .gif .png .tga .tif .tiff",
  // any case).
  static std::unique_ptr<ViewImage> loadImage(const std::string& path, int page = 0, int targetWidth = 0,
                                                      int targetHeight = 0, int resampleMode = 1,
                                                      int decodeType = 1);
  // Saves through the encoder chosen by extension, first converting a copy to
  // bitsPerPixel when it is not 0. jpegQuality 0 keeps the JPEG encoder's default (100).
  // A failed save leaves no file behind.
  static bool saveImage(const qmImage& image, const std::string& path, int bitsPerPixel = 0, int jpegQuality = 0);
  // The same in a format chosen by the caller, whatever the extension.
  static bool saveImageAs(const qmImage& image, const std::string& path, int formatId, int bitsPerPixel = 0,
                          int jpegQuality = 0);

  // Format identification.
  static int detectFormat(const std::uint8_t* bytes, size_t length);  // -1 when unknown
  static int formatFromExtension(const std::string& path);            // -1 when unknown
  static int canonicalFormat(int formatId);  // the main value for an alternative one
  static std::unique_ptr<qmImageDecoder> createDecoder(int formatId);
  static std::unique_ptr<qmImageEncoder> createEncoder(int formatId);

  // Colours: red and blue of a 32-bit colour exchanged.
  static std::uint32_t swapRedBlue(std::uint32_t color);
  // Orders two colours by luminance (117 b + 601 g + 306 r) >> 10: -1, 0 or 1.
  static int compareLuminance(const qmRGBQuad& a, const qmRGBQuad& b);
};

}  // namespace zolvex
