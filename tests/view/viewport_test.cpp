#include <gtest/gtest.h>

#include <map>

#include "tests/support/TestSupport.h"
#include "tests/view/ViewTestSupport.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

struct Opened {
  std::unique_ptr<ViewHarness> harness;
  GridDocument* document = nullptr;
  TestView& view() { return *harness->view; }
};

// A view of the given window size showing a grid document with the given levels and
// parameters, at level index 0.
Opened Open(int width, int height, std::vector<platform::Size> levels = FiveLevels(),
            std::map<std::string, std::string> params = {}) {
  Opened opened;
  opened.harness = std::make_unique<ViewHarness>(width, height);
  DocumentConstructors make;
  make.tiledImage = [&](MapView&, const std::string& url) {
    auto document = std::make_unique<GridDocument>(levels, url);
    for (auto& [name, value] : params) document->SetParam(name, value);
    opened.document = document.get();
    return document;
  };
  opened.view().SetDocumentFactory(std::make_unique<DocumentFactory>(make));
  opened.view().OpenUrl("/data/grid.ktq", true, 0, 0, 0);
  opened.harness->DeliverEvents().clear();
  return opened;
}

}  // namespace

TEST(Viewport, PositionIsHeldInsideTheContent) {
  struct Case {
    int window;  // width; the height is three quarters of it
    int level;   // index
    int x, y;
    int expectedX, expectedY;
  } cases[] = {
      {640, 1, 0, 0, -64, -48},          // 512 × 384 in 640 × 480: centred
      {640, 3, 5000, -20, 1408, 0},      // 2048 × 1536: cut at the far edge and at 0
      {640, 3, 700, 900, 700, 900},      // inside: unchanged
      {400, 0, 10, 10, -72, -54},        // 256 × 192 in 400 × 300: centred
      {2048, 3, 100, 100, 0, 0},         // exactly the window size: 0
  };
  for (const Case& c : cases) {
    Opened opened = Open(c.window, c.window * 3 / 4);
    opened.document->SetLevel(c.level);
    opened.view().SetPosition(c.x, c.y, false, false);
    EXPECT_EQ(opened.view().ViewX(), c.expectedX) << c.window << " " << c.level;
    EXPECT_EQ(opened.view().ViewY(), c.expectedY) << c.window << " " << c.level;
  }
}

TEST(Viewport, NarrowContentIsCentredFromItsOffset) {
  Opened opened = Open(500, 400, {{300, 200}});
  EXPECT_EQ(opened.view().ViewX(), -100);
  EXPECT_EQ(opened.view().ViewY(), -100);
  opened.document->SetParam("offsetx", "40");  // the content begins further right
  opened.view().ValidatePosition(false);
  EXPECT_EQ(opened.view().ViewX(), 40 + (300 - 500 - 40) / 2);
}

TEST(Viewport, OffsetsAndTheContentRectangleBoundThePosition) {
  Opened opened = Open(640, 480);
  opened.document->SetLevel(4);  // full resolution, scale 1
  opened.view().SetBrowserProperty("offsetx", "100");
  opened.document->SetParam("offsety", "50");
  opened.view().SetPosition(0, 0, false, false);
  EXPECT_EQ(opened.view().ViewX(), 100);
  EXPECT_EQ(opened.view().ViewY(), 50);

  opened.view().SetContentRect(1000, 1000, 3000, 2000);
  opened.view().SetPosition(0, 0, false, false);
  EXPECT_EQ(opened.view().ViewX(), 1000);
  EXPECT_EQ(opened.view().ViewY(), 1000);
  opened.view().SetPosition(5000, 5000, false, false);
  EXPECT_EQ(opened.view().ViewX(), 3000 - 640);
  EXPECT_EQ(opened.view().ViewY(), 2000 - 480);
  opened.document->SetLevel(3);  // scale 0.5: the rectangle is 500 … 1500 × 500 … 1000
  opened.view().SetPosition(0, 5000, false, false);
  EXPECT_EQ(opened.view().ViewX(), 500);
  EXPECT_EQ(opened.view().ViewY(), 520);
  EXPECT_EQ(opened.view().GetContentRect(), (platform::Rect{1000, 1000, 3000, 2000}));
}

