#include "documents/modes/NewsSpine.h"

#include <memory>

#include "documents/MapDocument.h"
#include "net/Pictures.h"
#include "objects/CComponentRect.h"

namespace zolvex {

namespace {

// The opacity of each line, from the leading page towards the spine and past it.
constexpr int kLineOpacity[NewsSpine::kLineCount] = {5,  10, 20, 25, 30, 40,  45,  50,  60,  65,
                                                     70, 75, 80, 85, 85, 90,  90,  115, 188, 197,
                                                     161, 139, 105, 80, 60, 40, 30, 20, 10};
constexpr platform::Color kLineColor = 0x606060;
constexpr int kSpineLayer = 0;

std::unique_ptr<CComponentRect> MakeLine(int opacity) {
  auto line = std::make_unique<CComponentRect>(0, 0, 1, 1, "", nullptr, nullptr);
  line->SetLayer(kSpineLayer);
  line->SetColors(kLineColor, kLineColor);
  line->SetFillColor(kLineColor);
  line->SetMouseOverFillColor(kLineColor);
  line->SetOutline(false);
  line->SetKeyTransparent(false);
  line->SetTransparency(opacity);
  return line;
}

}  // namespace

NewsSpine::NewsSpine(MapDocument& document, bool row, bool binder, int offset, int spreadWidth, int spreadHeight,
                     int documentHeight)
    : row_(row), offset_(offset), spreadWidth_(spreadWidth), spreadHeight_(spreadHeight) {
  if (row && binder) {
    std::shared_ptr<ViewImage> picture = LoadBitmapResource("IDB_NEWS_BINDER");
    if (!picture) return;  // no picture, no binder
    binderWidth_ = picture->getWidth();
    auto object = std::make_unique<CComponentRect>(0, 0, binderWidth_, documentHeight, "", picture, picture);
    object->SetLayer(kSpineLayer);
    object->SetKeyTransparent(true);
    object->SetStretch(true);
    binder_ = object.get();
    document.AddObject(std::move(object), false);
    return;
  }
  for (int opacity : kLineOpacity) {
    std::unique_ptr<CComponentRect> line = MakeLine(opacity);
    if (row_) line->SetRect(0, 0, 1, spreadHeight_);
    else line->SetRect(0, 0, spreadWidth_, 1);
    lines_.push_back(line.get());
    document.AddObject(std::move(line), false);
  }
}

void NewsSpine::Show(int x, int y, int levelWidth, int levelHeight) {
  if (binder_) {
    binder_->SetVirtualSize(levelWidth, levelHeight);
    binder_->SetRect(x + spreadWidth_ / 2 - offset_, y, binderWidth_, spreadHeight_);
    binder_->SetVisible(true);
    return;
  }
  for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
    CComponentRect& line = *lines_[i];
    line.SetVirtualSize(levelWidth, levelHeight);
    if (row_) line.SetRect(x + spreadWidth_ / 2 + i - offset_, y, 1, spreadHeight_);
    else line.SetRect(x, y + spreadHeight_ / 2 + i - offset_, spreadWidth_, 1);
    line.SetVisible(true);
  }
}

void NewsSpine::Hide() {
  if (binder_) binder_->SetVisible(false);
  for (CComponentRect* line : lines_) line->SetVisible(false);
}

void NewsSpine::PlaceInRow(int column, int spreadCount) {
  for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
    int x = (column + 1) * spreadWidth_ + i - spreadWidth_ / 2 - offset_;
    if (x < 0) x = spreadWidth_ / 2 + i - offset_;
    lines_[i]->SetVirtualSize(spreadCount * spreadWidth_, spreadHeight_);
    lines_[i]->SetRect(x, 0, 1, spreadHeight_);
  }
}

void NewsSpine::SetSpreadSize(int width, int height) {
  spreadWidth_ = width;
  spreadHeight_ = height;
}

}  // namespace zolvex
