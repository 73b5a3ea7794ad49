// zolvex: the desktop host of the viewer. It plays the part of the page that embeds the
// control: it hands the viewer its properties (--param) and URL, shows it in a window or
// renders it headless, and can save the frame (--snapshot).
#include <cstdio>
#include <memory>

#include "apps/zolvex/HostOptions.h"
#include "image/qmImage.h"
#include "image/qmImageUtils.h"
#include "platform/Platform.h"
#include "platform/Surface.h"
#include "platform/TextValues.h"

namespace {

using namespace zolvex;

// Converts the frame to a 24-bit picture for the encoders.
qmImage FrameImage(const platform::Surface& frame) {
  qmImage image(frame.Width(), frame.Height(), 24);
  for (int y = 0; y < frame.Height(); ++y) {
    std::uint8_t* row = image.getRow(y);
    for (int x = 0; x < frame.Width(); ++x) {
      platform::Pixel p = frame.PixelAt(x, y);
      row[x * 3] = static_cast<std::uint8_t>(p);
      row[x * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
      row[x * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
    }
  }
  return image;
}

// Until the view is in place the host shows the background colour it was given.
class HostWindow : public platform::WindowListener {
 public:
  HostWindow(platform::Platform& platform, const host::HostOptions& options)
      : platform_(platform), options_(options) {
    for (const auto& [name, value] : options.params) {
      if (EqualsNoCase(name, "BackgroundColor")) background_ = ParseColor(value).value_or(background_);
    }
    platform_.Window().SetListener(this);
    OnSize(platform_.Window().ClientSize());
  }
  ~HostWindow() override { platform_.Window().SetListener(nullptr); }

  void OnSize(platform::Size size) override {
    frame_ = std::make_unique<platform::Surface>(size.width, size.height);
    Compose();
    platform_.Window().Invalidate();
  }
  const platform::Surface* OnPaint() override { return frame_.get(); }

  bool FrameComplete() const { return true; }
  const platform::Surface& Frame() const { return *frame_; }

 private:
  void Compose() { frame_->Fill(frame_->Bounds(), background_); }

  platform::Platform& platform_;
  const host::HostOptions& options_;
  platform::Color background_ = 0;
  std::unique_ptr<platform::Surface> frame_;
};

int SaveSnapshot(const HostWindow& window, const std::string& file) {
  if (!qmImageUtils::saveImage(FrameImage(window.Frame()), file)) {
    std::fprintf(stderr, "zolvex: cannot write %s\n", file.c_str());
    return 1;
  }
  std::printf("%s\n", file.c_str());
  return 0;
}

int RunSnapshot(platform::Platform& platform, HostWindow& window, const host::HostOptions& options) {
  const std::uint64_t deadline = platform.TimeSource().NowMs() + static_cast<std::uint64_t>(options.timeoutSeconds) * 1000;
  while (platform.TimeSource().NowMs() < deadline) {
    platform.Window().RunFor(50);
    if (window.FrameComplete()) break;
  }
  return SaveSnapshot(window, options.snapshot);
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto options = host::ParseHostOptions(argc, argv, error);
  if (!options) {
    std::fprintf(stderr, "zolvex: %s (try zolvex --help)\n", error.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(host::HostUsage().c_str(), stdout);
    return 0;
  }
  platform::PlatformOptions platformOptions;
  platformOptions.width = options->width;
  platformOptions.height = options->height;
  bool wantWindow = !options->headless && options->snapshot.empty();
  platformOptions.backend = wantWindow && platform::DisplayAvailable() ? platform::Backend::Gtk
                                                                       : platform::Backend::Headless;
  if (wantWindow && platformOptions.backend == platform::Backend::Headless) {
    std::fprintf(stderr, "zolvex: no display; rendering headless\n");
  }
  auto platform = platform::CreatePlatform(platformOptions, error);
  if (!platform) {
    std::fprintf(stderr, "zolvex: %s\n", error.c_str());
    return 1;
  }
  HostWindow window(*platform, *options);
  if (!options->snapshot.empty()) return RunSnapshot(*platform, window, *options);
  if (platform->Kind() == platform::Backend::Headless) {
    std::fprintf(stderr, "zolvex: headless without --snapshot has nothing to show\n");
    return 2;
  }
  platform->Window().Run();
  return 0;
}
