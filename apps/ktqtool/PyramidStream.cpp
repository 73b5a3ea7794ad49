#include "apps/ktqtool/PyramidStream.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>

#include "apps/ktqtool/KtqCommands.h"
#include "tiles/KtqFormat.h"

namespace zolvex::ktqtool {

// One full band of a level, its tiles being encoded.
struct PyramidStream::Band {
  std::shared_ptr<qmImage> pixels;
  int validRows = 0;
  std::vector<std::vector<std::uint8_t>> streams;  // one per column
  std::atomic<int> left{0};
  std::atomic<bool> failed{false};
};

struct PyramidStream::Level {
  int width = 0;
  int height = 0;
  int columns = 0;
  std::unique_ptr<qmAreaShrinker> shrinker;  // makes the next smaller level
  std::shared_ptr<qmImage> band;             // being filled
  std::vector<std::shared_ptr<qmImage>> spareBands;
  int rowsIn = 0;
  std::deque<std::shared_ptr<Band>> pending;  // in the level's order
  std::string spoolPath;
  std::fstream spool;
  std::vector<std::uint32_t> lengths;
  size_t nextRead = 0;
};

PyramidBuilder::Size PyramidStream::ThumbnailSize(int width, int height, int thumbSize) {
  if (width >= height) return {thumbSize, std::max(1, static_cast<int>(std::int64_t{height} * thumbSize / width))};
  return {std::max(1, static_cast<int>(std::int64_t{width} * thumbSize / height)), thumbSize};
}

PyramidStream::PyramidStream(int width, int height, const Settings& settings, std::string spoolBase,
                             PyramidBuilder::Progress progress)
    : settings_(settings),
      builder_(width, height, settings.tileSize),
      spoolBase_(std::move(spoolBase)),
      progress_(std::move(progress)),
      tilesTotal_(builder_.TileCount()),
      pool_(std::make_unique<TileEncoderPool>(settings.threads)) {
  const auto& sizes = builder_.Levels();
  for (size_t i = 0; i < sizes.size(); ++i) {
    auto level = std::make_unique<Level>();
    level->width = sizes[i].width;
    level->height = sizes[i].height;
    level->columns = PyramidBuilder::TilesAcross(level->width, settings_.tileSize);
    level->band = std::make_shared<qmImage>(level->width, settings_.tileSize, 24);
    if (!level->band->isValid()) throw ToolFailure("out of memory for a band of " + std::to_string(level->width) + " pixels");
    if (i > 0) {
      level->shrinker = std::make_unique<qmAreaShrinker>(
          level->width, level->height, sizes[i - 1].width, sizes[i - 1].height,
          [this, i](int, const std::uint8_t* row) { AddLevelRow(i - 1, row); });
    }
    level->spoolPath = spoolBase_ + ".level" + std::to_string(i);
    level->spool.open(level->spoolPath, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
    if (!level->spool) throw ToolFailure("cannot create " + level->spoolPath);
    levels_.push_back(std::move(level));
  }
  if (settings_.thumbSize <= 0) return;
  thumbSize_ = ThumbnailSize(width, height, settings_.thumbSize);
  thumbFromSmallest_ = sizes.size() == 1 || sizes.front().width >= thumbSize_.width;
  if (thumbFromSmallest_) return;
  if (thumbSize_.width <= width && thumbSize_.height <= height) {
    thumbShrinker_ = std::make_unique<qmAreaShrinker>(
        width, height, thumbSize_.width, thumbSize_.height, [this](int y, const std::uint8_t* row) {
          std::memcpy(thumbSource_.getRow(y), row, static_cast<size_t>(thumbSize_.width) * 3);
        });
    thumbSource_.create(thumbSize_.width, thumbSize_.height, 24);
  } else {
    // A thumbnail larger than the picture: the picture is small, and held.
    thumbSource_.create(width, height, 24);
  }
}

PyramidStream::~PyramidStream() {
  pool_.reset();
  for (auto& level : levels_) {
    level->spool.close();
    std::error_code ignored;
    std::filesystem::remove(level->spoolPath, ignored);
  }
}

void PyramidStream::AddRow(const std::uint8_t* row) {
  if (!thumbFromSmallest_) AddThumbnailRow(row);
  AddLevelRow(levels_.size() - 1, row);
}

void PyramidStream::AddThumbnailRow(const std::uint8_t* row) {
  if (thumbShrinker_) {
    thumbShrinker_->push(row);
  } else if (thumbSourceRows_ < thumbSource_.getHeight()) {
    std::memcpy(thumbSource_.getRow(thumbSourceRows_++), row, static_cast<size_t>(thumbSource_.getWidth()) * 3);
  }
}

void PyramidStream::AddLevelRow(size_t index, const std::uint8_t* row) {
  Level& level = *levels_[index];
  if (level.rowsIn >= level.height) return;
  std::memcpy(level.band->getRow(level.rowsIn % settings_.tileSize), row, static_cast<size_t>(level.width) * 3);
  ++level.rowsIn;
  if (level.shrinker) level.shrinker->push(row);
  if (level.rowsIn % settings_.tileSize == 0 || level.rowsIn == level.height) FlushBand(level);
}

void PyramidStream::FlushBand(Level& level) {
  auto band = std::make_shared<Band>();
  band->pixels = std::move(level.band);
  band->validRows = (level.rowsIn - 1) % settings_.tileSize + 1;
  band->streams.resize(static_cast<size_t>(level.columns));
  band->left = level.columns;
  if (&level == levels_.front().get() && thumbFromSmallest_ && settings_.thumbSize > 0) {
    thumbSource_.create(level.width, level.height, 24);
    PyramidBuilder::CopyRegion(*band->pixels, 0, 0, thumbSource_);
  }
  level.pending.push_back(band);
  if (level.spareBands.empty()) {
    level.band = std::make_shared<qmImage>(level.width, settings_.tileSize, 24);
    if (!level.band->isValid()) throw ToolFailure("out of memory for a band of " + std::to_string(level.width) + " pixels");
  } else {
    level.band = std::move(level.spareBands.back());
    level.spareBands.pop_back();
  }
  for (int column = 0; column < level.columns; ++column) {
    pool_->Submit([this, band, &level, column] {
      try {
        EncodeTile(*band, level, column, band->streams[static_cast<size_t>(column)]);
      } catch (...) {
        band->failed = true;
      }
      --band->left;
    });
  }
  // Reading goes on while a band's worth of tiles waits; beyond that this thread encodes too,
  // which also bounds the bands held.
  pool_->HelpWhileMoreThan(static_cast<size_t>(levels_.back()->columns));
  DrainFinishedBands();
}

void PyramidStream::EncodeTile(const Band& band, const Level& level, int column, std::vector<std::uint8_t>& stream) const {
  thread_local qmImage tile;
  const int size = settings_.tileSize;
  if (tile.getWidth() != size || tile.getHeight() != size) tile.create(size, size, 24);
  PyramidBuilder::CopyRegion(*band.pixels, column * size, 0, tile);
  // Every pixel of the tile is written: the band's rows beyond the valid ones are replaced.
  PyramidBuilder::RepeatEdges(tile, level.width - column * size, band.validRows);
  auto encoded = KtqFormat::EncodeStream(tile, settings_.writer.codec, settings_.writer.jpegQuality);
  if (!encoded || encoded->empty()) throw ToolFailure("cannot encode a tile");
  stream = std::move(*encoded);
}

void PyramidStream::DrainFinishedBands() {
  for (auto& level : levels_) {
    while (!level->pending.empty() && level->pending.front()->left == 0) {
      Band& band = *level->pending.front();
      if (band.failed) throw ToolFailure("cannot encode a tile as " + KtqFormat::FormatName(settings_.writer.codec));
      for (auto& stream : band.streams) {
        level->spool.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
        level->lengths.push_back(static_cast<std::uint32_t>(stream.size()));
      }
      if (!level->spool) throw ToolFailure("cannot write " + level->spoolPath);
      tilesDone_ += level->columns;
      if (progress_) progress_(tilesDone_, tilesTotal_);
      level->spareBands.push_back(std::move(band.pixels));
      level->pending.pop_front();
    }
  }
}

std::vector<std::uint8_t> PyramidStream::EncodeThumbnail() {
  if (settings_.thumbSize <= 0 || !thumbSource_.isValid()) return {};
  qmImage small;
  if (thumbShrinker_) {
    small = std::move(thumbSource_);
  } else if (!thumbSource_.resize(thumbSize_.width, thumbSize_.height, 1, &small)) {
    return {};
  }
  auto stream = KtqFormat::EncodeStream(small, settings_.writer.codec, settings_.writer.jpegQuality);
  return stream ? std::move(*stream) : std::vector<std::uint8_t>();
}

void PyramidStream::Write(const std::string& path) {
  pool_->Finish();
  DrainFinishedBands();
  for (auto& level : levels_) {
    if (level->rowsIn < level->height || !level->pending.empty()) throw ToolFailure("the picture ended early");
    level->spareBands.clear();
    level->band.reset();
    level->spool.seekg(0);
  }
  KtqWriter writer(settings_.writer);
  const bool written = builder_.WriteStreams(writer, path, EncodeThumbnail(), [this](int index, std::vector<std::uint8_t>& stream) {
    Level& level = *levels_[static_cast<size_t>(index)];
    if (level.nextRead >= level.lengths.size()) return false;
    stream.resize(level.lengths[level.nextRead++]);
    level.spool.read(reinterpret_cast<char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    return static_cast<bool>(level.spool);
  });
  if (!written) {
    throw ToolFailure(writer.LastError().empty() ? "cannot read back the tiles spooled for " + path : writer.LastError());
  }
}

}  // namespace zolvex::ktqtool
