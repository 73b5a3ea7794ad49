#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "view/FlipMapView.h"

namespace zolvex::test {

// A headless platform with the test's own settings file and a view of its window's size
// whose errors reach no message box.
struct HeadlessView {
  std::unique_ptr<platform::Platform> platform;
  std::unique_ptr<FlipMapView> view;

  // Answers false (with a test failure) when the platform cannot be made.
  bool Create(int width, int height, const std::string& settingsFile) {
    platform::PlatformOptions options;
    options.width = width;
    options.height = height;
    options.settingsFile = settingsFile;
    std::string error;
    platform = platform::CreatePlatform(options, error);
    EXPECT_TRUE(platform) << error;
    if (!platform) return false;
    view = std::make_unique<FlipMapView>(*platform);
    view->SetBrowserProperty("CustomErrorHandling", "yes");
    view->InitSurfaces(width, height);
    return true;
  }
};

}  // namespace zolvex::test
