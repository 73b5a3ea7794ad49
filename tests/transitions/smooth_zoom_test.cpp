// The zoom animations through the view, on a headless window whose manual clock moves one
// display refresh per presented frame: each level's picture says in its pixels which
// level pixel it is (red = x, green = y, blue = the level), so a frame tells which part
// of which level it stretches.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/documents/GridDocument.h"
#include "tests/transitions/ShownFrames.h"
#include "tiles/CComponentTile.h"
#include "view/DocumentFactory.h"
#include "view/FlipMapView.h"
#include "view/SmoothZoom.h"

using namespace zolvex;

namespace {

constexpr int kWidth = 200, kHeight = 100;

int LevelShade(int level) { return 40 + 100 * level; }

// Two levels, 400 × 200 and 800 × 400, each one tile whose pixels name their place.
class CoordinateDocument : public test::GridDocument {
 public:
  explicit CoordinateDocument(const std::string& url) : GridDocument({{400, 200}, {800, 400}}, url) {
    for (int level = 0; level < 2; ++level) {
      const int w = GetLevelWidth(level), h = GetLevelHeight(level);
      auto image = std::make_unique<ViewImage>(w, h, 24);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image->setPixelColor(x, y, qmMakeColor(x % 256, y % 256, LevelShade(level)));
      tiles_[level] = std::make_unique<CComponentTile>(level, 0, 0, w, h, w, h);
      tiles_[level]->SetImage(std::move(image), false);
    }
  }
  int CollectDrawItems(std::vector<MapObject*>& items, int, int, int, int, int, int) override {
    items.push_back(tiles_[GetLevel()].get());
    items.insert(items.end(), overlays.begin(), overlays.end());
    return static_cast<int>(items.size());
  }
  std::vector<MapObject*> overlays;  // not owned

 private:
  std::unique_ptr<CComponentTile> tiles_[2];
};

// An overlay object that notes how each drawing found it.
class ProbeObject : public MapObject {
 public:
  struct Drawn {
    int renderMode;
    platform::Rect reference;
    bool suspended;
  };
  ProbeObject(bool screenCoordinates, bool windowed) : MapObject(10, 10, 20, 20), windowed_(windowed) {
    SetScreenCoordinates(screenCoordinates);
  }
  bool IsWindowed() const override { return windowed_; }
  void Draw() override { drawn.push_back({GetRenderMode(), GetReferenceRect(), IsSuspended()}); }
  void Suspend() override {
    MapObject::Suspend();
    ++suspends;
  }
  std::vector<Drawn> drawn;
  int suspends = 0;

 private:
  bool windowed_;
};

// A shown pixel: the level pixel it shows and the level.
struct Shown {
  int x, y, level;
};

Shown Read(platform::Pixel p) {
  const int blue = p & 0xFF;
  return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), blue == LevelShade(1) ? 1 : blue == LevelShade(0) ? 0 : -1};
}

using Frame = test::ShownFrame;

Shown ShownAt(const Frame& frame, int x, int y) { return Read(frame.PixelAt(x, y)); }

class SmoothZoomTest : public test::ShownFramesTest {
 protected:
  SmoothZoomTest() : ShownFramesTest({kWidth, kHeight}) {}
  void SetUp() override {
    ShownFramesTest::SetUp();
    if (HasFatalFailure()) return;
    DocumentConstructors constructors;
    constructors.tiledImage = [](MapView&, const std::string& url) { return std::make_unique<CoordinateDocument>(url); };
    view_->SetDocumentFactory(std::make_unique<DocumentFactory>(constructors));
    ASSERT_FALSE(view_->OpenUrl("/data/coordinates.ktq", true, 0, 0, 0).empty());
  }
  // Zooms from a level and position around a point of the old level; answers the frames.
  const std::vector<Frame>& Zoom(int from, platform::Point position, int to, platform::Point anchor, bool keepPoint) {
    view_->GetDocument()->SetLevel(from);
    view_->SetPosition(position.x, position.y, true, false);
    frames_.clear();
    start_ = clock_->NowMs();
    view_->ZoomTo(to, anchor.x, anchor.y, keepPoint);
    return frames_;
  }
  Shown Now(int x, int y) const { return Read(view_->BackBuffer()->PixelAt(x, y)); }

  std::uint64_t start_ = 0;
};

}  // namespace

