#pragma once
#include <array>
#include <string>

namespace zolvex {

class CComponentRect;
class MapDocument;

// The coloured bookmark tabs of a newspaper: up to eight tabs, each marking one spread or
// none. A tab sits in the left-hand or the right-hand group; an empty tab is short, a set
// one taller (tallest on the spread it marks). Sizes are pixels of the main level.
class NewsBookmarks {
 public:
  static constexpr int kMaxTabs = 8;

  struct Layout {
    int count = 0;      // "BookMarkNum", at most 8
    int leftCount = 0;  // "BookMarkLeftNum", at most 8
    int left = 0;       // "BookMarkLeft"
    int width = 0;      // "BookMarkWidth"
    int spacing = 0;    // "BookMarkSpacing"
    int top = 0;        // "BookMarkTop"
    int height = 0;     // "BookMarkHeight"
    int otherHeight = 0;  // "BookMarkXHeight"
    int emptyTop = 0;     // "BookMarkSTop"
    int emptyHeight = 0;  // "BookMarkSHeight"
    int opacity = 0;      // "BookMarkTransparency"
    int emptyOpacity = 0;  // "BookMarkSTransparency"
    bool fixed = true;     // "BookMark2page": tabs stay fixed to the window
    bool outline = true;   // "BookMarkOutline"
  };

  // The layout from the document's parameters.
  static Layout ReadLayout(MapDocument& document);

  // Makes the tabs and adds them to the document (which owns them). spreadWidth and
  // spreadHeight: the spread at the main level.
  NewsBookmarks(MapDocument& document, const Layout& layout, int spreadCount, int spreadWidth, int spreadHeight,
                int mainLevel);

  int Count() const { return layout_.count; }
  // The spread tab i marks, -1 when it is empty or out of range.
  int SpreadOf(int tab) const;
  CComponentRect* Tab(int tab) const;

  void Set(int tab, int spread);
  void Clear(int tab);
  // Places the set tabs for the spread now shown.
  void Relay(int currentSpread);
  // A new main level: the tabs show only there, at the new spread size.
  void SetMainLevel(int mainLevel, int spreadWidth, int spreadHeight);
  // Where the spread stands in the window at the main level (its left and top margins when
  // the window is larger): tabs fixed to the window keep their places on the spread.
  void SetSpreadMargin(int x, int y);

 private:
  struct Placement {
    int x = 0;
    int y = 0;
    int height = 0;
  };

  // The tab's left edge in its group.
  int GroupX(int tab) const;
  // The left edge of an empty tab (and of every tab while the tabs are fixed to the window).
  int EmptyX(int tab) const;
  void Place(int tab, int x, int y, int height);
  // Puts the tab where it was last placed, with the spread's margin when it is fixed.
  void Apply(int tab);

  Layout layout_;
  int spreadCount_;
  int spreadWidth_;
  int spreadHeight_;
  std::array<int, kMaxTabs> spreads_;
  std::array<CComponentRect*, kMaxTabs> tabs_{};
  std::array<Placement, kMaxTabs> placed_{};  // relative to the spread
  int marginX_ = 0;
  int marginY_ = 0;
};

}  // namespace zolvex
