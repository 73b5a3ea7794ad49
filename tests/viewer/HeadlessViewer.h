#pragma once
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/Platform.h"
#include "view/FlipMapView.h"

namespace zolvex::test {

// A headless window of the given size with a settings file and a clock of the test's, and
// a view in it whose errors go to its listener rather than to a message box. Frames are
// held against pictures, so no navigator shows in the corner.
struct HeadlessViewer {
  HeadlessViewer(int width, int height, const std::string& settingsFile, std::shared_ptr<platform::Clock> clock) {
    platform::PlatformOptions options;
    options.width = width;
    options.height = height;
    options.settingsFile = settingsFile;
    options.clock = std::move(clock);
    platform = platform::CreatePlatform(options, error);
    if (!platform) return;
    view = std::make_unique<FlipMapView>(*platform);
    view->SetBrowserProperty("CustomErrorHandling", "yes");
    view->SetBrowserProperty("showthumbnail", "no");
    view->InitSurfaces(width, height);
  }
  ~HeadlessViewer() { view.reset(); }

  std::string error;
  std::unique_ptr<platform::Platform> platform;
  std::unique_ptr<FlipMapView> view;
};

}  // namespace zolvex::test