TEST_F(SmoothZoomTest, ZoomingInMagnifiesTheOldFrameForThreeHundredMilliseconds) {
  const auto& frames = Zoom(0, {0, 0}, 1, {100, 50}, true);
  // A frame every refresh and 10 ms pause while less than 300 ms have passed.
  ASSERT_EQ(frames.size(), 12u);
  EXPECT_LT(frames.back().time - start_, 300u + kRefreshMs);
  // The first frame is the old one; the window's corner then moves in on the middle half.
  EXPECT_EQ(ShownAt(frames.front(), 0, 0).level, 0);
  EXPECT_LE(ShownAt(frames.front(), 0, 0).x, 1);
  int previous = -1;
  for (const Frame& frame : frames) {
    const Shown corner = ShownAt(frame, 0, 0);
    EXPECT_EQ(corner.level, 0);
    EXPECT_GE(corner.x, previous);
    previous = corner.x;
  }
  EXPECT_GE(ShownAt(frames.back(), 0, 0).x, 45);
  EXPECT_LE(ShownAt(frames.back(), 0, 0).x, 50);
  EXPECT_GE(ShownAt(frames.back(), kWidth - 1, 0).x, 145);
  // Then the new level itself, with the anchor in the middle.
  EXPECT_EQ(Now(0, 0).level, 1);
  EXPECT_EQ(view_->ViewX(), 100);
  EXPECT_EQ(Now(0, 0).x, 100);
}

TEST_F(SmoothZoomTest, TheMagnifiedPartStaysInsideTheWindowNearItsEdges) {
  struct Case {
    int anchorX;     // a window point of the old frame, at view position 0
    int leftShown;   // the level pixel at the frame's left edge at the end, about
    int rightShown;  // and at its right edge
  } cases[] = {
      {5, 0, 100},     // at the left edge the magnified part begins at 0
      {195, 96, 198},  // at the right edge it ends at the window's edge, undistorted
      {100, 48, 152},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.anchorX);
    const auto& frames = Zoom(0, {0, 0}, 1, {c.anchorX, 50}, true);
    ASSERT_FALSE(frames.empty());
    const Frame& last = frames.back();
    EXPECT_NEAR(ShownAt(last, 0, 50).x, c.leftShown, 5);
    EXPECT_NEAR(ShownAt(last, kWidth - 1, 50).x, c.rightShown, 6);
  }
}

TEST_F(SmoothZoomTest, ZoomingOutShrinksTheEnlargedOldWindowIntoTheNewFrame) {
  // From the middle of level 1: the old window is the middle half of the new frame.
  const auto& frames = Zoom(1, {100, 50}, 0, {0, 0}, false);
  ASSERT_EQ(frames.size(), 12u);
  const Shown first = ShownAt(frames.front(), 0, 0);
  EXPECT_EQ(first.level, 0);
  EXPECT_EQ(first.x, 50);
  EXPECT_EQ(first.y, 25);
  int previous = 1000;
  for (const Frame& frame : frames) {
    EXPECT_LE(ShownAt(frame, 0, 0).x, previous);
    previous = ShownAt(frame, 0, 0).x;
  }
  EXPECT_LE(ShownAt(frames.back(), 0, 0).x, 4);
  EXPECT_EQ(Now(0, 0).level, 0);
  EXPECT_EQ(Now(kWidth - 1, 0).x, kWidth - 1);
}

TEST_F(SmoothZoomTest, SettingsTurnTheZoomAnimationsOff) {
  struct Case {
    const char* property;
    const char* value;
    const char* offset;  // "offsetx": a negative one lets the view stand left of the content
    bool animates;
  } cases[] = {
      {"disablesmoothzoom", "yes", "", false},
      {"disablesmoothzoom", "no", "", true},
      {"AlwaysSmoothZoom", "no", "", true},
      {"AlwaysSmoothZoom", "no", "-80", false},  // only while the position is negative
      {"AlwaysSmoothZoom", "", "-80", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.property) + "=" + c.value + " offset " + c.offset);
    view_->SetBrowserProperty(c.property, c.value);
    view_->SetBrowserProperty("offsetx", c.offset);
    EXPECT_EQ(!Zoom(0, {-20, 0}, 1, {80, 50}, true).empty(), c.animates);
    EXPECT_EQ(!Zoom(1, {-40, 50}, 0, {60, 100}, false).empty(), c.animates);
    view_->SetBrowserProperty(c.property, "");
    view_->SetBrowserProperty("offsetx", "");
  }
  // "smoothzoom" "no" keeps the position of a zoom from the second level to the first, still.
  view_->GetDocument()->SetParam("smoothzoom", "no");
  EXPECT_TRUE(Zoom(1, {100, 50}, 0, {200, 100}, false).empty());
  EXPECT_EQ(view_->ViewX(), 100);
  EXPECT_EQ(view_->ViewY(), 50);
}

