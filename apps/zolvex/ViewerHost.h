#pragma once
#include <memory>
#include <string>

#include "apps/zolvex/HostOptions.h"
#include "platform/Platform.h"
#include "view/FlipMapView.h"
#include "view/NavigationListener.h"

namespace zolvex::host {

// The page's part: it creates the view in the window, hands it the properties, drives
// its timers, paints its frames and hears what it loads.
class ViewerHost : public platform::WindowListener, public NavigationListener {
 public:
  static constexpr int kRedrawTimer = 300;

  ViewerHost(platform::Platform& platform, const HostOptions& options);
  ~ViewerHost() override;

  // Opens the options' URL; false (with the error) when it cannot be opened.
  bool Open(std::string& error);
  // True once a document is loaded and every tile of the frame has arrived.
  bool FrameComplete();
  FlipMapView& View() { return *view_; }
  // Saves the current frame (PNG, BMP or JPEG by extension).
  bool SaveFrame(const std::string& file);

  void OnSize(platform::Size size) override;
  const platform::Surface* OnPaint() override;
  void OnClose() override {}
  void OnMouse(const platform::MouseEvent& event) override;
  void OnWheel(const platform::WheelEvent& event) override;
  void OnKey(const platform::KeyEvent& event) override;

  void OnLoading(const std::string&) override {}
  void OnFollowLink(const std::string&) override {}
  void OnLoaded(const std::string& url) override { loadedUrl_ = url; }
  void OnError(const CReaderException& error) override;

 private:
  platform::Platform& platform_;
  const HostOptions& options_;
  std::unique_ptr<FlipMapView> view_;
  std::string loadedUrl_;
  std::string lastError_;
};

}  // namespace zolvex::host
