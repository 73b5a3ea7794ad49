#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/ViewImage.h"
#include "tiles/LevelInfo.h"

namespace zolvex {
namespace platform {
class ReadOnlyFile;
}

// A local tiled image file: header, optional thumbnail block, level directory, and per
// level a tile offset table followed by the tiles' raw codec streams. Open reads the
// index and probes one tile per level for the tile size; tiles are then read one by one
// from the file opened then, which stays open with the object, so the
// index and the tiles always come from the same file. Every offset and length is checked
// against the file before it is used, so a damaged file is refused instead of read out of
// bounds.
//
// After Open the object is not modified: ReadTile and DecodeTile may run on several
// threads at once.
class KtqLocalFile {
 public:
  enum class ErrorKind {
    None,
    CannotOpen,        // missing or unreadable file
    NotKtq,            // the first four bytes are neither signature
    Damaged,           // a table or offset that does not fit the file
    CannotDecodeTile,  // the probe tile of a level does not decode
  };
  static constexpr const char* kCannotDecodeTileMessage = "7. Cannot decode tile";

  KtqLocalFile() = default;

  // Reads the file at path ("%20" stands for a space). False with LastErrorKind and
  // LastError set when it cannot be used.
  bool ReadLocalFile(const std::string& path);
  bool Open(const std::string& path) { return ReadLocalFile(path); }
  ErrorKind LastErrorKind() const { return errorKind_; }
  // "7. Cannot decode tile" for a failed probe; a sentence naming the fault otherwise.
  const std::string& LastError() const { return error_; }

  const std::string& Path() const { return path_; }
  bool IsScrambled() const { return scrambled_; }
  int Codec() const { return codec_; }
  // The decoded thumbnail block; null when the file has none or it does not decode.
  const ViewImage* Thumbnail() const { return thumbnail_.get(); }
  std::unique_ptr<ViewImage> TakeThumbnail() { return std::move(thumbnail_); }

  int LevelCount() const { return static_cast<int>(levels_.size()); }
  // Level 0 is the smallest. level must be valid.
  const LevelInfo& Level(int level) const { return levels_.at(static_cast<size_t>(level)).info; }
  std::vector<LevelInfo> Levels() const;

  // Where a tile's stream lies: its offset from the level's data start and its length.
  struct TileExtent {
    std::int64_t offset = 0;
    std::int64_t length = 0;
  };
  std::optional<TileExtent> Extent(int level, int column, int row) const;

  // The unscrambled stream of one tile; none for an address outside the image or a failed
  // read. At the end of the file the bytes actually read make up the tile.
  std::optional<std::vector<std::uint8_t>> ReadLocalTile(int level, int column, int row) const;
  std::optional<std::vector<std::uint8_t>> ReadTile(int level, int column, int row) const {
    return ReadLocalTile(level, column, row);
  }
  // ReadLocalTile decoded with the file's codec; none when it does not decode.
  std::unique_ptr<ViewImage> DecodeTile(int level, int column, int row) const;

  // The files attached to the image by name (see KtqFormat::kAttachedMagic); a table that
  // does not fit the file is left unread.
  const std::map<std::string, std::vector<std::uint8_t>>& AttachedFiles() const { return attached_; }
  // Whether the file records its levels' real extent; without it a level is whole tiles.
  bool HasRecordedExtent() const { return recordedExtent_; }

  // The raw thumbnail block of another local file (no data when its length is 0 or less,
  // or when the file cannot be read).
  static std::vector<std::uint8_t> ReadThumbnailBlock(const std::string& path);

 private:
  struct LevelData {
    LevelInfo info;
    std::int64_t dataStart = 0;
    std::int64_t dataLength = 0;
    std::vector<std::uint32_t> offsets;  // from dataStart, non-decreasing
  };
  class Reader;

  bool Fail(ErrorKind kind, std::string message);
  bool ReadHeader(Reader& reader);
  bool ReadDirectory(Reader& reader, std::int64_t directoryAt, std::vector<std::int64_t>& headerOffsets);
  bool ReadLevel(Reader& reader, int index, std::int64_t headerAt, std::int64_t nextHeaderAt);
  bool ProbeTileSizes();
  void ReadAttachedFiles(Reader& reader, std::int64_t tableAt);
  void ApplyRecordedExtent();
  void Reset();
  // The size of the open file (0 when none is open).
  std::int64_t FileSize() const;

  std::string path_;
  std::shared_ptr<const platform::ReadOnlyFile> file_;
  bool scrambled_ = false;
  int codec_ = -1;
  std::unique_ptr<ViewImage> thumbnail_;
  std::vector<LevelData> levels_;
  std::map<std::string, std::vector<std::uint8_t>> attached_;
  bool recordedExtent_ = false;
  ErrorKind errorKind_ = ErrorKind::None;
  std::string error_;
};

}  // namespace zolvex