TEST(SmoothZoom, SourceRectanglesRunBetweenTheWholeWindowAndTheRatioPart) {
  ZoomRequest request;
  request.anchorX = 10;  // left of the part a zoom by 2 can show: moved to 200 ÷ 4
  request.anchorY = 50;
  request.ratioX = request.ratioY = 2.0;
  const SmoothZoom in(true, request, {200, 100});
  EXPECT_EQ(in.SourceAt(0), (platform::Rect{0, 0, 199, 99}));
  EXPECT_EQ(in.SourceAt(150), (platform::Rect{0, 13, 150, 87}));  // centre 75, half width 75
  EXPECT_EQ(in.SourceAt(300), (platform::Rect{0, 25, 100, 75}));
  EXPECT_EQ(in.SourceAt(900), in.SourceAt(300));
  request.ratioX = request.ratioY = 0.5;
  request.anchorX = 100;
  const SmoothZoom out(false, request, {200, 100});
  EXPECT_EQ(out.SourceAt(0), (platform::Rect{50, 25, 150, 75}));
  EXPECT_EQ(out.SourceAt(300), (platform::Rect{0, 0, 199, 99}));
}

TEST_F(SmoothZoomTest, ObjectsThatKeepTheirPlaceOnTheScreenAreDrawnOverEveryFrame) {
  ProbeObject onScreen(true, false), windowed(false, true), inContent(false, false);
  auto& document = static_cast<CoordinateDocument&>(*view_->GetDocument());
  document.overlays = {&onScreen, &windowed, &inContent};
  auto clear = [&] {
    for (ProbeObject* probe : {&onScreen, &windowed, &inContent}) probe->drawn.clear();
  };
  auto remapped = [](const ProbeObject& probe, int mode) {
    size_t count = 0;
    for (const ProbeObject::Drawn& d : probe.drawn) count += d.renderMode == mode;
    return count;
  };

  view_->SetPosition(0, 0, true, false);  // the objects are in the frame the zoom starts from
  clear();
  const size_t zoomInFrames = Zoom(0, {0, 0}, 1, {100, 50}, true).size();
  // Zooming in, each frame draws them over the stretched rectangle it shows.
  EXPECT_EQ(remapped(onScreen, 2), zoomInFrames);
  EXPECT_EQ(remapped(windowed, 2), zoomInFrames);
  EXPECT_EQ(remapped(inContent, 2), 0u);
  const auto first = std::find_if(onScreen.drawn.begin(), onScreen.drawn.end(),
                                  [](const ProbeObject::Drawn& d) { return d.renderMode == 2; });
  ASSERT_NE(first, onScreen.drawn.end());
  EXPECT_EQ(first->reference, (platform::Rect{0, 0, kWidth - 1, kHeight - 1}));
  // The composed frame that follows draws them as usual.
  EXPECT_EQ(onScreen.drawn.back().renderMode, 0);
  EXPECT_EQ(inContent.drawn.back().renderMode, 0);

  clear();
  const size_t zoomOutFrames = Zoom(1, {100, 50}, 0, {0, 0}, false).size();
  // The windowed object is held when the zoom is asked for (the new frame is composed
  // without it moving) and let go in the animation's frames.
  EXPECT_EQ(windowed.suspends, 1);
  EXPECT_EQ(remapped(windowed, -2), zoomOutFrames);
  for (const ProbeObject::Drawn& d : windowed.drawn) EXPECT_TRUE(d.renderMode != -2 || !d.suspended);
  EXPECT_FALSE(windowed.IsSuspended());
  EXPECT_EQ(remapped(onScreen, -2), zoomOutFrames);
  EXPECT_EQ(windowed.GetRenderMode(), 0);
  document.overlays.clear();
}
