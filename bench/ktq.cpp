// Local KTQ reading: opening a file of 100,000 tiles (the index read), reading and decoding
// every tile of one level, and beside it the raw decode rate of the same tile streams from
// memory, so that the cost of the file layer shows against the codec's own.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "image/qmImage.h"
#include "platform/Files.h"
#include "tiles/KtqFormat.h"
#include "tiles/KtqLocalFile.h"
#include "tiles/KtqWriter.h"

using namespace zolvex;

namespace {

using zolvex::KtqFormat;
using zolvex::KtqLocalFile;
using zolvex::KtqWriter;

constexpr int kIndexRows = 250;
constexpr int kIndexColumns = 400;  // 100,000 tiles
constexpr int kTileSize = 256;
constexpr int kLevelTiles = 8;  // the decoded level: 8 x 8 tiles of 256 x 256

// A tile with smooth colours and some edges, different for every (column, row).
qmImage MakeTile(int size, int column, int row) {
  qmImage tile(size, size, 24);
  for (int y = 0; y < size; ++y) {
    std::uint8_t* pixel = tile.getRow(y);
    for (int x = 0; x < size; ++x, pixel += 3) {
      pixel[0] = static_cast<std::uint8_t>(x + column * 31);
      pixel[1] = static_cast<std::uint8_t>(y + row * 17);
      pixel[2] = static_cast<std::uint8_t>(((x / 16 + y / 16) % 2) * 120 + (x * y) % 64);
    }
  }
  return tile;
}

// The benchmark files, written once and removed at exit.
class BenchFiles {
 public:
  BenchFiles() {
    folder_ = std::filesystem::path(zolvex::platform::TempFolder()) / ("zolvex-bench-ktq-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder_);
    WriteIndexFile();
    WriteLevelFile();
  }
  ~BenchFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string indexFile;
  std::string levelFile;
  std::vector<std::vector<std::uint8_t>> levelStreams;  // the decoded level's tiles, row-major

 private:
  void WriteIndexFile() {
    indexFile = (folder_ / "index.ktq").string();
    KtqWriter writer({.codec = qmFormatJpeg, .scrambled = true, .jpegQuality = 50});
    auto small = writer.Encode(MakeTile(16, 0, 0));
    writer.Begin(indexFile, 2, small);
    writer.BeginLevel(1, 1);
    writer.AddTileStream(small.data(), small.size());
    writer.BeginLevel(kIndexRows, kIndexColumns);
    for (int k = 0; k < kIndexRows * kIndexColumns; ++k) writer.AddTileStream(small.data(), small.size());
    if (!writer.Finish()) throw std::runtime_error(writer.LastError());
  }
  void WriteLevelFile() {
    levelFile = (folder_ / "level.ktq").string();
    KtqWriter writer({.codec = qmFormatJpeg, .scrambled = true, .jpegQuality = 85});
    writer.Begin(levelFile, 1, {});
    writer.BeginLevel(kLevelTiles, kLevelTiles);
    for (int row = 0; row < kLevelTiles; ++row) {
      for (int column = 0; column < kLevelTiles; ++column) {
        levelStreams.push_back(writer.Encode(MakeTile(kTileSize, column, row)));
        writer.AddTileStream(levelStreams.back().data(), levelStreams.back().size());
      }
    }
    if (!writer.Finish()) throw std::runtime_error(writer.LastError());
  }
  std::filesystem::path folder_;
};

BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

void SetRates(benchmark::State& state, std::int64_t tilesPerIteration, std::int64_t pixelsPerTile) {
  auto tiles = static_cast<double>(state.iterations() * tilesPerIteration);
  state.counters["tiles/s"] = benchmark::Counter(tiles, benchmark::Counter::kIsRate);
  if (pixelsPerTile > 0) {
    state.counters["pixels/s"] = benchmark::Counter(tiles * static_cast<double>(pixelsPerTile), benchmark::Counter::kIsRate);
  }
}

void BM_OpenIndexOf100000Tiles(benchmark::State& state) {
  const std::string& path = Files().indexFile;
  for (auto _ : state) {
    KtqLocalFile file;
    if (!file.ReadLocalFile(path)) state.SkipWithError(file.LastError().c_str());
    benchmark::DoNotOptimize(file.LevelCount());
  }
  SetRates(state, kIndexRows * kIndexColumns, 0);
}
BENCHMARK(BM_OpenIndexOf100000Tiles)->Unit(benchmark::kMillisecond);

void BM_ReadAndDecodeLevel(benchmark::State& state) {
  KtqLocalFile file;
  if (!file.ReadLocalFile(Files().levelFile)) state.SkipWithError(file.LastError().c_str());
  for (auto _ : state) {
    for (int row = 0; row < kLevelTiles; ++row) {
      for (int column = 0; column < kLevelTiles; ++column) {
        auto tile = file.DecodeTile(0, column, row);
        if (!tile) state.SkipWithError("tile does not decode");
        benchmark::DoNotOptimize(tile.get());
      }
    }
  }
  SetRates(state, kLevelTiles * kLevelTiles, kTileSize * kTileSize);
}
BENCHMARK(BM_ReadAndDecodeLevel)->Unit(benchmark::kMillisecond);

// The codec alone: the same streams decoded from memory.
void BM_RawDecodeOfTheSameTiles(benchmark::State& state) {
  const auto& streams = Files().levelStreams;
  for (auto _ : state) {
    for (const auto& stream : streams) {
      auto tile = KtqFormat::DecodeStream(stream.data(), stream.size(), qmFormatJpeg);
      if (!tile) state.SkipWithError("tile does not decode");
      benchmark::DoNotOptimize(tile.get());
    }
  }
  SetRates(state, kLevelTiles * kLevelTiles, kTileSize * kTileSize);
}
BENCHMARK(BM_RawDecodeOfTheSameTiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
