// Drafts kept at a fraction of a tile's resolution are drawn enlarged onto the tile's whole
// place, pixel for pixel as if they had been enlarged beforehand, turned pictures included.
#include <gtest/gtest.h>

#include <memory>

#include "tests/transitions/ShownFrames.h"
#include "tiles/CComponentTile.h"

using namespace zolvex;

namespace {

constexpr int kTile = 32, kReduction = 4, kDraft = kTile / kReduction;

// Each pixel of the draft names its place: x in red, y in green.
std::unique_ptr<ViewImage> NamedDraft() {
  auto image = std::make_unique<ViewImage>(kDraft, kDraft, 24);
  for (int y = 0; y < kDraft; ++y)
    for (int x = 0; x < kDraft; ++x) image->setPixelColor(x, y, qmMakeColor(10 + x, 10 + y, 99));
  return image;
}

class TileDraftsTest : public test::ShownFramesTest {
 protected:
  TileDraftsTest() : ShownFramesTest({66, 66}) {}
  // The draft pixel shown at (x, y) of the level, as (x, y) of the draft; (-1, -1) where
  // none is. The view without a document shows the level from where its viewport is.
  platform::Point ShownAt(int x, int y) const {
    const platform::Pixel p = view_->BackBuffer()->PixelAt(x - view_->GetViewportX(), y - view_->GetViewportY());
    if ((p & 0xFF) != 99) return {-1, -1};
    return {static_cast<int>((p >> 16) & 0xFF) - 10, static_cast<int>((p >> 8) & 0xFF) - 10};
  }
};

TEST_F(TileDraftsTest, AReducedDraftFillsItsPlaceEnlargedAndTurned) {
  struct Case {
    int levelWidth, levelHeight, column, row, degrees;
    platform::Rect place;  // in the level
    // The upright level pixel (relative to the tile) that a screen pixel shows.
    platform::Point (*source)(int x, int y);
  } cases[] = {
      // An edge tile: only the 8 × 24 pixels inside the level are drawn.
      {40, 24, 1, 0, 0, {32, 0, 40, 24}, [](int x, int y) { return platform::Point{x - 32, y}; }},
      {64, 64, 0, 0, 0, {0, 0, 32, 32}, [](int x, int y) { return platform::Point{x, y}; }},
      {64, 64, 0, 0, 180, {32, 32, 64, 64}, [](int x, int y) { return platform::Point{63 - x, 63 - y}; }},
      {64, 64, 1, 0, 90, {32, 32, 64, 64}, [](int x, int y) { return platform::Point{y - 32, 63 - x}; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tile " << c.column << "," << c.row << " turned " << c.degrees);
    view_->FillRect(0, 0, 66, 66, 0);
    CComponentTile tile(0, c.column, c.row, kTile, kTile, c.levelWidth, c.levelHeight);
    tile.SetImage(NamedDraft(), true, c.degrees, kReduction);
    tile.SetView(view_.get());
    tile.Draw();
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        const bool inside = c.place.Contains({x, y});
        const platform::Point source = c.source(x, y);
        const platform::Point expected = inside ? platform::Point{source.x / kReduction, source.y / kReduction}
                                                : platform::Point{-1, -1};
        ASSERT_EQ(ShownAt(x, y), expected) << "at " << x << "," << y;
      }
    }
  }
}

}  // namespace
