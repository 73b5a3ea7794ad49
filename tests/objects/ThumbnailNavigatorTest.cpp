#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "image/ViewImage.h"
#include "objects/ThumbnailNavigator.h"
#include "tests/objects/RecordingView.h"

namespace zolvex {
namespace {

using test::RecordingView;
using Call = RecordingView::DrawCall;

constexpr long long kWhite = 0xFFFFFF;
constexpr long long kRed = platform::MakeColor(0xFF, 0x5A, 0x5A);
constexpr long long kYellow = platform::MakeColor(0xFF, 0xFF, 0x00);

// A navigator over a 4000 x 3000 level (content 8000 x 6000 at half scale) in an 800 x 600
// window whose centre is at level pixel (1200, 900): the third of five levels.
class NavigatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.viewWidth = 800;
    view.viewHeight = 600;
    view.viewportX = 800;
    view.viewportY = 600;
    Show(8000, 6000, 0.5);
  }
  void Show(int contentWidth, int contentHeight, double scale) {
    view.ShowDocument(contentWidth, contentHeight, scale);
    view.metrics->level = 2;
    view.metrics->levelCount = 5;
  }
  void Make(std::shared_ptr<ViewImage> picture = nullptr) {
    navigator = std::make_unique<ThumbnailNavigator>(std::move(picture), 8000, 6000);
    navigator->SetView(&view);
  }
  std::vector<Call> Named(const std::string& name) const {
    std::vector<Call> found;
    for (const Call& call : view.draws)
      if (call.name == name) found.push_back(call);
    return found;
  }

  RecordingView view;
  std::unique_ptr<ThumbnailNavigator> navigator;
};

struct SizeCase {
  const char* what;
  int levelWidth, levelHeight;
  const char* maxSize;
  int pictureWidth, pictureHeight;  // 0: no picture
  int width, height;
};

TEST_F(NavigatorTest, SizesFollowTheLevelTheWindowThePictureAndTheMaximum) {
  const SizeCase cases[] = {
      {"taller share: a sixth of the window height", 4000, 3000, "", 0, 0, 133, 100},
      {"ThumbnailMaxSize limits the larger side", 4000, 3000, "50", 0, 0, 50, 37},
      {"a maximum below 1 counts as 300", 4000, 3000, "0", 0, 0, 133, 100},
      {"wide level: a sixth of the window width", 8000, 1000, "", 0, 0, 133, 16},
      {"never thinner than 10", 100000, 1000, "", 0, 0, 133, 10},
      {"a smaller picture keeps its own size", 4000, 3000, "", 60, 45, 60, 45},
      {"a picture smaller one way only does not", 4000, 3000, "", 200, 45, 133, 100},
      {"a level that fits needs none", 800, 600, "", 0, 0, 0, 0},
      {"a tall level with the larger side limited", 1000, 8000, "40", 0, 0, 4, 40},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.what);
    view.browserProperties = {{"ThumbnailMaxSize", c.maxSize}};
    Show(c.levelWidth, c.levelHeight, 1.0);
    Make(c.pictureWidth ? std::make_shared<ViewImage>(c.pictureWidth, c.pictureHeight, 24) : nullptr);
    navigator->UpdateScreenRect();
    EXPECT_EQ(navigator->GetScreenWidth(), c.width);
    EXPECT_EQ(navigator->GetScreenHeight(), c.height);
  }
}

TEST_F(NavigatorTest, DrawsPictureFrameMarkerAndLabelsInTheBottomRightCorner) {
  auto picture = std::make_shared<ViewImage>(400, 300, 24);
  Make(picture);
  navigator->Draw();
  EXPECT_EQ(navigator->GetScreenRect(), platform::Rect::FromSize(664, 485, 133, 100));

  const auto blits = Named("BlitImage");
  ASSERT_EQ(blits.size(), 1u);
  EXPECT_EQ(blits[0].image, picture.get());
  EXPECT_EQ(std::vector<long long>(blits[0].args.begin() + 4, blits[0].args.begin() + 8),
            (std::vector<long long>{664, 485, 133, 100}));

  // Frame, then the marker around the window's part: centre (704, 515), 25 x 19.
  EXPECT_EQ(Named("DrawRectOutline"), (std::vector<Call>{
                                          {"DrawRectOutline", {664, 485, 133, 100, kWhite, 1, 0}},
                                          {"DrawRectOutline", {665, 486, 131, 98, kRed, 1, 0}},
                                          {"DrawRectOutline", {692, 506, 25, 19, kWhite, 1, 0}},
                                          {"DrawRectOutline", {693, 507, 23, 17, kRed, 1, 0}},
                                      }));
  // Labels in yellow, right-aligned with the thumbnail: above it and below it.
  EXPECT_EQ(view.fontFace, "MS Sans Serif");
  EXPECT_EQ(view.fontSize, 10);
  EXPECT_EQ(Named("DrawText:1200,900"), (std::vector<Call>{{"DrawText:1200,900", {757, 475, kYellow}}}));
  EXPECT_EQ(Named("DrawText:Level 3 of 5"), (std::vector<Call>{{"DrawText:Level 3 of 5", {737, 585, kYellow}}}));
}

TEST_F(NavigatorTest, TransparentThumbnailDrawsNoPictureAndAFittingLevelNothing) {
  Make(std::make_shared<ViewImage>(400, 300, 24));
  view.browserProperties = {{"TransparentThumbnail", "YES"}};
  navigator->Draw();
  EXPECT_TRUE(Named("BlitImage").empty());
  EXPECT_EQ(Named("DrawRectOutline").size(), 4u);

  view.draws.clear();
  Show(1600, 1200, 0.5);  // an 800 x 600 level
  navigator->Draw();
  EXPECT_TRUE(view.draws.empty());

  view.draws.clear();
  Show(8000, 6000, 0.5);
  navigator->SetLevelRange(3, -1);  // not shown at the third level
  navigator->Draw();
  EXPECT_TRUE(view.draws.empty());
}

