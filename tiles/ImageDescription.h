#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tiles/AttachedFile.h"
#include "tiles/LevelInfo.h"

namespace zolvex {

// What a tile server answers to LOAD: the level table, the thumbnail stream and, from
// protocol version 11 on, attached files. On the wire every integer is big-endian:
// level count, six integers per level, thumbnail length and bytes, then (version 11) the
// file count and per file its name length, name, data length and data.
struct ImageDescription {
  static constexpr int kMaxLevelsDirect = 256;
  static constexpr int kMaxLevelsHttp = 20;
  static constexpr std::int32_t kMaxThumbnailLength = 1'000'000;
  static constexpr std::int32_t kMaxFileCount = 60'000;
  static constexpr std::int32_t kMaxNameLength = 2083;

  std::vector<LevelInfo> levels;
  std::vector<std::uint8_t> thumbnail;  // codec found by its signature
  std::vector<AttachedFile> files;      // version 11 only
  int version = 11;                     // 10 or 11

  enum class Transport { Direct, Http };

  // Direct: a description carried by a LOAD answer. bytes/length are the description's
  // bytes (after status and request number); frameLength is the frame's length field,
  // which decides the version: 11 when 16 + 24 x levels + thumbnail length is less than
  // it, else 10. Levels 1 to 256.
  // Http: a description fetched over HTTP (after its 12-byte frame header); frameLength is
  // not used. Always version 11 (the file count is required), levels 1 to 20.
  // None when invalid or cut short.
  static std::optional<ImageDescription> ParseImageDescription(const std::uint8_t* bytes, size_t length,
                                                               std::int64_t frameLength, Transport transport);
  static std::optional<ImageDescription> ParseDirect(const std::uint8_t* bytes, size_t length,
                                                     std::int64_t frameLength) {
    return ParseImageDescription(bytes, length, frameLength, Transport::Direct);
  }
  static std::optional<ImageDescription> ParseHttp(const std::uint8_t* bytes, size_t length) {
    return ParseImageDescription(bytes, length, 0, Transport::Http);
  }

  // The wire bytes of this description in its version (version 10 drops the files).
  std::vector<std::uint8_t> Encode() const;
  // The length field of a LOAD answer frame carrying Encode(): status, request number
  // and the description.
  std::int64_t FrameLength() const;
};

}  // namespace zolvex
