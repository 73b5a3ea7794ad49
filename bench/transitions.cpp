// Frames per second of each page transition at 1920 x 1080, drawing only (the pauses the
// effects leave between frames are skipped), beside a memcpy of one frame: the ratio is
// the figure to watch. Goals: the curl and the squeeze at 60 frames per second or more,
// the cross-fade at 120 or more.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "view/PageTransition.h"
#include "view/SurfaceBlend.h"

namespace {

using namespace zolvex;

constexpr int kWidth = 1920, kHeight = 1080;
// Each play runs about this many frames: the clock moves one step per frame (and by the
// effects' pauses, which take no real time here).
constexpr double kDurationMs = 1000;
constexpr std::uint64_t kStepMs = 10;

class CountingHost : public TransitionHost {
 public:
  std::uint64_t NowMs() override { return now_; }
  void ShowFrame() override {
    ++frames;
    now_ += kStepMs;
  }
  // Simulated time: the pause passes without waiting.
  void Pause(std::uint32_t ms) override { now_ += ms; }
  void PlayFlipSound() override {}
  std::int64_t frames = 0;

 private:
  std::uint64_t now_ = 0;
};

void Paint(platform::Surface& surface, int seed) {
  platform::Pixel* pixels = surface.Lock();
  for (int y = 0; y < surface.Height(); ++y)
    for (int x = 0; x < surface.Width(); ++x)
      pixels[static_cast<size_t>(y) * surface.StridePixels() + x] =
          0xFF000000u | static_cast<platform::Pixel>(((x + seed) & 0xFF) << 16 | ((y * 3) & 0xFF) << 8 | (seed * 40));
  surface.Unlock();
}

struct Pages {
  Pages() : frame(kWidth, kHeight), oldPage(kWidth, kHeight), newPage(kWidth, kHeight) {
    Paint(oldPage, 0);
    Paint(newPage, 3);
  }
  platform::Surface frame, oldPage, newPage;
};

Pages& Shared() {
  static Pages pages;
  return pages;
}

void BM_Effect(benchmark::State& state, const char* effect, bool onePage) {
  Pages& pages = Shared();
  const TransitionStage stage{pages.frame, pages.oldPage, pages.newPage, {0, 0}, {kWidth, kHeight},
                              {kWidth, kHeight}, kPixelFormat32};
  std::int64_t frames = 0;
  for (auto _ : state) {
    CountingHost host;
    PlayTransitionEffect(effect, 0, kDurationMs, onePage, stage, host);
    frames += host.frames;
  }
  state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_Effect, CrossFade, "alpha", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Effect, CurlSpread, "pageturn", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Effect, CurlOnePage, "pageturn", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Effect, SqueezeSpread, "fenceflip", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Effect, SqueezeOnePage, "fenceflip", true)->Unit(benchmark::kMillisecond);

// One frame's bytes copied: the floor any effect's frame stands on.
void BM_MemcpyFrame(benchmark::State& state) {
  std::vector<std::uint32_t> from(size_t{kWidth} * kHeight, 0x00808080u), to(from.size());
  std::int64_t frames = 0;
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * 4);
    benchmark::DoNotOptimize(to.data());
    ++frames;
  }
  state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