TEST_F(NavigatorTest, MarkerNearTheLeftEdgeSpansTheThumbnail) {
  Make();
  view.viewportX = -800;  // centre at x = -400
  navigator->Draw();
  const auto outlines = Named("DrawRectOutline");
  ASSERT_EQ(outlines.size(), 4u);
  // mw = 129, mx = 664 + 64 + 2
  EXPECT_EQ(outlines[2].args[0], 730 - 64);
  EXPECT_EQ(outlines[2].args[2], 129);
}

TEST(NavigatorLabel, PositionLabelInterpolatesTheCorners) {
  // Level pixels without corners (or with malformed ones).
  EXPECT_EQ(ThumbnailNavigator::PositionLabel("", 1200, 900, 4000, 3000), "1200,900");
  EXPECT_EQ(ThumbnailNavigator::PositionLabel("1,2;3,4", 1200, 900, 4000, 3000), "1200,900");
  // An upright rectangle: longitude 10 to 20 across, latitude 50 down to 40.
  EXPECT_EQ(ThumbnailNavigator::PositionLabel("10,50;20,50;20,40;10,40", 1200, 900, 4000, 3000), "13,47");
  // A skewed quadrilateral: the centre lies where the two interpolated lines cross.
  EXPECT_EQ(ThumbnailNavigator::PositionLabel("0,0;4,0;6,4;0,4", 2000, 1500, 4000, 3000), "2.5,2");
  // Eight significant digits.
  EXPECT_EQ(ThumbnailNavigator::PositionLabel("0,0;1,0;1,1;0,1", 1, 2, 3, 3), "0.33333333,0.66666667");
  // All corners alike: the lines do not cross and the values stay 0.
  EXPECT_EQ(ThumbnailNavigator::PositionLabel("5,5;5,5;5,5;5,5", 1200, 900, 4000, 3000), "0,0");
}

TEST_F(NavigatorTest, PressingAndDraggingCentreTheViewOnThePointUnderThePointer) {
  Make();
  navigator->Draw();
  EXPECT_TRUE(navigator->HasLinkAt(700, 500));
  EXPECT_FALSE(navigator->AllowsViewDrag(700, 500));

  navigator->OnLButtonDown(0, {664 + 66, 485 + 50});  // level point (1984, 1500)
  navigator->OnMouseMove(0, {664 + 133, 485});        // level point (4000, 0)
  navigator->OnLButtonUp(0, {664 + 133, 485});
  navigator->OnMouseMove(0, {664, 485});  // no longer dragging
  EXPECT_EQ(view.positions, (std::vector<platform::Point>{{1584, 1200}, {3600, -300}}));

  navigator->OnLButtonDown(0, {664, 485});
  navigator->OnMouseExit();
  navigator->OnMouseMove(0, {700, 500});
  EXPECT_FALSE(navigator->IsDragging());
  navigator->OnClick({664 + 133, 485 + 100}, 1);
  EXPECT_EQ(view.positions.back(), (platform::Point{3600, 2700}));
}

TEST_F(NavigatorTest, AViewLimitIsTheAreaTheThumbnailStandsFor) {
  // 2000 x 1000 content pixels from (1000, 500): 1000 x 500 at the level, so the
  // thumbnail is 133 x 66 at (664, 519).
  view.browserProperties = {{"limitx", "1000"}, {"limity", "500"}, {"limitwidth", "2000"}, {"limitheight", "1000"}};
  Make();
  navigator->Draw();
  EXPECT_EQ(navigator->GetScreenRect(), platform::Rect::FromSize(664, 519, 133, 66));
  navigator->OnClick({664 + 66, 519 + 33}, 1);
  // (0.5 x (2000 x 66 / 133 + 1000), 0.5 x (1000 x 33 / 66 + 500)) less half the window.
  EXPECT_EQ(view.positions.back(), (platform::Point{996 - 400, 500 - 300}));
  // The label counts from the limit's corner: (1200 - 500, 900 - 250).
  EXPECT_EQ(Named("DrawText:700,650").size(), 1u);

  // "limitx" -1 is no limit.
  view.browserProperties = {{"limitx", "-1"}, {"limitwidth", "2000"}, {"limitheight", "1000"}};
  navigator->Draw();
  EXPECT_EQ(navigator->GetScreenRect(), platform::Rect::FromSize(664, 485, 133, 100));
}

TEST(NavigatorRotation, TurnsThePictureByWholeQuarterTurnsOfTheChange) {
  auto picture = std::make_shared<ViewImage>(4, 2, 24);
  picture->setPixelColor(0, 0, qmMakeColor(255, 0, 0));
  ThumbnailNavigator navigator(picture, 400, 200);
  navigator.SetRotation(90);
  EXPECT_EQ(picture->getWidth(), 2);
  EXPECT_EQ(picture->getHeight(), 4);
  // Clockwise: the top-left corner goes to the top-right.
  EXPECT_EQ(picture->getPixelColor(1, 0).red, 255);
  navigator.SetRotation(135);  // 45 degrees: no whole turn
  EXPECT_EQ(picture->getWidth(), 2);
  navigator.SetRotation(0);  // -135: one quarter turn back
  EXPECT_EQ(picture->getWidth(), 4);
  EXPECT_EQ(picture->getPixelColor(0, 0).red, 255);
  EXPECT_EQ(navigator.GetRotation(), 0);
}

}  // namespace
}  // namespace zolvex
