#include "view/ClipTools.h"

#include "documents/MapDocument.h"
#include "objects/ClipperObject.h"
#include "platform/TextValues.h"
#include "platform/ArgumentScanner.h"
#include "view/CommandInterpreter.h"
#include "view/MapView.h"

namespace zolvex {

namespace {

// The panel's own commands, which the interpreter passes on.
bool IsPanelCommand(const std::string& key) {
  return key == "clipout" || key == "clipline" || key == "cliptext" || key == "clipdel" || key == "clipsave";
}

// The rest of an argument after the numbers and their comma: an optional file name.
std::string FileAfter(ArgumentScanner& scanner) {
  if (!scanner.Literal(',')) return {};
  return std::string(scanner.Rest());
}

}  // namespace

ClipTools::ClipTools(MapView& view)
    : view_(view), frame_(std::make_unique<ClipperObject>(0, 0, -1, -1)), panel_(view) {
  frame_->SetLayer(kFrameLayer);
  frame_->SetVisible(false);
  frame_->SetView(&view);
}

ClipTools::~ClipTools() = default;

bool ClipTools::Execute(const std::string& command, const std::string& argument) {
  const std::string key = ToLower(command);
  if (key == "clipedit") {
    panel_.SetClipMode(!IsNo(argument));
    return true;
  }
  if (key == "clippos") return PlaceFrame(argument);
  if (IsPanelCommand(key)) return panel_.Notify(key);
  if (!tools_) return false;
  if (key == "saverect") return SaveRect(argument);
  if (key == "savepage" || key == "savehpage") return SavePage(argument, key == "savehpage");
  if (key == "copy") {
    CopyClipArea();
    return true;
  }
  if (key == "wallpaper") {
    SetWallpaper();
    return true;
  }
  return false;
}

std::optional<std::string> ClipTools::ReadProperty(const std::string& key) {
  if (key == "selector") return IsSelectorVisible() ? "yes" : "no";
  if (key == "clipstring") return panel_.GetClipString();
  if (key == "clippos") {
    return std::to_string(frame_->GetX()) + "," + std::to_string(frame_->GetY()) + "," +
           std::to_string(frame_->GetWidth()) + "," + std::to_string(frame_->GetHeight());
  }
  return std::nullopt;
}

bool ClipTools::WriteProperty(const std::string& key, const std::string& value) {
  if (key != "selector") return false;
  SetSelectorVisible(IsYes(value));
  return true;
}

void ClipTools::OnDocumentOpened(MapDocument& document) {
  frame_->SetVisible(false);
  frame_->SetVirtualSize(document.GetFullWidth(), document.GetFullHeight());
  panel_.Bind(document);
}

platform::Rect ClipTools::GetClipRect() const {
  if (!IsSelectorVisible()) return platform::Rect{-1, -1, -1, -1};
  return platform::Rect::FromSize(frame_->GetX(), frame_->GetY(), frame_->GetWidth(), frame_->GetHeight());
}

bool ClipTools::IsSelectorVisible() const { return frame_->IsVisible(); }

void ClipTools::SetSelectorVisible(bool show) {
  const bool wasVisible = frame_->IsVisible();
  frame_->SetVisible(show);
  if (!view_.GetDocument() || wasVisible == show) return;
  frame_->UpdateScreenRect();
  PlaceFrameIfUnplaced();
  view_.Commands().Redraw();
}

// A frame never placed, or left wholly outside the window, starts in the window: a third
// of its size, a third in from the left and halfway down.
void ClipTools::PlaceFrameIfUnplaced() {
  MapDocument* document = view_.GetDocument();
  if (!frame_->GetProperty("fixed").empty() || !document) return;
  const platform::Rect screen = frame_->GetScreenRect();
  const int viewWidth = view_.GetViewWidth(), viewHeight = view_.GetViewHeight();
  const bool outside = screen.left > viewWidth || screen.top > viewHeight || screen.right < 0 || screen.bottom < 0;
  if (frame_->GetWidth() >= 0 && !outside) return;
  const double sx = document->GetScaleX(), sy = document->GetScaleY();
  if (sx <= 0 || sy <= 0) return;
  frame_->SetRect(static_cast<int>((view_.ViewX() + viewWidth / 3) / sx),
                  static_cast<int>((view_.ViewY() + viewHeight / 2) / sy), static_cast<int>(viewWidth / sx / 3),
                  static_cast<int>(viewHeight / sy / 3));
  frame_->UpdateScreenRect();
}

bool ClipTools::PlaceFrame(const std::string& argument) {
  int values[4] = {0, 0, 0, 0};
  if (ArgumentScanner(argument).Ints(values, 4) < 4) return false;
  frame_->SetRect(values[0], values[1], values[2], values[3]);
  frame_->SetProperty("fixed", "yes");
  frame_->UpdateScreenRect();
  view_.Commands().Redraw();
  return true;
}

std::optional<platform::Rect> ClipTools::FrameAreaAtLevel() const {
  MapDocument* document = view_.GetDocument();
  if (!IsSelectorVisible() || !document || !view_.HasValidDocument()) return std::nullopt;
  const double fullWidth = document->GetFullWidth(), fullHeight = document->GetFullHeight();
  if (fullWidth <= 0 || fullHeight <= 0) return std::nullopt;
  const double rx = document->GetWidth() / fullWidth, ry = document->GetHeight() / fullHeight;
  return platform::Rect::FromSize(static_cast<int>(frame_->GetX() * rx), static_cast<int>(frame_->GetY() * ry),
                                  static_cast<int>(frame_->GetWidth() * rx), static_cast<int>(frame_->GetHeight() * ry));
}

int ClipTools::Save(const std::string& file, const platform::Rect& area, int level) {
  if (!tools_) return -1;
  if (file.empty()) return tools_->SaveAreaAs(area.left, area.top, area.Width(), area.Height(), level, false);
  return tools_->SaveArea(file, area.left, area.top, area.Width(), area.Height(), level, false);
}

int ClipTools::SaveClipArea(const std::string& file) {
  const auto area = FrameAreaAtLevel();
  if (!area) return -1;
  return Save(file, *area, view_.GetDocument()->GetLevel());
}

bool ClipTools::CopyClipArea() {
  const auto area = FrameAreaAtLevel();
  if (!area || view_.IsSuspended() || !tools_) return false;
  return tools_->CopyArea(area->left, area->top, area->Width(), area->Height(), view_.GetDocument()->GetLevel());
}

bool ClipTools::SetWallpaper() {
  MapDocument* document = view_.GetDocument();
  if (!tools_ || !document || !view_.HasValidDocument()) return false;
  if (const auto area = FrameAreaAtLevel()) {
    return tools_->SetWallpaper(area->left, area->top, area->Width(), area->Height(), document->GetLevel());
  }
  return tools_->SetWallpaper(0, 0, document->GetFullWidth(), document->GetFullHeight(),
                              document->GetLevelCount() - 1);
}

// "x,y,width,height,level[,file]", the level counted from 1 (less counts as 1).
bool ClipTools::SaveRect(const std::string& argument) {
  ArgumentScanner scanner(argument);
  int values[5] = {0, 0, 0, 0, 0};
  if (scanner.Ints(values, 5) < 5) return false;
  const int level = std::max(values[4], 1) - 1;
  Save(FileAfter(scanner), platform::Rect::FromSize(values[0], values[1], values[2], values[3]), level);
  return true;
}

// "page,level[,file]": the page's rectangle at that level (page below 1 counts as 0, level
// below 1 as 1); "savehpage" takes half the page's width.
bool ClipTools::SavePage(const std::string& argument, bool half) {
  MapDocument* document = view_.GetDocument();
  ArgumentScanner scanner(argument);
  int values[2] = {0, 0};
  if (!document || !view_.HasValidDocument() || scanner.Ints(values, 2) < 2) return false;
  const int page = std::max(values[0], 0);
  const int level = std::clamp(std::max(values[1], 1) - 1, 0, std::max(document->GetLevelCount() - 1, 0));
  const int viewLevel = document->GetLevel();
  document->SetLevel(level);
  int x = 0, y = 0;
  const bool placed = view_.PageOrigin(page, x, y);
  const double full = document->GetFullWidth(), fullHeight = document->GetFullHeight();
  const int width = full > 0 ? static_cast<int>(document->GetWidth() * view_.GetPageWidth() / full) : 0;
  const int height = fullHeight > 0 ? static_cast<int>(document->GetHeight() * view_.GetPageHeight() / fullHeight) : 0;
  document->SetLevel(viewLevel);
  if (!placed || width <= 0 || height <= 0) return false;
  Save(FileAfter(scanner), platform::Rect::FromSize(x, y, half ? width / 2 : width, height), level);
  return true;
}

}  // namespace zolvex
