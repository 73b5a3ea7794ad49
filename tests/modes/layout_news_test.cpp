// Layout-news mode: page records from the markup, printed pages, pointing at a page in the
// overview, flying to it and locking onto it, the arrows, and zooming back out. The smooth
// flight ("panto") belongs to the view; here a view that jumps stands in for it.
#include <gtest/gtest.h>

#include <algorithm>

#include "documents/modes/LayoutNewsDocument.h"
#include "objects/CComponentRect.h"
#include "platform/ArgumentScanner.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "tests/modes/ModesFixture.h"
#include "view/FlipMapView.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

// A view whose "panto" records its argument and jumps to the point at once.
class JumpingView : public FlipMapView {
 public:
  using FlipMapView::FlipMapView;
  bool Execute(const std::string& command, const std::string& argument) override {
    if (command != "panto") return FlipMapView::Execute(command, argument);
    panto.push_back(argument);
    int values[3] = {0, 0, 0};
    if (ArgumentScanner(argument).Ints(values, 3) == 3) MoveTo(values[0], values[1], values[2], "center");
    return true;
  }
  std::vector<std::string> panto;
};

// Six pages of 400 × 400 in a grid of 3 × 2, read at level 3; each page one colour.
const TileGrid kPages = {{3, 2}, {6, 4}, {12, 8}};
const qmRGBQuad kPageColours[] = {qmMakeColor(220, 30, 30),  qmMakeColor(30, 200, 30), qmMakeColor(30, 30, 220),
                                  qmMakeColor(220, 220, 30), qmMakeColor(200, 30, 200), qmMakeColor(30, 200, 200)};
const std::string kGrid =
    "<pagegrid columncount=\"3\" rowcount=\"2\" pagewidth=\"400\" pageheight=\"400\" mainlevel=\"3\"/>";

int PageAtPixel(platform::Pixel p) {
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  for (int i = 0; i < 6; ++i) {
    const qmRGBQuad c = kPageColours[i];
    if (std::abs(r - c.red) < 40 && std::abs(g - c.green) < 40 && std::abs(b - c.blue) < 40) return i + 1;
  }
  return 0;
}

class LayoutNewsTest : public ModesFixture {
 protected:
  void SetUp() override {
    WriteKtq("pages.ktq", kPages, [](int level, int column, int row) {
      const int scale = 1200 / (kPages[level].first * kTile);
      const int x = (column * kTile + kTile / 2) * scale, y = (row * kTile + kTile / 2) * scale;
      return kPageColours[(y / 400) * 3 + x / 400];
    });
  }
  void TearDown() override { view_.reset(); }

  LayoutNewsDocument* OpenLayout(const std::string& section, int width = 300, int height = 200) {
    view_.reset();
    view_ = std::make_unique<JumpingView>(MakePlatform(width, height));
    view_->InitSurfaces(width, height);
    view_->SetEventHandlers([this](const ViewEvent& event) { events_.push_back(event); }, nullptr);
    view_->OpenUrl(WriteMarkup("layoutnews", section, "pages.ktq"), true, 0, 0, 0);
    return Layout();
  }
  LayoutNewsDocument* Layout() { return dynamic_cast<LayoutNewsDocument*>(view_->GetDocument()); }
  std::string Param(const std::string& name) { return view_->GetDocument()->GetParam(name); }
  // The pages the view locked onto ("-1" when it unlocked), in order, since the last call.
  std::vector<std::string> Locks() {
    static_cast<platform::HeadlessWindowHost&>(platform_->Window()).RunPending();
    std::vector<std::string> locks;
    for (const ViewEvent& event : std::exchange(events_, {}))
      if (event.name == "lockedtopage") locks.push_back(event.param1);
    return locks;
  }
  // The page whose colour fills the middle of the window.
  int PageInTheMiddle() {
    view_->DrawFrame(false);
    const platform::Surface* frame = view_->BackBuffer();
    return PageAtPixel(frame->PixelAt(frame->Width() / 2, frame->Height() / 2));
  }
  void Click(int x, int y) {
    view_->OnLButtonDown(x, y, platform::kModLeftButton, 1);
    view_->OnLButtonUp(x, y, 0, 2);
    static_cast<platform::HeadlessWindowHost&>(platform_->Window()).RunPending();
    // A link reaches the view through the control's queue, as the control runs it.
    for (const ViewEvent& event : std::vector<ViewEvent>(events_))
      if (event.name == "SetContent") view_->OpenUrl(event.param2, false, 0, 0, 0);
  }

