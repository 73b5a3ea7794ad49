// Tiles over loopback: every tile of the top level of a 4096 x 4096 image (16 x 16 tiles of
// 256 x 256, JPEG) fetched from an in-process tile server through one pipelined connection
// and decoded, beside the local-file rate for the same level of the same file. The ratio
// of the two (the "vs_local" counter) is the figure to watch: it is what the protocol,
// the server and the socket cost on top of reading the file.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>

#include "apps/ktqserve/KtqServer.h"
#include "image/qmImage.h"
#include "platform/Files.h"
#include "tiles/CKTQConnectionHandler.h"
#include "tiles/KtqLocalFile.h"
#include "tiles/KtqWriter.h"

namespace {

using namespace zolvex;

constexpr int kTileSize = 256;
constexpr int kTopTiles = 16;
constexpr int kLevels = 3;  // 2 x 2, 4 x 4, 16 x 16 tiles

int TilesAcross(int level) { return level == kLevels - 1 ? kTopTiles : 2 << level; }

// Smooth colours with edges and texture, different for every tile.
qmImage MakeTile(int column, int row) {
  qmImage tile(kTileSize, kTileSize, 24);
  for (int y = 0; y < kTileSize; ++y) {
    std::uint8_t* pixel = tile.getRow(y);
    for (int x = 0; x < kTileSize; ++x, pixel += 3) {
      pixel[0] = static_cast<std::uint8_t>((x * 3 + column * 40) / 4);
      pixel[1] = static_cast<std::uint8_t>((y * 3 + row * 40) / 4);
      pixel[2] = static_cast<std::uint8_t>(((x / 32 + y / 32) % 2) * 100 + (x ^ y) % 48);
    }
  }
  return tile;
}

class BenchImage {
 public:
  BenchImage() {
    folder_ = std::filesystem::path(platform::TempFolder()) /
              ("zolvex-bench-tileserver-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder_);
    KtqWriter writer({.codec = qmFormatJpeg, .scrambled = true, .jpegQuality = 85});
    writer.Begin((folder_ / "big.ktq").string(), kLevels, writer.Encode(MakeTile(0, 0)));
    for (int level = 0; level < kLevels; ++level) {
      writer.BeginLevel(TilesAcross(level), TilesAcross(level));
      for (int row = 0; row < TilesAcross(level); ++row)
        for (int column = 0; column < TilesAcross(level); ++column) writer.AddTile(MakeTile(column, row));
    }
    if (!writer.Finish()) throw std::runtime_error(writer.LastError());
  }
  ~BenchImage() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string Root() const { return folder_.string(); }
  std::string File() const { return (folder_ / "big.ktq").string(); }

 private:
  std::filesystem::path folder_;
};

BenchImage& Image() {
  static BenchImage image;
  return image;
}

double localTilesPerSecond = 0;

// Counts decoded arrivals for the benchmark thread.
class CountingClient : public KtqConnectionClient {
 public:
  void OnLoaded(const ImageDescription&) override {}
  void OnConnectionError(const std::string& text) override {
    std::lock_guard lock(mutex_);
    error_ = text;
    changed_.notify_all();
  }
  void OnTileArrived(std::unique_ptr<ViewImage> image, int, int, int) override {
    std::lock_guard lock(mutex_);
    ++arrived_;
    if (!image) error_ = "a tile did not decode";
    changed_.notify_all();
  }
  void OnFileArrived(const std::string&, const std::optional<std::vector<std::uint8_t>>&) override {}
  void OnServerMessage(const std::string&, const std::string&) override {}

  // Waits for count arrivals; the error text when something failed instead.
  std::string WaitFor(int count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return arrived_ >= count || !error_.empty(); });
    arrived_ = 0;
    return error_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int arrived_ = 0;
  std::string error_;
};

void SetRates(benchmark::State& state) {
  auto tiles = static_cast<double>(state.iterations()) * kTopTiles * kTopTiles;
  state.counters["tiles/s"] = benchmark::Counter(tiles, benchmark::Counter::kIsRate);
}

void BM_LocalReadAndDecodeLevel(benchmark::State& state) {
  KtqLocalFile file;
  if (!file.Open(Image().File())) return state.SkipWithError(file.LastError().c_str());
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (int row = 0; row < kTopTiles; ++row)
      for (int column = 0; column < kTopTiles; ++column) {
        auto tile = file.DecodeTile(kLevels - 1, column, row);
        if (!tile) state.SkipWithError("tile does not decode");
        benchmark::DoNotOptimize(tile.get());
      }
  }
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  localTilesPerSecond = static_cast<double>(state.iterations()) * kTopTiles * kTopTiles / elapsed.count();
  SetRates(state);
}
BENCHMARK(BM_LocalReadAndDecodeLevel)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoopbackFetchAndDecodeLevel(benchmark::State& state) {
  KtqServer::Options options;
  options.root = Image().Root();
  options.port = 0;
  KtqServer server(options);
  std::string error;
  if (!server.Start(error)) return state.SkipWithError(error.c_str());
  KtqConnectionParams params;
  params.host = "127.0.0.1";
  params.port = server.Port();
  params.imagePath = "/big.ktq";
  CountingClient client;
  CKTQConnectionHandler handler(params, client);
  if (!handler.Open()) return state.SkipWithError(handler.LastError().c_str());

  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (int row = 0; row < kTopTiles; ++row)
      for (int column = 0; column < kTopTiles; ++column)
        handler.Enqueue(TileRequest::ForTile(kLevels - 1, column, row, 1));
    std::string failure = client.WaitFor(kTopTiles * kTopTiles);
    if (!failure.empty()) return state.SkipWithError(failure.c_str());
  }
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  handler.Close();
  SetRates(state);
  double rate = static_cast<double>(state.iterations()) * kTopTiles * kTopTiles / elapsed.count();
  if (localTilesPerSecond > 0) state.counters["vs_local"] = rate / localTilesPerSecond;
}
BENCHMARK(BM_LoopbackFetchAndDecodeLevel)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
