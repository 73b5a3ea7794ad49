#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "image/ViewImage.h"

namespace zolvex {

// One tile as a server delivers it. Version 10: a bare JPEG stream. Version 11: a 12-byte
// header of three big-endian integers (scrambled flag, codec code, key; only the low byte
// of each counts) before the stream.
class TilePayload {
 public:
  static constexpr size_t kHeaderSize = 12;

  // The stream inside a payload, unscrambled, with the format that decodes it (-1 when
  // the header's codec code names none: the decoder then goes by the signature).
  struct Stream {
    int formatId = -1;
    std::vector<std::uint8_t> bytes;
  };
  // None for a version other than 10 and 11, or a version-11 payload shorter than its header.
  static std::optional<Stream> Unwrap(const std::uint8_t* bytes, size_t length, int version);
  // Unwrap and decode; none when the stream does not decode. With a tile size (both above
  // 0), a stream that declares a larger picture is refused before anything is allocated
  // for it: a tile never costs more than its level's tile size.
  static std::unique_ptr<ViewImage> DecodeTilePayload(const std::uint8_t* bytes, size_t length, int version,
                                                      int tileWidth = 0, int tileHeight = 0);
  static std::unique_ptr<ViewImage> Decode(const std::uint8_t* bytes, size_t length, int version,
                                           int tileWidth = 0, int tileHeight = 0) {
    return DecodeTilePayload(bytes, length, version, tileWidth, tileHeight);
  }

  // Builds a payload around an image stream of formatId. Version 10 carries the stream as
  // it is (it must be JPEG); version 11 adds the header, scrambling the stream with the
  // key's low byte when scrambled is set. A format without a codec code is sent with code
  // 255, which the reader answers by sniffing.
  static std::vector<std::uint8_t> Encode(const std::uint8_t* stream, size_t length, int version, int formatId,
                                          bool scrambled = false, int key = 0);
};

}  // namespace zolvex