TEST(Viewport, MoveToModes) {
  struct Case {
    int x, y, level;
    std::string mode;
    int expectedLevel;  // 1-based
    int expectedX, expectedY;
  } cases[] = {
      {1000, 800, 5, "center", 5, 800, 650},
      {1000, 800, 5, "CENTER", 5, 800, 650},
      {1000, 800, 3, "center", 3, 1024 - 400, 768 - 300},  // cut at the edge afterwards
      {300, 200, 4, "left", 4, 300, 200},
      {300, 200, 9, "left", 5, 300, 200},                  // beyond the count: the last level
      {2048, 1536, 3, "abs", 3, 512, 384},                 // full-resolution point at level 3
      {120, 80, 0, "left", 2, 112, 80},                    // 0 keeps the level; cut at 512 - 400
  };
  for (const Case& c : cases) {
    Opened opened = Open(400, 300);
    opened.document->SetLevel(1);
    opened.view().MoveTo(c.x, c.y, c.level, c.mode);
    EXPECT_EQ(opened.view().GetCurrentLevel(), c.expectedLevel) << c.mode << " " << c.level;
    EXPECT_EQ(opened.view().ViewX(), c.expectedX) << c.mode << " " << c.level;
    EXPECT_EQ(opened.view().ViewY(), c.expectedY) << c.mode << " " << c.level;
  }
}

TEST(Viewport, MaxLevelLimitsMovesAndZoomSteps) {
  Opened opened = Open(640, 480);
  opened.view().SetBrowserProperty("maxlevel", "2");
  opened.view().MoveTo(0, 0, 5, "left");
  EXPECT_EQ(opened.document->GetLevel(), 1);
  EXPECT_FALSE(opened.view().ZoomIn());
  EXPECT_EQ(opened.view().GetMaxLevel(), 1);
  opened.view().SetBrowserProperty("maxlevel", "");
  EXPECT_TRUE(opened.view().ZoomIn());
  EXPECT_EQ(opened.document->GetLevel(), 2);

  opened.view().SetBrowserProperty("MinLevel", "3");
  EXPECT_FALSE(opened.view().ZoomOut());
  opened.view().ZoomTo(0, 0, 0, false);  // raised to the minimum
  EXPECT_EQ(opened.document->GetLevel(), 2);
}

TEST(Viewport, ZoomStepsStopAtTheEnds) {
  Opened opened = Open(640, 480);
  EXPECT_FALSE(opened.view().ZoomOut());
  opened.view().MoveTo(0, 0, 5, "left");
  EXPECT_FALSE(opened.view().ZoomIn());
  EXPECT_EQ(opened.document->GetLevel(), 4);
}

TEST(Viewport, ZoomingKeepsThePointOrTheMiddle) {
  Opened opened = Open(640, 480);
  opened.view().MoveTo(500, 400, 4, "left");
  ASSERT_TRUE(opened.view().ZoomIn());  // the middle (820, 640) stays in the middle
  EXPECT_EQ(opened.view().GetCurrentLevel(), 5);
  EXPECT_EQ(opened.view().ViewX(), 820 * 2 - 320);
  EXPECT_EQ(opened.view().ViewY(), 640 * 2 - 240);
  ASSERT_TRUE(opened.view().ZoomOut());
  EXPECT_EQ(opened.view().ViewX(), 500);
  EXPECT_EQ(opened.view().ViewY(), 400);

  opened.view().ZoomAt(100, 50, 1);  // the window point becomes the middle
  EXPECT_EQ(opened.view().ViewX(), (500 + 100) * 2 - 320);
  EXPECT_EQ(opened.view().ViewY(), (400 + 50) * 2 - 240);
  opened.view().ZoomAt(10, 10, 1);  // the last level: nothing
  EXPECT_EQ(opened.view().GetCurrentLevel(), 5);
  opened.view().ZoomAt(320, 240, 2);
  EXPECT_EQ(opened.view().GetCurrentLevel(), 4);

  // Zooming out to the smallest level without smooth zoom keeps the position as it was.
  opened.document->SetParam("smoothzoom", "no");
  opened.view().MoveTo(100, 100, 2, "left");
  opened.view().ZoomTo(0, 0, 0, false);
  EXPECT_EQ(opened.document->GetLevel(), 0);
  EXPECT_EQ(opened.view().ViewX(), -64);
}

