#include "documents/modes/NewsBookmarks.h"

#include <algorithm>
#include <memory>

#include "documents/MapDocument.h"
#include "objects/CComponentRect.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

// Fill and mouse-over fill of each tab.
constexpr const char* kTabFill[NewsBookmarks::kMaxTabs] = {"#F9E5CE", "#F6C7E4", "#EAF8DE", "#DDF1F9",
                                                           "#7DC622", "#AF5D9C", "#F09450", "#8DCFF4"};
constexpr const char* kTabHover[NewsBookmarks::kMaxTabs] = {"#F9F5DE", "#F6D7F4", "#FAF8EE", "#EDF1F9",
                                                            "#8DD632", "#BF6DAC", "#FFA460", "#9DDFFF"};

constexpr int kTabLayer = 2;

int AtMostEight(int value) { return value > 7 ? 8 : value; }

}  // namespace

NewsBookmarks::Layout NewsBookmarks::ReadLayout(MapDocument& document) {
  auto number = [&document](const char* name) { return ParseInt(document.GetParam(name)); };
  Layout layout;
  layout.count = std::max(AtMostEight(number("BookMarkNum")), 0);
  layout.leftCount = AtMostEight(number("BookMarkLeftNum"));
  layout.left = number("BookMarkLeft");
  layout.width = number("BookMarkWidth");
  layout.spacing = number("BookMarkSpacing");
  layout.top = number("BookMarkTop");
  layout.height = number("BookMarkHeight");
  layout.otherHeight = number("BookMarkXHeight");
  layout.emptyTop = number("BookMarkSTop");
  layout.emptyHeight = number("BookMarkSHeight");
  layout.opacity = number("BookMarkTransparency");
  layout.emptyOpacity = number("BookMarkSTransparency");
  layout.fixed = !IsNo(document.GetParam("BookMark2page"));
  layout.outline = !IsNo(document.GetParam("BookMarkOutline"));
  return layout;
}

NewsBookmarks::NewsBookmarks(MapDocument& document, const Layout& layout, int spreadCount, int spreadWidth,
                             int spreadHeight, int mainLevel)
    : layout_(layout), spreadCount_(spreadCount), spreadWidth_(spreadWidth), spreadHeight_(spreadHeight) {
  spreads_.fill(-1);
  for (int i = 0; i < layout_.count; ++i) {
    auto tab = std::make_unique<CComponentRect>(0, 0, 0, 0, "exec:bookmark," + std::to_string(i), nullptr, nullptr);
    tab->SetLayer(kTabLayer);
    tab->SetOutline(layout_.outline);
    tab->SetFillColor(ParseColor(kTabFill[i]).value_or(platform::kNoColor));
    tab->SetMouseOverFillColor(ParseColor(kTabHover[i]).value_or(platform::kNoColor));
    tab->SetKeyTransparent(false);
    tab->SetLevelRange(mainLevel, mainLevel);
    tabs_[i] = tab.get();
    Clear(i);
    document.AddObject(std::move(tab), false);
  }
}

int NewsBookmarks::SpreadOf(int tab) const { return tab >= 0 && tab < layout_.count ? spreads_[tab] : -1; }

CComponentRect* NewsBookmarks::Tab(int tab) const { return tab >= 0 && tab < layout_.count ? tabs_[tab] : nullptr; }

int NewsBookmarks::GroupX(int tab) const {
  if (tab < layout_.leftCount) return layout_.left + tab * (layout_.spacing + layout_.width);
  return spreadWidth_ - (layout_.spacing + layout_.width) * (layout_.count - tab) - layout_.left - 1;
}

int NewsBookmarks::EmptyX(int tab) const {
  if (layout_.fixed || tab >= layout_.leftCount)
    return spreadWidth_ - (layout_.spacing + layout_.width) * (layout_.count - tab) - layout_.left - 1;
  return GroupX(tab);
}

void NewsBookmarks::Place(int tab, int x, int y, int height) {
  placed_[tab] = {x, y, height};
  Apply(tab);
}

void NewsBookmarks::Apply(int tab) {
  CComponentRect& object = *tabs_[tab];
  const Placement& place = placed_[tab];
  const bool fixed = object.IsScreenCoordinates();
  object.SetVirtualSize(spreadCount_ * spreadWidth_, spreadHeight_);
  object.SetRect(place.x + (fixed ? marginX_ : 0), place.y + (fixed ? marginY_ : 0), layout_.width, place.height);
}

void NewsBookmarks::Clear(int tab) {
  if (!Tab(tab)) return;
  spreads_[tab] = -1;
  tabs_[tab]->SetTransparency(layout_.emptyOpacity);
  tabs_[tab]->SetScreenCoordinates(true);
  Place(tab, EmptyX(tab), layout_.emptyTop, layout_.emptyHeight);
}

void NewsBookmarks::Set(int tab, int spread) {
  if (!Tab(tab)) return;
  spreads_[tab] = spread;
  tabs_[tab]->SetTransparency(layout_.opacity);
  int x = EmptyX(tab);
  if (!layout_.fixed) {
    // The tab rides on the spread it marks.
    tabs_[tab]->SetScreenCoordinates(false);
    x += (spread - 1) * spreadWidth_;
  }
  Place(tab, x, layout_.top, layout_.height);
}

void NewsBookmarks::Relay(int currentSpread) {
  for (int i = 0; i < layout_.count; ++i) {
    const int spread = spreads_[i];
    if (spread < 0) continue;
    int x = GroupX(i);
    if (layout_.fixed) {
      // Tabs of earlier spreads move to the other edge, as if they stood on turned pages.
      if (spread < currentSpread) x = spreadWidth_ - x;
    } else {
      x += (spread - 1) * spreadWidth_;
    }
    Place(i, x, layout_.top, spread == currentSpread ? layout_.height : layout_.otherHeight);
  }
}

void NewsBookmarks::SetMainLevel(int mainLevel, int spreadWidth, int spreadHeight) {
  spreadWidth_ = spreadWidth;
  spreadHeight_ = spreadHeight;
  for (int i = 0; i < layout_.count; ++i) {
    tabs_[i]->SetLevelRange(mainLevel, mainLevel);
    // Laid out anew for the spread's size; set tabs are laid out again for the spread shown
    // when the next frame is collected.
    if (spreads_[i] < 0) Clear(i);
    else Set(i, spreads_[i]);
  }
}

void NewsBookmarks::SetSpreadMargin(int x, int y) {
  if (x == marginX_ && y == marginY_) return;
  marginX_ = x;
  marginY_ = y;
  for (int i = 0; i < layout_.count; ++i) Apply(i);
}

}  // namespace zolvex
