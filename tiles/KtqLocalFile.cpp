#include "tiles/KtqLocalFile.h"

#include <algorithm>
#include <limits>

#include "platform/Files.h"
#include "platform/ReadOnlyFile.h"
#include "tiles/ByteOrder.h"
#include "tiles/KtqFormat.h"

namespace zolvex {
namespace {

constexpr std::int64_t kHeaderSize = 16;  // magic, codec, reserved, thumbnail length
constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();

std::string LocalPath(const std::string& path) {
  std::string result;
  for (size_t i = 0; i < path.size();) {
    if (path.compare(i, 3, "%20") == 0) {
      result += ' ';
      i += 3;
    } else {
      result += path[i++];
    }
  }
  return platform::NativePath(result);
}

}  // namespace

// Bounded reads of one open file: nothing is read outside [0, size).
class KtqLocalFile::Reader {
 public:
  explicit Reader(std::shared_ptr<const platform::ReadOnlyFile> file) : file_(std::move(file)) {}
  bool IsOpen() const { return file_ != nullptr; }
  std::int64_t Size() const { return file_ ? file_->Size() : -1; }
  bool Fits(std::int64_t position, std::int64_t length) const {
    return position >= 0 && length >= 0 && position <= Size() && length <= Size() - position;
  }
  // Reads up to length bytes at position; answers how many arrived.
  std::int64_t ReadSome(std::int64_t position, std::uint8_t* out, std::int64_t length) const {
    if (!file_ || position < 0 || length < 0 || position > Size()) return 0;
    return file_->ReadAt(position, out, std::min(length, Size() - position));
  }
  bool Read(std::int64_t position, std::uint8_t* out, std::int64_t length) const {
    return Fits(position, length) && ReadSome(position, out, length) == length;
  }
  std::optional<std::int32_t> ReadInt(std::int64_t position) const {
    std::uint8_t bytes[4];
    if (!Read(position, bytes, 4)) return std::nullopt;
    return ReadLE32(bytes);
  }

