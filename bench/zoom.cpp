// Frames per second of the zoom animation at 1920 x 1080: the stretch of the stored frame
// alone (zooming in and out), and whole zooms through the view, whose frames also pay for
// the capture of the old frame and the composition of the new one. Goal: 60 frames per
// second or more. The pauses between frames pass on a simulated clock; run it on one core
// (taskset -c 0).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/MapDocument.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "view/DocumentFactory.h"
#include "view/FlipMapView.h"
#include "view/SmoothZoom.h"

namespace {

using namespace zolvex;

constexpr int kWidth = 1920, kHeight = 1080;

// Every frame takes one step of the simulated clock; the pauses take none of real time.
class StretchHost : public ZoomFrameHost {
 public:
  StretchHost(platform::Surface& frame, const platform::Surface& stored) : frame_(frame), stored_(stored) {}
  std::uint64_t NowMs() override { return now_; }
  bool DrawFrame(const platform::Rect& source) override {
    frame_.Blit(stored_, source, frame_.Bounds());
    return true;
  }
  void ShowFrame() override { now_ += 1; }
  void Pause(std::uint32_t ms) override { now_ += ms; }

 private:
  platform::Surface& frame_;
  const platform::Surface& stored_;
  std::uint64_t now_ = 0;
};

void Paint(platform::Surface& surface) {
  platform::Pixel* pixels = surface.Lock();
  for (int y = 0; y < surface.Height(); ++y)
    for (int x = 0; x < surface.Width(); ++x)
      pixels[static_cast<size_t>(y) * surface.StridePixels() + x] =
          0xFF000000u | static_cast<platform::Pixel>((x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x ^ y) & 0xFF));
  surface.Unlock();
}

void BM_Stretch(benchmark::State& state, bool zoomIn) {
  platform::Surface frame(kWidth, kHeight), stored(kWidth, kHeight);
  Paint(stored);
  ZoomRequest request;
  request.anchorX = kWidth / 3;
  request.anchorY = kHeight / 3;
  request.ratioX = request.ratioY = zoomIn ? 2.0 : 0.5;
  const SmoothZoom zoom(zoomIn, request, {kWidth, kHeight});
  std::int64_t frames = 0;
  for (auto _ : state) {
    StretchHost host(frame, stored);
    frames += zoom.Play(host);
  }
  state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_Stretch, ZoomIn, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Stretch, ZoomOut, false)->Unit(benchmark::kMillisecond);

// Two levels of a picture without tiles: each frame is the background, so what is
// measured is the animation's own work.
class TwoLevels : public MapDocument {
 public:
  TwoLevels() { SetReady(true); }
  int CollectDrawItems(std::vector<MapObject*>& items, int, int, int, int, int, int) override {
    return static_cast<int>(items.size());
  }
  int GetLevelWidth(int level) override { return level == 0 ? 4096 : 8192; }
  int GetLevelHeight(int level) override { return level == 0 ? 2304 : 4608; }
  int GetWidth() override { return GetLevelWidth(GetLevel()); }
  int GetHeight() override { return GetLevelHeight(GetLevel()); }
  int GetFullWidth() override { return 8192; }
  int GetFullHeight() override { return 4608; }
  double GetScaleX() override { return GetWidth() / 8192.0; }
  double GetScaleY() override { return GetHeight() / 4608.0; }
  int GetLevelCount() override { return 2; }
};

void BM_ZoomThroughView(benchmark::State& state) {
  platform::PlatformOptions options;
  options.width = kWidth;
  options.height = kHeight;
  options.settingsFile = "/tmp/zolvex-bench-zoom.ini";
  options.clock = std::make_shared<platform::ManualClock>(0);
  std::string error;
  auto platform = platform::CreatePlatform(options, error);
  auto& window = static_cast<platform::HeadlessWindowHost&>(platform->Window());
  window.SetFrameIntervalMs(1);
  FlipMapView view(*platform);
  view.InitSurfaces(kWidth, kHeight);
  DocumentConstructors constructors;
  constructors.tiledImage = [](MapView&, const std::string&) { return std::make_unique<TwoLevels>(); };
  view.SetDocumentFactory(std::make_unique<DocumentFactory>(constructors));
  view.OpenUrl("/bench/zoom.ktq", true, 0, 0, 0);
  view.SetBrowserProperty("BackgroundColor", "#336699");
  const int before = window.PresentCount();
  bool in = true;
  for (auto _ : state) {
    view.ZoomTo(in ? 1 : 0, 2000, 1000, true);
    in = !in;
  }
  state.counters["frames/s"] = benchmark::Counter(double(window.PresentCount() - before), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ZoomThroughView)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
