// zolvex: the desktop host of the viewer. It plays the part of the page that embeds the
// control: it hands the viewer its properties (--param) and URL, shows it in a window or
// renders it headless, and can save the frame (--snapshot).
#include <cstdio>
#include <memory>

#include "apps/zolvex/HostOptions.h"
#include "control/ViewWindow.h"
#include "platform/Platform.h"

namespace {

using namespace zolvex;

int RunSnapshot(platform::Platform& platform, ViewWindow& viewer, const host::HostOptions& options) {
  const std::uint64_t deadline = platform.TimeSource().NowMs() + static_cast<std::uint64_t>(options.timeoutSeconds) * 1000;
  while (!viewer.FrameComplete() && platform.TimeSource().NowMs() < deadline) platform.Window().RunFor(50);
  if (!viewer.SaveFrame(options.snapshot)) {
    std::fprintf(stderr, "zolvex: cannot write %s\n", options.snapshot.c_str());
    return 1;
  }
  std::printf("%s\n", options.snapshot.c_str());
  // The frame is saved as far as it came; an error on the way (a connection lost after
  // loading) is still a failure.
  if (!viewer.LastError().empty()) {
    std::fprintf(stderr, "zolvex: %s\n", viewer.LastError().c_str());
    return 1;
  }
  return 0;
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
  // Errors reach the program instead of a message box; it prints them.
  std::vector<std::pair<std::string, std::string>> properties{{"CustomErrorHandling", "yes"}};
  // --timeout bounds opening too: the tile sources wait no longer than that for an image,
  // unless the page's own "timeout" is given.
  properties.emplace_back("timeout", std::to_string(options->timeoutSeconds * 1000));
  properties.insert(properties.end(), options->params.begin(), options->params.end());
  ViewWindow viewer(*platform, properties);
  if (options->url.empty()) {
    viewer.View().Redraw();
  } else if (!viewer.Open(options->url, error)) {
    std::fprintf(stderr, "zolvex: %s\n", error.c_str());
    return 1;
  }
  if (!options->snapshot.empty()) return RunSnapshot(*platform, viewer, *options);
  if (platform->Kind() == platform::Backend::Headless) {
    std::fprintf(stderr, "zolvex: headless without --snapshot has nothing to show\n");
    return 2;
  }
  platform->Window().Run();
  return 0;
}
