#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "view/FlipMapView.h"
#include "view/NavigationListener.h"

namespace zolvex {

// Binds a view to its window, as the control does for the page: the view gets the
// window's size, paints into it, hears its mouse, wheel and keys, redraws on the
// 300-millisecond check and runs its 100-millisecond tick; loading and errors are
// remembered for the host.
class ViewWindow : public platform::WindowListener, public NavigationListener {
 public:
  static constexpr int kRedrawTimer = 3;
  static constexpr std::uint32_t kRedrawPeriodMs = 300;
  static constexpr int kTickTimer = 4;
  static constexpr std::uint32_t kTickPeriodMs = 100;

  // properties are handed to the view as browser properties, in order.
  ViewWindow(platform::Platform& platform, const std::vector<std::pair<std::string, std::string>>& properties);
  ~ViewWindow() override;

  // Opens url; false (with the error text) when it cannot be opened.
  bool Open(const std::string& url, std::string& error);
  // True once the content is loaded and every tile of the frame has arrived.
  bool FrameComplete();
  // The last error the page would have heard through OnError (empty: none), also one of a
  // document that stayed open, such as a connection lost after loading.
  const std::string& LastError() const { return lastError_; }
  FlipMapView& View() { return *view_; }
  const std::string& LoadedUrl() const { return loadedUrl_; }
  // Saves the current frame (PNG, BMP or JPEG by extension).
  bool SaveFrame(const std::string& file);

  void OnSize(platform::Size size) override;
  const platform::Surface* OnPaint() override;
  void OnMouse(const platform::MouseEvent& event) override;
  void OnWheel(const platform::WheelEvent& event) override;
  void OnKey(const platform::KeyEvent& event) override;

  void OnLoading(const std::string&) override {}
  void OnFollowLink(const std::string&) override {}
  void OnLoaded(const std::string& url) override { loadedUrl_ = url; }
  void OnError(const CReaderException& error) override;

 private:
  void RedrawIfDirty();

  platform::Platform& platform_;
  std::unique_ptr<FlipMapView> view_;
  bool opened_ = false;
  std::string loadedUrl_;
  std::string lastError_;
};

}  // namespace zolvex
