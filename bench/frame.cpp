// Composing a 1920 x 1080 frame from 60 cached 256 x 256 tiles, beside a plain memcpy of
// the same number of bytes (the ratio is the figure to watch), and the same frame with
// every tile stretched by 1.5; making a decoded tile's display surface; clearing the frame.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/Platform.h"
#include "view/FlipMapView.h"

namespace {

using namespace zolvex;

constexpr int kWidth = 1920, kHeight = 1080, kTile = 256, kColumns = 10, kRows = 6;

struct FrameSetup {
  FrameSetup() {
    platform::PlatformOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.settingsFile = "/tmp/zolvex-bench-frame.ini";
    std::string error;
    platform = platform::CreatePlatform(options, error);
    view = std::make_unique<FlipMapView>(*platform);
    view->InitSurfaces(kWidth, kHeight);
    for (int i = 0; i < kColumns * kRows; ++i) {
      auto tile = std::make_unique<ViewImage>(kTile, kTile, 24);
      for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) tile->setPixelColor(x, y, qmMakeColor(x, y, i * 4));
      tile->GetSurface();  // cached, as the view keeps it between frames
      tiles.push_back(std::move(tile));
    }
  }
  void Compose(int size) {
    for (int row = 0; row < kRows; ++row)
      for (int column = 0; column < kColumns; ++column)
        view->BlitImage(*tiles[static_cast<size_t>(row * kColumns + column)], 0, 0, kTile, kTile, column * size,
                        row * size, size, size, false, true);
  }
  std::unique_ptr<platform::Platform> platform;
  std::unique_ptr<FlipMapView> view;
  std::vector<std::unique_ptr<ViewImage>> tiles;
};

FrameSetup& Setup() {
  static FrameSetup setup;
  return setup;
}

void BM_ComposeCachedTiles(benchmark::State& state) {
  for (auto _ : state) Setup().Compose(kTile);
  state.SetBytesProcessed(state.iterations() * int64_t{kColumns} * kRows * kTile * kTile * 4);
}
BENCHMARK(BM_ComposeCachedTiles);

void BM_ComposeStretchedTiles(benchmark::State& state) {
  for (auto _ : state) Setup().Compose(kTile * 3 / 2);
  state.SetBytesProcessed(state.iterations() * int64_t{kColumns} * kRows * kTile * kTile * 4);
}
BENCHMARK(BM_ComposeStretchedTiles);

void BM_MakeTileSurface(benchmark::State& state) {
  ViewImage& tile = *Setup().tiles.front();
  for (auto _ : state) {
    tile.ReleaseSurface();
    benchmark::DoNotOptimize(tile.GetSurface());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kTile} * kTile * 4);
}
BENCHMARK(BM_MakeTileSurface);

void BM_ClearFrame(benchmark::State& state) {
  auto& frame = const_cast<platform::Surface&>(*Setup().view->BackBuffer());
  for (auto _ : state) frame.Fill(frame.Bounds(), 0x336699);
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}
BENCHMARK(BM_ClearFrame);

void BM_MemcpySameBytes(benchmark::State& state) {
  const size_t bytes = size_t{kColumns} * kRows * kTile * kTile * 4;
  std::vector<char> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpySameBytes);

}  // namespace

BENCHMARK_MAIN();
