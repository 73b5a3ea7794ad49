#include "control/ViewWindow.h"

#include "tools/AreaSaver.h"
#include "view/ClipTools.h"
#include "documents/CReaderException.h"
#include "documents/MapDocument.h"
#include "image/qmImageUtils.h"

namespace zolvex {

namespace {
// The built-in page-turn sound: sound 7 of the view, the WAVE resource 300.
constexpr int kPageSoundNumber = 7;
constexpr int kPageSoundResource = 300;
}  // namespace

ViewWindow::ViewWindow(platform::Platform& platform,
                       const std::vector<std::pair<std::string, std::string>>& properties)
    : platform_(platform), view_(std::make_unique<FlipMapView>(platform)) {
  view_->SetSoundResource(kPageSoundNumber, kPageSoundResource);
  view_->Clipping().SetOutputTools(std::make_unique<AreaSaver>(*view_));
  for (const auto& [name, value] : properties) view_->SetBrowserProperty(name, value);
  view_->SetNavigationListener(this);
  platform_.Window().SetListener(this);
  OnSize(platform_.Window().ClientSize());
  platform_.Window().SetTimer(kRedrawTimer, kRedrawPeriodMs, [this] { RedrawIfDirty(); });
  view_->SetRedrawCheck([this] { RedrawIfDirty(); });
  platform_.Window().SetTimer(kTickTimer, kTickPeriodMs, [this] { view_->OnTick(); });
}

void ViewWindow::RedrawIfDirty() {
  if (view_->NeedsRedraw()) view_->Redraw();
}

ViewWindow::~ViewWindow() {
  platform_.Window().KillTimer(kTickTimer);
  platform_.Window().KillTimer(kRedrawTimer);
  platform_.Window().SetListener(nullptr);
  view_->SetNavigationListener(nullptr);
}

bool ViewWindow::Open(const std::string& url, std::string& error) {
  lastError_.clear();
  std::string opened = view_->OpenUrl(url, true, 0, 0, 0);
  if (opened.empty() || !view_->HasValidDocument()) {
    error = !lastError_.empty()                    ? lastError_
            : !view_->NotContentReason().empty() ? view_->NotContentReason()
                                                 : "cannot open " + url;
    return false;
  }
  opened_ = true;
  view_->Redraw();
  return true;
}

void ViewWindow::OnError(const CReaderException& error) { lastError_ = error.Message(); }

bool ViewWindow::FrameComplete() {
  if (opened_ && !view_->HasValidDocument()) return false;
  view_->Redraw();
  return view_->PendingTileCount() == 0;
}

bool ViewWindow::SaveFrame(const std::string& file) {
  const platform::Surface* frame = view_->BackBuffer();
  if (!frame) return false;
  auto image = view_->CaptureImage(0, 0, frame->Width(), frame->Height());
  return image && qmImageUtils::saveImage(*image, file);
}

void ViewWindow::OnSize(platform::Size size) {
  view_->InitSurfaces(size.width, size.height);
  view_->Redraw();
}

const platform::Surface* ViewWindow::OnPaint() { return view_->BackBuffer(); }

void ViewWindow::OnMouse(const platform::MouseEvent& event) {
  const int x = event.point.x, y = event.point.y;
  const std::uint64_t now = platform_.TimeSource().NowMs();
  const unsigned flags = event.modifiers;
  bool left = event.button == platform::MouseButton::Left;
  bool right = event.button == platform::MouseButton::Right;
  switch (event.action) {
    case platform::MouseAction::Move: view_->OnMouseMove(x, y, flags, now); break;
    case platform::MouseAction::Down:
    case platform::MouseAction::DoubleClick:
      if (left) view_->OnLButtonDown(x, y, flags | platform::kModLeftButton, now);
      if (right) view_->OnRButtonDown(x, y, flags, now);
      break;
    case platform::MouseAction::Up:
      if (left) view_->OnLButtonUp(x, y, flags & ~platform::kModLeftButton, now);
      if (right) view_->OnRButtonUp(x, y, flags, now);
      break;
    case platform::MouseAction::Leave: view_->OnMouseLeave(); break;
  }
}

// The wheel becomes the "wheel" command, which acts by the "WheelAction" property.
void ViewWindow::OnWheel(const platform::WheelEvent& event) {
  view_->Execute("wheel", std::to_string(event.delta) + "," + std::to_string(event.point.x) + "," +
                              std::to_string(event.point.y));
}

void ViewWindow::OnKey(const platform::KeyEvent& event) {
  if (event.down) view_->OnKeyDown(event.key, 0, event.modifiers, platform_.TimeSource().NowMs());
}

}  // namespace zolvex
