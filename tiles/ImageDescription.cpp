#include "tiles/ImageDescription.h"

#include "tiles/ByteOrder.h"

namespace zolvex {
namespace {

constexpr std::int64_t kLevelBytes = 24;

// Big-endian reads that stop at the end of the bytes.
class WireReader {
 public:
  WireReader(const std::uint8_t* bytes, size_t length) : bytes_(bytes), length_(bytes ? length : 0) {}
  std::optional<std::int32_t> Int() {
    if (Remaining() < 4) return std::nullopt;
    std::int32_t value = ReadBE32(bytes_ + position_);
    position_ += 4;
    return value;
  }
  std::optional<std::vector<std::uint8_t>> Bytes(std::int64_t count) {
    if (count < 0 || static_cast<std::uint64_t>(count) > Remaining()) return std::nullopt;
    std::vector<std::uint8_t> out(bytes_ + position_, bytes_ + position_ + count);
    position_ += static_cast<size_t>(count);
    return out;
  }
  size_t Remaining() const { return length_ - position_; }

 private:
  const std::uint8_t* bytes_;
  size_t length_;
  size_t position_ = 0;
};

// -1 marks an invalid level; a size or count below 1 would also leave the level without
// tiles to address, so it is refused alike.
bool IsUsableLevel(const LevelInfo& level) {
  return level.width > 0 && level.height > 0 && level.tileWidth > 0 && level.tileHeight > 0 && level.rows > 0 &&
         level.columns > 0 && level.TileCount() <= INT32_MAX;
}

std::optional<std::vector<LevelInfo>> ReadLevels(WireReader& reader, int maxLevels) {
  auto count = reader.Int();
  if (!count || *count < 1 || *count > maxLevels) return std::nullopt;
  std::vector<LevelInfo> levels(static_cast<size_t>(*count));
  for (auto& level : levels) {
    std::int32_t* fields[] = {&level.width, &level.height, &level.tileWidth,
                              &level.tileHeight, &level.rows, &level.columns};
    for (auto* field : fields) {
      auto value = reader.Int();
      if (!value) return std::nullopt;
      *field = *value;
    }
    if (!IsUsableLevel(level)) return std::nullopt;
  }
  return levels;
}

std::optional<std::vector<AttachedFile>> ReadFiles(WireReader& reader) {
  auto count = reader.Int();
  if (!count || *count < 0 || *count > ImageDescription::kMaxFileCount) return std::nullopt;
  std::vector<AttachedFile> files;
  for (std::int32_t i = 0; i < *count; ++i) {
    auto nameLength = reader.Int();
    if (!nameLength || *nameLength < 0 || *nameLength > ImageDescription::kMaxNameLength) return std::nullopt;
    auto name = reader.Bytes(*nameLength);
    if (!name) return std::nullopt;
    auto dataLength = reader.Int();
    if (!dataLength) return std::nullopt;
    auto data = reader.Bytes(*dataLength);  // refuses a negative length
    if (!data) return std::nullopt;
    files.push_back({std::string(name->begin(), name->end()), std::move(*data)});
  }
  return files;
}

// versionFor answers the protocol version once the thumbnail length is known.
template <typename VersionFor>
std::optional<ImageDescription> Parse(const std::uint8_t* bytes, size_t length, int maxLevels,
                                      VersionFor versionFor) {
  WireReader reader(bytes, length);
  ImageDescription description;
  auto levels = ReadLevels(reader, maxLevels);
  if (!levels) return std::nullopt;
  description.levels = std::move(*levels);
  auto thumbnailLength = reader.Int();
  if (!thumbnailLength || *thumbnailLength < 0 || *thumbnailLength > ImageDescription::kMaxThumbnailLength) {
    return std::nullopt;
  }
  auto thumbnail = reader.Bytes(*thumbnailLength);
  if (!thumbnail) return std::nullopt;
  description.thumbnail = std::move(*thumbnail);
  description.version = versionFor(static_cast<std::int64_t>(description.levels.size()), *thumbnailLength);
  if (description.version == 11) {
    auto files = ReadFiles(reader);
    if (!files) return std::nullopt;
    description.files = std::move(*files);
  }
  return description;
}

}  // namespace

std::optional<ImageDescription> ImageDescription::ParseImageDescription(const std::uint8_t* bytes, size_t length,
                                                                        std::int64_t frameLength,
                                                                        Transport transport) {
  if (transport == Transport::Http) {
    return Parse(bytes, length, kMaxLevelsHttp, [](std::int64_t, std::int64_t) { return 11; });
  }
  return Parse(bytes, length, kMaxLevelsDirect, [frameLength](std::int64_t levels, std::int64_t thumbnailLength) {
    return 16 + kLevelBytes * levels + thumbnailLength < frameLength ? 11 : 10;
  });
}

std::int64_t ImageDescription::FrameLength() const {
  // Status and request number, level count, level table, thumbnail length and bytes.
  std::int64_t length = 16 + kLevelBytes * static_cast<std::int64_t>(levels.size()) +
                        static_cast<std::int64_t>(thumbnail.size());
  if (version == 11) {
    length += 4;
    for (const auto& file : files) length += 8 + static_cast<std::int64_t>(file.name.size() + file.data.size());
  }
  return length;
}

std::vector<std::uint8_t> ImageDescription::Encode() const {
  std::vector<std::uint8_t> out;
  AppendBE32(out, static_cast<std::int32_t>(levels.size()));
  for (const auto& level : levels) {
    for (std::int32_t value : {level.width, level.height, level.tileWidth, level.tileHeight, level.rows,
                               level.columns}) {
      AppendBE32(out, value);
    }
  }
  AppendBE32(out, static_cast<std::int32_t>(thumbnail.size()));
  out.insert(out.end(), thumbnail.begin(), thumbnail.end());
  if (version == 11) AppendAttachedFiles(out, files, AppendBE32);
  return out;
}

}  // namespace zolvex