TEST(Viewport, FitChoosesTheLargestLevelThatFitsTheWindow) {
  struct Case {
    int width, height;
    int level;  // index
  } cases[] = {{640, 480, 1}, {1200, 900, 2}, {100, 100, 0}, {5000, 4000, 4}, {4000, 800, 2}};
  for (const Case& c : cases) {
    Opened opened = Open(c.width, c.height);
    opened.view().FitToWindow(false);
    EXPECT_EQ(opened.document->GetLevel(), c.level) << c.width << " × " << c.height;
    EXPECT_EQ(opened.document->GetStoredScaleX(), 1.0);
  }
}

TEST(Viewport, StretchedFitScalesThePageToTheWindow) {
  // Pages of 1024 × 768 on 4096 × 3072; 640 × 480 shows level 1 (512 × 384).
  Opened opened = Open(640, 480, FiveLevels(), {{"pagewidth", "1024"}, {"pageheight", "768"}});
  opened.view().FitToWindow(true);
  // ex = 640 × 4096 / (512 × 1024) = 5; ey = 480 × 3072 / (384 × 768) = 5.
  EXPECT_DOUBLE_EQ(opened.document->GetStoredScaleX(), 5.0);
  EXPECT_DOUBLE_EQ(opened.view().GetPageScaleX(), 5.0);

  Opened partial = Open(600, 480, FiveLevels(), {{"pagewidth", "1024"}, {"pageheight", "768"}});
  partial.view().FitToWindow(true);  // ex = 4.6875, ey = 5
  EXPECT_DOUBLE_EQ(partial.document->GetStoredScaleX(), 4.6875);
  EXPECT_DOUBLE_EQ(partial.view().GetPageScaleX(), 4.6875);
}

TEST(Viewport, PagesInRowsAndColumns) {
  // Pages of 1024 × 768 full-resolution pixels: at level 2 (1024 × 768) they are 256 × 192,
  // four to a row.
  struct Case {
    std::map<std::string, std::string> params;
    std::string reverse;
    int x, y;
    int page;
  } cases[] = {
      {{}, "", 10, 10, 1},
      {{}, "", 300, 10, 2},
      {{}, "", 10, 200, 5},
      {{}, "YES", 10, 10, 4},
      {{}, "yes", 800, 200, 5},
      {{{"direction", "vertical"}}, "", 10, 200, 2},
      {{{"direction", "vertical"}}, "", 300, 10, 5},
      {{{"offsetx", "512"}}, "", 300, 10, 1},
  };
  for (const Case& c : cases) {
    auto params = c.params;
    params["pagewidth"] = "1024";
    params["pageheight"] = "768";
    Opened opened = Open(640, 480, FiveLevels(), params);
    opened.document->SetLevel(2);
    opened.view().SetBrowserProperty("reversepage", c.reverse);
    EXPECT_EQ(opened.view().PageAt(c.x, c.y), c.page) << c.x << "," << c.y << " " << c.reverse;
    int x = 0;
    int y = 0;
    ASSERT_TRUE(opened.view().PageOrigin(c.page, x, y));
    EXPECT_EQ(opened.view().PageAt(x, y), c.page);
  }
}

TEST(Viewport, PageOriginFailsOutsideTheContent) {
  Opened opened = Open(640, 480, FiveLevels(), {{"pagewidth", "1024"}, {"pageheight", "768"}});
  opened.document->SetLevel(2);
  int x = -1;
  int y = -1;
  EXPECT_TRUE(opened.view().PageOrigin(16, x, y));
  EXPECT_EQ(x, 768);
  EXPECT_EQ(y, 576);
  EXPECT_FALSE(opened.view().PageOrigin(17, x, y));
  opened.view().SetBrowserProperty("currentprintpagenumber", "6");
  EXPECT_EQ(opened.view().PageAt(0, 0), 7);
}

