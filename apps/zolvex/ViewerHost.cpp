#include "apps/zolvex/ViewerHost.h"

#include "documents/CReaderException.h"
#include "documents/MapDocument.h"
#include "image/qmImageUtils.h"

namespace zolvex::host {

ViewerHost::ViewerHost(platform::Platform& platform, const HostOptions& options)
    : platform_(platform), options_(options), view_(std::make_unique<FlipMapView>(platform)) {
  // Errors reach the host's listener instead of a message box; the program prints them.
  view_->SetBrowserProperty("CustomErrorHandling", "yes");
  for (const auto& [name, value] : options.params) view_->SetBrowserProperty(name, value);
  view_->SetNavigationListener(this);
  platform_.Window().SetListener(this);
  OnSize(platform_.Window().ClientSize());
  platform_.Window().SetTimer(kRedrawTimer, 300, [this] {
    if (view_->NeedsRedraw()) view_->Redraw();
  });
}

ViewerHost::~ViewerHost() {
  platform_.Window().KillTimer(kRedrawTimer);
  platform_.Window().SetListener(nullptr);
  view_->SetNavigationListener(nullptr);
}

bool ViewerHost::Open(std::string& error) {
  if (options_.url.empty()) {
    view_->Redraw();
    return true;
  }
  lastError_.clear();
  std::string opened = view_->OpenUrl(options_.url, true, 0, 0, 0);
  if (opened.empty() || !view_->HasValidDocument()) {
    error = lastError_.empty() ? "cannot open " + options_.url : lastError_;
    return false;
  }
  view_->Redraw();
  return true;
}

void ViewerHost::OnError(const CReaderException& error) { lastError_ = error.Message(); }

bool ViewerHost::FrameComplete() {
  if (!options_.url.empty() && !view_->HasValidDocument()) return false;
  view_->Redraw();
  return view_->PendingTileCount() == 0;
}

bool ViewerHost::SaveFrame(const std::string& file) {
  const platform::Surface* frame = view_->BackBuffer();
  if (!frame) return false;
  auto image = view_->CaptureImage(0, 0, frame->Width(), frame->Height());
  return image && qmImageUtils::saveImage(*image, file);
}

void ViewerHost::OnSize(platform::Size size) {
  view_->InitSurfaces(size.width, size.height);
  view_->Redraw();
}

const platform::Surface* ViewerHost::OnPaint() { return view_->BackBuffer(); }

namespace {
// The view's mouse-key flags: 1 left button, 4 Shift, 8 Control.
unsigned ViewFlags(unsigned modifiers) {
  unsigned flags = 0;
  if (modifiers & platform::kModLeftButton) flags |= 1;
  if (modifiers & platform::kModShift) flags |= 4;
  if (modifiers & platform::kModControl) flags |= 8;
  return flags;
}
}  // namespace

void ViewerHost::OnMouse(const platform::MouseEvent& event) {
  const int x = event.point.x, y = event.point.y;
  const std::uint64_t now = platform_.TimeSource().NowMs();
  unsigned flags = ViewFlags(event.modifiers);
  bool left = event.button == platform::MouseButton::Left;
  bool right = event.button == platform::MouseButton::Right;
  switch (event.action) {
    case platform::MouseAction::Move: view_->OnMouseMove(x, y, flags, now); break;
    case platform::MouseAction::Down:
    case platform::MouseAction::DoubleClick:
      if (left) view_->OnLButtonDown(x, y, flags | 1, now);
      if (right) view_->OnRButtonDown(x, y, flags, now);
      break;
    case platform::MouseAction::Up:
      if (left) view_->OnLButtonUp(x, y, flags & ~1u, now);
      if (right) view_->OnRButtonUp(x, y, flags, now);
      break;
    case platform::MouseAction::Leave: view_->OnMouseLeave(); break;
  }
}

void ViewerHost::OnWheel(const platform::WheelEvent& event) { view_->OnWheel(event.delta, event.point.x, event.point.y); }

void ViewerHost::OnKey(const platform::KeyEvent& event) {
  if (event.down) view_->OnKeyDown(event.key, 0, ViewFlags(event.modifiers), platform_.TimeSource().NowMs());
}

}  // namespace zolvex::host
