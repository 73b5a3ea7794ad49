#pragma once
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "image/qmFormatId.h"
#include "image/qmImage.h"
#include "tiles/AttachedFile.h"

namespace zolvex {

// Writes a local tiled image file, one level after the other (level 0, the smallest,
// first) and within a level one tile after the other in row-major order, so that a
// pyramid of any size can be written without holding more than one tile. The file is
// written under a temporary name and takes its own name only when Finish succeeds; an
// abandoned or failed writer leaves no file behind.
//
//   KtqWriter writer({.codec = qmFormatJpeg});
//   writer.Begin(path, levels, thumbnailStream);
//   for each level: writer.BeginLevel(rows, columns); AddTile(...) x rows*columns;
//   writer.Finish();
class KtqWriter {
 public:
  struct Options {
    int codec = qmFormatJpeg;  // for the thumbnail and every tile
    bool scrambled = false;    // "B$41" variant: every tile's bytes scrambled
    int jpegQuality = 85;
  };

  KtqWriter();
  explicit KtqWriter(Options options);
  ~KtqWriter();
  KtqWriter(const KtqWriter&) = delete;
  KtqWriter& operator=(const KtqWriter&) = delete;

  const Options& GetOptions() const { return options_; }

  // Starts the file; thumbnail is a stream in the codec (empty: no thumbnail); attached
  // files go into the table that KtqFormat::kAttachedMagic describes.
  bool Begin(const std::string& path, int levelCount, const std::vector<std::uint8_t>& thumbnail,
             const std::vector<AttachedFile>& attached = {});
  bool BeginLevel(int rows, int columns);
  // Adds the next tile of the level: a stream already in the codec, or an image to encode.
  bool AddTileStream(const std::uint8_t* bytes, size_t length);
  bool AddTile(const qmImage& tile);
  // Ends the last level, completes the tables and gives the file its name.
  bool Finish();

  // Encodes an image in the writer's codec (for thumbnails and tiles).
  std::vector<std::uint8_t> Encode(const qmImage& image);

  const std::string& LastError() const { return error_; }

 private:
  bool Fail(std::string message);
  static void AppendAttachedTable(std::vector<std::uint8_t>& out, const std::vector<AttachedFile>& attached);
  bool EndLevel();
  bool WriteIntAt(std::int64_t position, std::int32_t value);
  bool WriteBytes(const std::uint8_t* bytes, size_t length);
  void Abandon();

  Options options_;
  std::string path_;
  std::string partialPath_;
  std::fstream file_;
  bool failed_ = false;
  std::string error_;

  int levelCount_ = 0;
  int levelsBegun_ = 0;
  std::int64_t directoryAt_ = 0;
  // The level being written.
  std::int64_t levelHeaderAt_ = 0;
  std::int64_t levelDataAt_ = 0;
  std::int64_t levelTileCount_ = 0;
  std::vector<std::int32_t> tileOffsets_;
  std::vector<std::uint8_t> scratch_;
};

}  // namespace zolvex