 private:
  std::shared_ptr<const platform::ReadOnlyFile> file_;
};

void KtqLocalFile::Reset() {
  file_.reset();
  scrambled_ = false;
  attached_.clear();
  recordedExtent_ = false;
  codec_ = -1;
  thumbnail_.reset();
  levels_.clear();
  errorKind_ = ErrorKind::None;
  error_.clear();
}

std::int64_t KtqLocalFile::FileSize() const { return file_ ? file_->Size() : 0; }

bool KtqLocalFile::Fail(ErrorKind kind, std::string message) {
  file_.reset();
  levels_.clear();
  thumbnail_.reset();
  errorKind_ = kind;
  error_ = std::move(message);
  return false;
}

bool KtqLocalFile::ReadLocalFile(const std::string& path) {
  Reset();
  path_ = LocalPath(path);
  file_ = platform::ReadOnlyFile::Open(path_);
  Reader reader(file_);
  if (!reader.IsOpen()) return Fail(ErrorKind::CannotOpen, "Cannot open " + path_);
  if (!ReadHeader(reader)) return false;
  if (!ProbeTileSizes()) return false;
  ApplyRecordedExtent();
  return true;
}

bool KtqLocalFile::ReadHeader(Reader& reader) {
  std::uint8_t header[kHeaderSize];
  if (!reader.Read(0, header, kHeaderSize)) return Fail(ErrorKind::Damaged, path_ + " is too short for a KTQ image");
  std::string_view magic(reinterpret_cast<const char*>(header), 4);
  if (magic != KtqFormat::kScrambledMagic && magic != KtqFormat::kPlainMagic) {
    return Fail(ErrorKind::NotKtq, path_ + " is not a KTQ image (unknown signature)");
  }
  scrambled_ = magic == KtqFormat::kScrambledMagic;
  codec_ = ReadLE32(header + 4);
  std::int64_t thumbnailLength = std::max(ReadLE32(header + 12), 0);
  if (!reader.Fits(kHeaderSize, thumbnailLength + 4)) {
    return Fail(ErrorKind::Damaged, path_ + ": the thumbnail block runs past the end of the file");
  }
  if (thumbnailLength > 0) {
    std::vector<std::uint8_t> block(static_cast<size_t>(thumbnailLength));
    if (!reader.Read(kHeaderSize, block.data(), thumbnailLength)) return Fail(ErrorKind::CannotOpen, "Cannot read " + path_);
    thumbnail_ = KtqFormat::DecodeStream(block.data(), block.size(), codec_);
  }
  std::vector<std::int64_t> headerOffsets;
  if (!ReadDirectory(reader, kHeaderSize + thumbnailLength, headerOffsets)) return false;
  for (int i = 0; i < LevelCount(); ++i) {
    if (!ReadLevel(reader, i, headerOffsets[i], headerOffsets[i + 1])) return false;
  }
  ReadAttachedFiles(reader, ReadLE32(header + 8));
  return true;
}

// The attached files are an addition to the format: a table that is absent, damaged or too
// large leaves the image as it is.
void KtqLocalFile::ReadAttachedFiles(Reader& reader, std::int64_t tableAt) {
  constexpr std::int32_t kMostFiles = 64, kLongestName = 255, kLargestFile = 1 << 20;
  std::uint8_t magic[4];
  if (tableAt <= kHeaderSize || !reader.Read(tableAt, magic, 4)) return;
  if (std::string_view(reinterpret_cast<const char*>(magic), 4) != KtqFormat::kAttachedMagic) return;
  auto count = reader.ReadInt(tableAt + 4);
  if (!count || *count < 0 || *count > kMostFiles) return;
  std::map<std::string, std::vector<std::uint8_t>> files;
  std::int64_t at = tableAt + 8;
  for (std::int32_t i = 0; i < *count; ++i) {
    auto nameLength = reader.ReadInt(at);
    if (!nameLength || *nameLength < 0 || *nameLength > kLongestName) return;
    std::string name(static_cast<size_t>(*nameLength), '\0');
    if (!reader.Read(at + 4, reinterpret_cast<std::uint8_t*>(name.data()), *nameLength)) return;
    at += 4 + *nameLength;
    auto dataLength = reader.ReadInt(at);
    if (!dataLength || *dataLength < 0 || *dataLength > kLargestFile) return;
    std::vector<std::uint8_t> data(static_cast<size_t>(*dataLength));
    if (!reader.Read(at + 4, data.data(), *dataLength)) return;
    at += 4 + *dataLength;
    files[name] = std::move(data);
  }
  attached_ = std::move(files);
}

// Levels are whole tiles; a recorded extent that lies within the last column and row of
// every level gives the real width and height.
void KtqLocalFile::ApplyRecordedExtent() {
  auto found = attached_.find(std::string(KtqFormat::kExtentFileName));
  if (found == attached_.end()) return;
  const auto extents = KtqFormat::DecodeExtents(found->second);
  if (static_cast<int>(extents.size()) != LevelCount()) return;
  auto withinLastTile = [](int extent, int tile, int count) {
    return extent > std::int64_t{tile} * (count - 1) && extent <= std::int64_t{tile} * count;
  };
  for (int i = 0; i < LevelCount(); ++i) {
    const LevelInfo& info = levels_[i].info;
    if (!withinLastTile(extents[i].width, info.tileWidth, info.columns) ||
        !withinLastTile(extents[i].height, info.tileHeight, info.rows)) {
      return;
    }
  }
  for (int i = 0; i < LevelCount(); ++i) {
    levels_[i].info.width = extents[i].width;
    levels_[i].info.height = extents[i].height;
  }
  recordedExtent_ = true;
}

// Reads N and the directory; headerOffsets gets N + 1 entries (the file size last) and
// the levels their data starts.
bool KtqLocalFile::ReadDirectory(Reader& reader, std::int64_t directoryAt, std::vector<std::int64_t>& headerOffsets) {
  std::int64_t count = *reader.ReadInt(directoryAt);  // fits: checked with the thumbnail
  // Every level needs its directory pair and at least a level header with one offset.
  constexpr std::int64_t kSmallestLevel = 8 + 12;
  if (count < 1 || count > (FileSize() - directoryAt - 4) / kSmallestLevel) {
    return Fail(ErrorKind::Damaged, path_ + ": level count " + std::to_string(count) + " does not fit the file");
  }
  std::vector<std::uint8_t> directory(static_cast<size_t>(count * 8));
  if (!reader.Read(directoryAt + 4, directory.data(), count * 8)) {
    return Fail(ErrorKind::Damaged, path_ + ": the level directory runs past the end of the file");
  }
  levels_.resize(static_cast<size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    headerOffsets.push_back(ReadLE32(&directory[i * 8]));
    levels_[i].dataStart = ReadLE32(&directory[i * 8 + 4]);
  }
  headerOffsets.push_back(FileSize());
  return true;
}

bool KtqLocalFile::ReadLevel(Reader& reader, int index, std::int64_t headerAt, std::int64_t nextHeaderAt) {
  LevelData& level = levels_[index];
  std::string where = path_ + ": level " + std::to_string(index);
  auto rows = reader.ReadInt(headerAt);
  auto columns = reader.ReadInt(headerAt + 4);
  if (!rows || !columns) return Fail(ErrorKind::Damaged, where + " has its header outside the file");
  if (*rows < 1 || *columns < 1) return Fail(ErrorKind::Damaged, where + " has no tiles");
  std::int64_t count = std::int64_t{*rows} * *columns;
  if (count > (FileSize() - headerAt - 8) / 4) {
    return Fail(ErrorKind::Damaged, where + ": its tile table does not fit the file");
  }
  level.info.rows = *rows;
  level.info.columns = *columns;
  level.dataLength = nextHeaderAt - level.dataStart;
  if (level.dataStart < 0 || level.dataStart > FileSize() || level.dataLength < 0) {
    return Fail(ErrorKind::Damaged, where + ": its tile data lies outside the file");
  }
  std::vector<std::uint8_t> table(static_cast<size_t>(count * 4));
  if (!reader.Read(headerAt + 8, table.data(), count * 4)) return Fail(ErrorKind::CannotOpen, "Cannot read " + path_);
  level.offsets.resize(static_cast<size_t>(count));
  std::int64_t previous = 0;
  for (std::int64_t k = 0; k < count; ++k) {
    std::int64_t offset = ReadLE32(&table[k * 4]);
    if (offset < previous || offset > level.dataLength) {
      return Fail(ErrorKind::Damaged, where + ": tile " + std::to_string(k) + " has an offset outside its data");
    }
    level.offsets[k] = static_cast<std::uint32_t>(offset);
    previous = offset;
  }
  return true;
}

bool KtqLocalFile::ProbeTileSizes() {
  for (int i = 0; i < LevelCount(); ++i) {
    auto probe = DecodeTile(i, 0, 0);
    if (!probe) return Fail(ErrorKind::CannotDecodeTile, kCannotDecodeTileMessage);
    LevelInfo& info = levels_[i].info;
    std::int64_t width = std::int64_t{probe->getWidth()} * info.columns;
    std::int64_t height = std::int64_t{probe->getHeight()} * info.rows;
    if (width > kMaxInt32 || height > kMaxInt32) {
      return Fail(ErrorKind::Damaged, path_ + ": level " + std::to_string(i) + " is too large");
    }
    info.tileWidth = probe->getWidth();
    info.tileHeight = probe->getHeight();
    info.width = static_cast<std::int32_t>(width);
    info.height = static_cast<std::int32_t>(height);
  }
  return true;
}

std::vector<LevelInfo> KtqLocalFile::Levels() const {
  std::vector<LevelInfo> result;
  for (const auto& level : levels_) result.push_back(level.info);
  return result;
}

std::optional<KtqLocalFile::TileExtent> KtqLocalFile::Extent(int level, int column, int row) const {
  if (level < 0 || level >= LevelCount()) return std::nullopt;
  const LevelData& data = levels_[level];
  if (!data.info.HasTile(column, row)) return std::nullopt;
  auto index = static_cast<size_t>(data.info.TileIndex(column, row));
  std::int64_t end = index + 1 < data.offsets.size() ? data.offsets[index + 1] : data.dataLength;
  return TileExtent{data.offsets[index], end - data.offsets[index]};
}

std::optional<std::vector<std::uint8_t>> KtqLocalFile::ReadLocalTile(int level, int column, int row) const {
  auto extent = Extent(level, column, row);
  if (!extent) return std::nullopt;
  const Reader reader(file_);
  if (!reader.IsOpen()) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<size_t>(extent->length));
  auto read = reader.ReadSome(levels_[level].dataStart + extent->offset, bytes.data(), extent->length);
  bytes.resize(static_cast<size_t>(read));
  if (scrambled_) KtqFormat::Scramble(bytes.data(), bytes.size(), static_cast<std::uint32_t>(extent->offset));
  return bytes;
}

std::unique_ptr<ViewImage> KtqLocalFile::DecodeTile(int level, int column, int row) const {
  auto bytes = ReadLocalTile(level, column, row);
  if (!bytes) return nullptr;
  // Zero while the probe finds the tile size; from then on no tile may exceed it.
  const LevelInfo& info = levels_[level].info;
  return KtqFormat::DecodeTileStream(bytes->data(), bytes->size(), codec_, info.tileWidth, info.tileHeight);
}

std::vector<std::uint8_t> KtqLocalFile::ReadThumbnailBlock(const std::string& path) {
  const Reader reader(platform::ReadOnlyFile::Open(LocalPath(path)));
  auto length = reader.ReadInt(12);
  // The declared length is checked against the file before anything is allocated for it.
  if (!length || *length <= 0 || !reader.Fits(kHeaderSize, *length)) return {};
  std::vector<std::uint8_t> block(static_cast<size_t>(*length));
  if (!reader.Read(kHeaderSize, block.data(), *length)) return {};
  return block;
}

}  // namespace zolvex