  std::unique_ptr<JumpingView> view_;
};

TEST_F(LayoutNewsTest, PagesComeFromPageAndPageGridElements) {
  struct Case {
    const char* markup;
    int count;
    int number;
    const char* record;
  } cases[] = {
      {"<pagegrid columncount=\"3\" rowcount=\"2\" pagewidth=\"1000\" pageheight=\"1400\" hgap=\"50\" vgap=\"60\" "
       "offsetx=\"10\" offsety=\"20\" mainlevel=\"3\"/>",
       6, 5, "1060,1480,1000,1400,3,no"},
      {"<pagegrid columncount=\"3\" rowcount=\"2\" pagewidth=\"1000\" pageheight=\"1400\" mainlevel=\"1\"/>", 0, 1,
       ""},
      {"<page x=\"1\" y=\"2\" width=\"0\" height=\"5\"/><page x=\"3\" y=\"4\" width=\"5\" height=\"6\"/>", 1, 1,
       "3,4,5,6,0,yes"},
      {"<page x=\"3\" y=\"4\" width=\"5\" height=\"6\" twopage=\"maybe\" mainlevel=\"2\"/>", 1, 1, "3,4,5,6,2,yes"},
      {"<page x=\"3\" y=\"4\" width=\"5\" height=\"6\" twopage=\"NO\"/>", 1, 1, "3,4,5,6,0,no"},
      {"<pagegrid columncount=\"1\" rowcount=\"1\" pagewidth=\"7\" pageheight=\"8\" mainlevel=\"2\" twopage=\"maybe\"/>",
       1, 1, "0,0,7,8,2,no"},
      {"<pagegrid columncount=\"1\" rowcount=\"1\" pagewidth=\"7\" pageheight=\"8\" mainlevel=\"2\" twopage=\"YES\"/>",
       1, 1, "0,0,7,8,2,yes"},
      {"<param name=\"MainLevel\" value=\"2\"/><page x=\"3\" y=\"4\" width=\"5\" height=\"6\"/><other/>", 1, 1,
       "3,4,5,6,2,yes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.markup);
    ASSERT_NE(OpenLayout(c.markup), nullptr);
    EXPECT_EQ(Param("pagecount"), std::to_string(c.count));
    EXPECT_EQ(Param("page" + std::to_string(c.number)), c.record);
  }
  EXPECT_EQ(Param("DrawZoomArea"), "yes");
  EXPECT_EQ(Param("universallimit"), "yes");
}

TEST_F(LayoutNewsTest, PrintedPagesCountBothHalvesOfATwoPageRecord) {
  ASSERT_NE(OpenLayout("<page x=\"0\" y=\"0\" width=\"400\" height=\"400\" twopage=\"no\" mainlevel=\"3\"/>"
                       "<page x=\"400\" y=\"0\" width=\"800\" height=\"400\" mainlevel=\"3\"/>"
                       "<page x=\"0\" y=\"400\" width=\"400\" height=\"400\" twopage=\"no\" mainlevel=\"3\"/>"),
            nullptr);
  EXPECT_EQ(Param("PrintPageCount"), "4");
  EXPECT_EQ(Param("_printpage0"), "0,0,400,400,3,no");
  EXPECT_EQ(Param("_printpage1"), "400,0,400,400,3,yes");
  EXPECT_EQ(Param("_printpage2"), "800,0,400,400,3,yes");
  EXPECT_EQ(Param("_printpage3"), "0,400,400,400,3,no");
  EXPECT_EQ(Param("_printpage4"), "");
  view_->Execute("gotopage", "2");
  EXPECT_EQ(Param("_printpage2"), "400,0,400,400,3,yes");  // relative to the locked page
  EXPECT_EQ(Param("_printpage1"), "0,0,400,400,3,yes");
}

TEST_F(LayoutNewsTest, GotoPageClampsAndTheArrowsHideAtTheEnds) {
  LayoutNewsDocument* layout = OpenLayout(kGrid);
  ASSERT_NE(layout, nullptr);
  EXPECT_FALSE(layout->PreviousArrow()->IsVisible());
  EXPECT_FALSE(layout->NextArrow()->IsVisible());
  EXPECT_EQ(layout->NextArrow()->GetX(), 280);
  EXPECT_EQ(layout->NextArrow()->GetLink(), "exec:nextpage,0");

  EXPECT_TRUE(view_->Execute("gotopage", "0"));
  EXPECT_EQ(Locks(), std::vector<std::string>{"1"});
  EXPECT_TRUE(layout->IsLocked());
  EXPECT_FALSE(layout->PreviousArrow()->IsVisible());
  EXPECT_TRUE(layout->NextArrow()->IsVisible());
  EXPECT_EQ(view_->panto.back(), "200,100,3");

  view_->Execute("gotopage", "99");
  EXPECT_EQ(Locks(), std::vector<std::string>{"6"});
  EXPECT_TRUE(layout->PreviousArrow()->IsVisible());
  EXPECT_FALSE(layout->NextArrow()->IsVisible());
  EXPECT_EQ(PageInTheMiddle(), 6);

  view_->Execute("unlockpage", "");
  EXPECT_EQ(Locks(), std::vector<std::string>{"-1"});
  EXPECT_FALSE(layout->IsLocked());
}

TEST_F(LayoutNewsTest, VPanToNeedsThreeNumbersAndLocksThePageItLandsOn) {
  LayoutNewsDocument* layout = OpenLayout(kGrid);
  ASSERT_NE(layout, nullptr);
  EXPECT_FALSE(layout->HandleCommand("vpanto", "100,100"));
  EXPECT_TRUE(view_->panto.empty());
  // The corner (850, 50) of level 3 lies on page 3.
  EXPECT_TRUE(layout->HandleCommand("vpanto", "850,50,3"));
  ASSERT_EQ(view_->panto.size(), 1u);
  EXPECT_EQ(view_->panto[0], "1000,150,3");
  EXPECT_TRUE(layout->IsLocked());
  EXPECT_EQ(layout->HoveredPage(), 2);
  EXPECT_EQ(Locks(), std::vector<std::string>{"3"});
}

// Overview, the pointer on page 3, a click, locked on page 3, the next arrow, page 4.
TEST_F(LayoutNewsTest, ClickingAPageFliesThereAndTheArrowStepsToTheNext) {
  LayoutNewsDocument* layout = OpenLayout(kGrid);
  ASSERT_NE(layout, nullptr);
  ASSERT_EQ(view_->GetDocument()->GetLevel(), 0);
  view_->DrawFrame(false);
  EXPECT_EQ(PageAtPixel(view_->BackBuffer()->PixelAt(50, 50)), 1);
  EXPECT_EQ(PageAtPixel(view_->BackBuffer()->PixelAt(250, 150)), 6);

  view_->OnMouseMove(250, 50, 0, 1);
  view_->DrawFrame(false);
  EXPECT_EQ(layout->HoveredPage(), 2);
  int x = 250, y = 50, width = 0, height = 0;
  ASSERT_TRUE(layout->ComputeZoomArea(x, y, width, height));
  EXPECT_EQ((platform::Rect{x, y, width, height}), (platform::Rect{200, 0, 100, 100}));

  Click(250, 50);
  EXPECT_EQ(Locks(), std::vector<std::string>{"3"});
  EXPECT_EQ(view_->panto.back(), "1000,100,3");
  EXPECT_EQ(view_->GetDocument()->GetLevel(), 2);
  EXPECT_EQ(PageInTheMiddle(), 3);
  EXPECT_TRUE(layout->NextArrow()->IsVisible());
  EXPECT_EQ(Param("currentpageonscreen"), "3");

  view_->DrawFrame(false);  // the arrow is among the frame's items
  Click(290, 100);
  EXPECT_EQ(Locks(), std::vector<std::string>{"4"});
  EXPECT_EQ(PageInTheMiddle(), 4);
}

TEST_F(LayoutNewsTest, ZoomingOutOfALockedPageUnlocks) {
  LayoutNewsDocument* layout = OpenLayout(kGrid);
  ASSERT_NE(layout, nullptr);
  EXPECT_FALSE(layout->HandleCommand("zoomout", ""));  // no page yet
  view_->Execute("gotopage", "2");
  Locks();
  view_->ZoomTo(1, 0, 0, false);  // the page is smaller than the window here
  view_->OnRButtonDown(100, 100, 0, 1);
  view_->OnRButtonUp(102, 100, 0, 2);
  EXPECT_EQ(Locks(), std::vector<std::string>{"-1"});
  EXPECT_FALSE(layout->IsLocked());
  EXPECT_EQ(view_->GetDocument()->GetLevel(), 0);
  EXPECT_FALSE(layout->NextArrow()->IsVisible());
}

}  // namespace