TEST(Viewport, PageChangesAreReportedOnce) {
  Opened opened = Open(640, 480, FiveLevels(), {{"pagewidth", "1024"}, {"pageheight", "768"}});
  opened.document->SetLevel(2);
  opened.view().SetPosition(300, 0, false, true);
  opened.view().SetPosition(310, 0, false, true);  // the same page: no report
  opened.document->SetParam("doublepage", "yes");
  opened.view().SetPosition(10, 200, false, true);  // page 5, reported as 9
  auto& events = opened.harness->DeliverEvents();
  std::vector<std::pair<std::string, std::string>> reports;
  for (const ViewEvent& event : events)
    if (event.name == "pagechanged") reports.push_back({event.param1, event.param2});
  // 16 print pages of 1024 × 768 cover 4096 × 3072.
  EXPECT_EQ(reports, (std::vector<std::pair<std::string, std::string>>{{"2", "16"}, {"9", "16"}}));
  opened.view().SetBrowserProperty("PrintPageCount", "40");
  EXPECT_EQ(opened.view().PageCount(), 40);
}

TEST(Viewport, HostConversionsCountLevelsFromOne) {
  Opened opened = Open(640, 480);
  EXPECT_EQ(opened.view().GetLevelCount(), 5);
  EXPECT_EQ(opened.view().GetCurrentLevel(), 1);
  EXPECT_EQ(opened.view().GetMapWidth(1), 256);
  EXPECT_EQ(opened.view().GetMapHeight(5), 3072);
  EXPECT_EQ(opened.view().GetMapWidth(0), -1);
  EXPECT_EQ(opened.view().GetMapHeight(6), -1);
  EXPECT_EQ(opened.view().GetViewportWidth(), 640);
  opened.view().MoveTo2(2048, 1536, 4);  // the middle, at level 4
  EXPECT_EQ(opened.view().GetViewportX(), 1024);
  EXPECT_EQ(opened.view().GetViewportY(), 768);

  ViewHarness empty;
  EXPECT_EQ(empty.view->GetViewportX(), -1);
  EXPECT_EQ(empty.view->GetViewportHeight(), -1);
  EXPECT_EQ(empty.view->GetMapWidth(1), -1);
  empty.view->MoveTo(10, 10, 1, "left");  // nothing to move
  EXPECT_EQ(empty.view->ViewX(), 0);
}

TEST(Viewport, ViewLimitGoesToTheDocument) {
  Opened opened = Open(640, 480);
  opened.view().SetViewLimit(100, 200, 1000, 800);
  EXPECT_EQ(opened.document->GetLimitX(), 100);
  EXPECT_EQ(opened.document->GetLimitHeight(), 800);
  EXPECT_TRUE(opened.document->GetLimitFrame()->IsVisible());
  opened.view().SetViewLimit(100, 200, 0, 800);
  EXPECT_EQ(opened.document->GetLimitX(), -1);
  EXPECT_EQ(opened.view().GetViewLimit().left, -1);
}

// A picture whose size is no power of two: zooming in at a point brings that detail to the
// middle of the window, however the level sizes round.
TEST(Viewport, ZoomingAtAPointOfARealPictureBringsThatDetailToTheMiddle) {
  TempDir dir;
  const std::string ktq = dir.File("odd.ktq");
  ASSERT_EQ(RunCommand(std::string(KTQTOOL_PROGRAM) + " synth '" + ktq + "' --size 4500 --tile 256 >/dev/null 2>&1"), 0);
  ViewHarness harness(640, 480);
  TestView& view = *harness.view;
  view.OpenUrl(ktq, true, 0, 0, 0);
  ASSERT_TRUE(view.HasValidDocument());
  MapDocument& document = *view.GetDocument();
  const int last = document.GetLevelCount() - 1;
  for (int level = 0; level < last; ++level) {
    // Levels wide enough that neither frame is centred or held at an edge.
    if (document.GetLevelWidth(level) < 1000) continue;
    view.MoveTo(400, 300, level, "left");
    ASSERT_EQ(view.GetCurrentLevel(), level);
    const int pointX = 200, pointY = 150;
    // The detail under the pointer, in pixels of the full picture.
    const double full = document.GetLevelWidth(last);
    const double detailX = (view.ViewX() + pointX) * full / document.GetLevelWidth(level);
    const double detailY = (view.ViewY() + pointY) * full / document.GetLevelWidth(level);
    view.ZoomAt(pointX, pointY, 1);
    ASSERT_EQ(view.GetCurrentLevel(), level + 1);
    const double scale = full / document.GetLevelWidth(level + 1);
    EXPECT_NEAR((view.ViewX() + 320) * scale, detailX, 2 * scale) << "level " << level;
    EXPECT_NEAR((view.ViewY() + 240) * scale, detailY, 2 * scale) << "level " << level;
  }
}
