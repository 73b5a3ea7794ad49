#include "tiles/KtqWriter.h"

#include <filesystem>
#include <limits>

#include "tiles/ByteOrder.h"
#include "tiles/KtqFormat.h"

namespace zolvex {
namespace {

// Offsets in the file are signed 32-bit values.
constexpr std::int64_t kLargestOffset = std::numeric_limits<std::int32_t>::max();

}  // namespace

KtqWriter::KtqWriter() : KtqWriter(Options()) {}

KtqWriter::KtqWriter(Options options) : options_(options) {}

KtqWriter::~KtqWriter() { Abandon(); }

void KtqWriter::Abandon() {
  if (partialPath_.empty()) return;
  file_.close();
  std::error_code ignored;
  std::filesystem::remove(partialPath_, ignored);
  partialPath_.clear();
}

bool KtqWriter::Fail(std::string message) {
  if (!failed_) error_ = std::move(message);
  failed_ = true;
  Abandon();
  return false;
}

bool KtqWriter::WriteBytes(const std::uint8_t* bytes, size_t length) {
  file_.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(length));
  if (!file_) return Fail("Cannot write " + path_);
  if (static_cast<std::int64_t>(file_.tellp()) > kLargestOffset) {
    return Fail(path_ + ": the image does not fit in a KTQ file (2 GiB at most)");
  }
  return true;
}

bool KtqWriter::WriteIntAt(std::int64_t position, std::int32_t value) {
  std::vector<std::uint8_t> bytes;
  AppendLE32(bytes, value);
  file_.seekp(position);
  return WriteBytes(bytes.data(), bytes.size());
}

bool KtqWriter::Begin(const std::string& path, int levelCount, const std::vector<std::uint8_t>& thumbnail,
                      const std::vector<AttachedFile>& attached) {
  if (levelCount < 1) return Fail("A KTQ image needs at least one level");
  path_ = path;
  partialPath_ = path + ".partial";
  file_.open(partialPath_, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
  if (!file_) {
    partialPath_.clear();
    return Fail("Cannot create " + path);
  }
  levelCount_ = levelCount;
  std::vector<std::uint8_t> header;
  auto magic = options_.scrambled ? KtqFormat::kScrambledMagic : KtqFormat::kPlainMagic;
  header.insert(header.end(), magic.begin(), magic.end());
  AppendLE32(header, options_.codec);
  AppendLE32(header, 0);  // reserved: where the attached files lie, set below when there are any
  AppendLE32(header, static_cast<std::int32_t>(thumbnail.size()));
  header.insert(header.end(), thumbnail.begin(), thumbnail.end());
  AppendLE32(header, levelCount);
  directoryAt_ = static_cast<std::int64_t>(header.size());
  header.resize(header.size() + static_cast<size_t>(levelCount) * 8);  // filled as levels begin
  if (!attached.empty()) {
    const auto tableAt = static_cast<std::int32_t>(header.size());
    header[8] = static_cast<std::uint8_t>(tableAt);
    header[9] = static_cast<std::uint8_t>(tableAt >> 8);
    header[10] = static_cast<std::uint8_t>(tableAt >> 16);
    header[11] = static_cast<std::uint8_t>(tableAt >> 24);
    AppendAttachedTable(header, attached);
  }
  return WriteBytes(header.data(), header.size());
}

void KtqWriter::AppendAttachedTable(std::vector<std::uint8_t>& out, const std::vector<AttachedFile>& attached) {
  out.insert(out.end(), KtqFormat::kAttachedMagic.begin(), KtqFormat::kAttachedMagic.end());
  AppendAttachedFiles(out, attached, AppendLE32);
}

bool KtqWriter::BeginLevel(int rows, int columns) {
  if (failed_ || !file_.is_open()) return Fail("The KTQ file is not open");
  if (levelsBegun_ > 0 && !EndLevel()) return false;
  if (levelsBegun_ >= levelCount_) return Fail("More levels than announced");
  if (rows < 1 || columns < 1) return Fail("A level needs at least one tile");
  levelTileCount_ = std::int64_t{rows} * columns;
  if (levelTileCount_ > kLargestOffset / 4) return Fail("Too many tiles in one level");
  file_.seekp(0, std::ios::end);
  levelHeaderAt_ = file_.tellp();
  std::vector<std::uint8_t> header;
  AppendLE32(header, rows);
  AppendLE32(header, columns);
  header.resize(header.size() + static_cast<size_t>(levelTileCount_) * 4);  // offsets, filled at the end
  if (!WriteBytes(header.data(), header.size())) return false;
  levelDataAt_ = file_.tellp();
  tileOffsets_.clear();
  tileOffsets_.reserve(static_cast<size_t>(levelTileCount_));
  std::int64_t pair = directoryAt_ + std::int64_t{levelsBegun_} * 8;
  if (!WriteIntAt(pair, static_cast<std::int32_t>(levelHeaderAt_)) ||
      !WriteIntAt(pair + 4, static_cast<std::int32_t>(levelDataAt_))) {
    return false;
  }
  file_.seekp(0, std::ios::end);
  ++levelsBegun_;
  return true;
}

bool KtqWriter::AddTileStream(const std::uint8_t* bytes, size_t length) {
  if (failed_ || levelsBegun_ == 0) return Fail("No level begun");
  if (static_cast<std::int64_t>(tileOffsets_.size()) >= levelTileCount_) return Fail("More tiles than the level has");
  std::int64_t offset = static_cast<std::int64_t>(file_.tellp()) - levelDataAt_;
  tileOffsets_.push_back(static_cast<std::int32_t>(offset));
  if (!options_.scrambled) return WriteBytes(bytes, length);
  scratch_.assign(bytes, bytes + length);
  KtqFormat::Scramble(scratch_.data(), scratch_.size(), static_cast<std::uint32_t>(offset));
  return WriteBytes(scratch_.data(), scratch_.size());
}

std::vector<std::uint8_t> KtqWriter::Encode(const qmImage& image) {
  auto stream = KtqFormat::EncodeStream(image, options_.codec, options_.jpegQuality);
  return stream ? std::move(*stream) : std::vector<std::uint8_t>();
}

bool KtqWriter::AddTile(const qmImage& tile) {
  auto stream = Encode(tile);
  if (stream.empty()) return Fail("Cannot encode a tile as " + KtqFormat::FormatName(options_.codec));
  return AddTileStream(stream.data(), stream.size());
}

bool KtqWriter::EndLevel() {
  if (static_cast<std::int64_t>(tileOffsets_.size()) != levelTileCount_) return Fail("A level lacks tiles");
  std::vector<std::uint8_t> table;
  table.reserve(tileOffsets_.size() * 4);
  for (auto offset : tileOffsets_) AppendLE32(table, offset);
  std::int64_t end = file_.tellp();
  file_.seekp(levelHeaderAt_ + 8);
  if (!WriteBytes(table.data(), table.size())) return false;
  file_.seekp(end);
  return true;
}

bool KtqWriter::Finish() {
  if (failed_ || !file_.is_open()) return Fail("The KTQ file is not open");
  if (levelsBegun_ != levelCount_) return Fail("Fewer levels than announced");
  if (!EndLevel()) return false;
  file_.close();
  if (!file_) return Fail("Cannot write " + path_);
  std::error_code error;
  std::filesystem::rename(partialPath_, path_, error);
  if (error) return Fail("Cannot create " + path_ + ": " + error.message());
  partialPath_.clear();
  return true;
}

}  // namespace zolvex
