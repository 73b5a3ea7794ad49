#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "tests/support/TestSupport.h"
#include "view/FlipMapView.h"

namespace zolvex::test {

// A frame the window showed at once, with the clock's time when it was shown.
struct ShownFrame {
  std::uint64_t time;
  int width;
  std::vector<platform::Pixel> pixels;
  platform::Pixel PixelAt(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The window shows the view's back buffer, as the control's paint handler does.
class BackBufferPainter : public platform::WindowListener {
 public:
  explicit BackBufferPainter(FlipMapView& view) : view_(view) {}
  const platform::Surface* OnPaint() override { return view_.BackBuffer(); }

 private:
  FlipMapView& view_;
};

// A FlipMapView on a headless window whose manual clock moves one display refresh per
// frame shown at once; every such frame is kept in frames_.
class ShownFramesTest : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kRefreshMs = 16;

  explicit ShownFramesTest(platform::Size size) : size_(size) {}

  void SetUp() override {
    platform::PlatformOptions options;
    options.width = size_.width;
    options.height = size_.height;
    options.settingsFile = dir_.File("settings.ini");
    options.clock = clock_;
    std::string error;
    platform_ = platform::CreatePlatform(options, error);
    ASSERT_TRUE(platform_) << error;
    view_ = std::make_unique<FlipMapView>(*platform_);
    view_->InitSurfaces(size_.width, size_.height);
    painter_ = std::make_unique<BackBufferPainter>(*view_);
    Window().SetListener(painter_.get());
    Window().SetFrameIntervalMs(kRefreshMs);
    Window().SetFrameSink([this](const platform::Surface& frame) {
      ShownFrame shown{clock_->NowMs(), size_.width, {}};
      for (int y = 0; y < size_.height; ++y)
        for (int x = 0; x < size_.width; ++x) shown.pixels.push_back(frame.PixelAt(x, y));
      frames_.push_back(std::move(shown));
    });
  }
  void TearDown() override {
    Window().SetFrameSink(nullptr);
    Window().SetListener(nullptr);
  }
  platform::HeadlessWindowHost& Window() { return static_cast<platform::HeadlessWindowHost&>(platform_->Window()); }

  platform::Size size_;
  TempDir dir_;
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(1000);
  std::unique_ptr<platform::Platform> platform_;
  std::unique_ptr<FlipMapView> view_;
  std::unique_ptr<BackBufferPainter> painter_;
  std::vector<ShownFrame> frames_;
};

}  // namespace zolvex::test
