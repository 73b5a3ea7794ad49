#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/ViewImage.h"
#include "image/qmFormatId.h"

namespace zolvex {

// The format rules shared by local tiled files, image descriptions and tile payloads:
// format identifiers, signature sniffing, the byte scrambling and the codec calls.
class KtqFormat {
 public:
  // First four bytes of a local file.
  static constexpr std::string_view kScrambledMagic = "B$41";
  static constexpr std::string_view kPlainMagic = "KMTQ";

  // Files attached to a local file: a table (this signature, a count, then per file a name
  // length, the name, a data length and the data, little-endian) that the reserved field at
  // offset 8 points to. It lies between the level directory and the first level, where no
  // reader of the format looks, so files with it stay readable by every reader.
  static constexpr std::string_view kAttachedMagic = "KTQA";
  // The attached file with every level's real width and height, smallest level first, as
  // pairs of little-endian 32-bit integers: the edge tiles reach past them.
  static constexpr std::string_view kExtentFileName = "levels.extent";
  struct Extent {
    int width = 0;
    int height = 0;
  };
  static std::vector<std::uint8_t> EncodeExtents(const std::vector<Extent>& extents);
  // Empty when the bytes are not whole pairs.
  static std::vector<Extent> DecodeExtents(const std::vector<std::uint8_t>& bytes);

  // The format of a stream by its signature; -1 for fewer than 10 bytes. Streams without
  // a known signature answer TGA, which has none of its own.
  static int DetectFormat(const std::uint8_t* bytes, size_t length);
  // The format of an image file named by path: ".gif", ".tga", ".bmp" (any case), else JPEG.
  static int FormatFromExtension(std::string_view path);
  // The main identifier for an accepted one (alternatives map to their main value); -1
  // for a value that names no codec.
  static int CanonicalFormat(int formatId);
  // The codec byte of a tile header: 0 TGA, 1 GIF, 2 JPEG, 3 TIFF, 4 PNG; other codes -1.
  static int FormatFromTileCode(int code);
  // The reverse; -1 for a format without a code (BMP), which the reader then sniffs.
  static int TileCodeFromFormat(int formatId);
  // "JPEG", "PNG", ... ("unknown" otherwise) and the reverse for lower-case names.
  static std::string FormatName(int formatId);
  static int FormatFromName(std::string_view name);

  // XORs byte i with (start + i) mod 256. Applying it twice restores the bytes.
  static void Scramble(std::uint8_t* bytes, size_t length, std::uint32_t start);

  // Decodes one stream with the codec of formatId (-1 or any value that names no codec:
  // by signature). None for an empty
  // stream, a format without a codec or a stream that does not decode.
  static std::unique_ptr<ViewImage> DecodeStream(const std::uint8_t* bytes, size_t length, int formatId);
  // DecodeStream for one tile of at most tileWidth x tileHeight (both above 0; otherwise
  // unbounded): a stream that declares a larger picture is refused before the decoder
  // allocates for it.
  static std::unique_ptr<ViewImage> DecodeTileStream(const std::uint8_t* bytes, size_t length, int formatId,
                                                     int tileWidth, int tileHeight);
  // Encodes an image as one stream of formatId; jpegQuality 1-100 for JPEG.
  static std::optional<std::vector<std::uint8_t>> EncodeStream(const qmImage& image, int formatId,
                                                               int jpegQuality = 85);
};

}  // namespace zolvex
