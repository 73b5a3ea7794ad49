#pragma once
#include <vector>

namespace zolvex {

class CComponentRect;
class MapDocument;

// The shaded spine down the middle of a spread: 29 lines of growing and fading opacity, or
// (row layout only) the binder picture. The document owns the objects; the spine places
// them over the spread now shown and hides them elsewhere.
class NewsSpine {
 public:
  static constexpr int kLineCount = 29;

  // row: spreads side by side (the spine runs down); binder: the picture instead of lines.
  // spreadWidth, spreadHeight: the spread at the main level; documentHeight: the whole
  // document's height there.
  NewsSpine(MapDocument& document, bool row, bool binder, int offset, int spreadWidth, int spreadHeight,
            int documentHeight);

  bool IsBinder() const { return binder_ != nullptr; }
  // Over the spread whose corner is (x, y) at the current level (levelWidth × levelHeight).
  void Show(int x, int y, int levelWidth, int levelHeight);
  void Hide();
  // Lines only: the spine of column k of a row of spreads in the coordinate space of
  // spreadCount spreads (after a change of scale).
  void PlaceInRow(int column, int spreadCount);
  void SetSpreadSize(int width, int height);
  const std::vector<CComponentRect*>& Lines() const { return lines_; }
  CComponentRect* Binder() const { return binder_; }

 private:
  bool row_;
  int offset_;
  int spreadWidth_;
  int spreadHeight_;
  std::vector<CComponentRect*> lines_;
  CComponentRect* binder_ = nullptr;
  int binderWidth_ = 0;
};

}  // namespace zolvex
