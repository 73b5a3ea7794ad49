// News mode in a real view: spreads at the main level, page turns and their ends, the lock
// on a spread or a page, bookmark tabs, the spine and the spreads fetched ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "documents/modes/NewsBookmarks.h"
#include "documents/modes/NewsDocument.h"
#include "documents/modes/NewsSpine.h"
#include "objects/CComponentRect.h"
#include "platform/InputEvent.h"
#include "platform/TextValues.h"
#include "tests/modes/ModesFixture.h"
#include "tests/protocol/FakeKtqServer.h"
#include "view/DocumentFactory.h"
#include "view/FlipMapView.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

// Four spreads of 400 × 400 side by side; at 100, 200 and 400 pixels a spread. In a
// 300 × 300 window the main level is index 1 (spreads of 200 × 200).
const TileGrid kFourSpreads = {{4, 1}, {8, 2}, {16, 4}};
const std::string kSpreads = Params({{"direction", "horizontal"}, {"PageWidth", "400"}, {"PageHeight", "400"}});

class NewsDocumentTest : public ModesFixture {
 protected:
  void SetUp() override { WriteKtq("paper.ktq", kFourSpreads); }

  NewsDocument* OpenNews(const std::string& section = kSpreads, int width = 300, int height = 300,
                         const std::vector<std::pair<std::string, std::string>>& properties = {}) {
    if (!Open("news", section, "paper.ktq", width, height, properties)) return nullptr;
    View().DrawFrame(false);
    return News();
  }
  NewsDocument* News() { return dynamic_cast<NewsDocument*>(View().GetDocument()); }
  int Level() { return View().GetDocument()->GetLevel(); }
  // The spread the view shows, as the document saw it at the last frame.
  int Shown() {
    View().DrawFrame(false);
    return News()->CurrentSpread();
  }
  bool Run(const std::string& command, const std::string& argument = "") {
    return View().Execute(command, argument);
  }
  std::string Param(const std::string& name) { return View().GetDocument()->GetParam(name); }
};

TEST_F(NewsDocumentTest, SpreadsAreCountedFromTheImageWhateverTheirDirection) {
  WriteKtq("wide.ktq", {{30, 10}});
  WriteKtq("tall.ktq", {{10, 30}});
  struct Case {
    const char* image;
    const char* direction;
    const char* pageWidth;
    int spreads;
    bool row;
  } cases[] = {
      {"wide.ktq", "horizontal", "1000", 3, true},
      {"wide.ktq", "", "1000", 3, false},
      {"tall.ktq", "vertical", "1000", 3, false},
      {"wide.ktq", "HORIZONTAL", "0", 1, true},  // no width: one spread across
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.image) + " " + c.direction + " " + c.pageWidth);
    ASSERT_TRUE(Open("news", Params({{"direction", c.direction}, {"PageWidth", c.pageWidth}, {"PageHeight", "1000"}}),
                     c.image, 300, 300));
    ASSERT_NE(News(), nullptr);
    EXPECT_EQ(News()->SpreadCount(), c.spreads);
    EXPECT_EQ(Param("pagecount"), std::to_string(c.spreads));
    EXPECT_EQ(News()->IsRowLayout(), c.row);
  }
}

// A document that holds a newspaper as its picture asks for it with "-news": it gets the
// markup document itself.
TEST_F(NewsDocumentTest, TheNewsHintKeepsTheMarkupUnwrapped) {
  ASSERT_NE(OpenNews(), nullptr);
  for (const char* hint : {"", "-news"}) {
    std::unique_ptr<MapDocument> made;
    View().GetDocumentFactory().CreateDocument(View(), dir_.File("paper.xmml"), made, nullptr, hint);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(dynamic_cast<NewsDocument*>(made.get()) != nullptr, std::string(hint).empty()) << hint;
  }
}

TEST_F(NewsDocumentTest, OpeningShowsTheFirstSpreadWholeAtTheMainLevel) {
  NewsDocument* news = OpenNews();
  ASSERT_NE(news, nullptr);
  EXPECT_EQ(news->MainLevel(), 1);
  EXPECT_EQ(Level(), 1);
  EXPECT_EQ(news->MainSpreadSize(), (platform::Size{200, 200}));
  EXPECT_EQ(View().GetBrowserProperty("minlevel"), "2");
  EXPECT_EQ(View().GetBrowserProperty("snapzoomlevel"), "0");
  EXPECT_EQ(Param("doublepage"), "yes");
  EXPECT_EQ(View().GetContentRect(), (platform::Rect{0, 0, 400, 400}));
  EXPECT_EQ(Shown(), 1);
  // The reader cannot zoom out below the spread.
  View().ZoomAt(150, 150, 2);
  EXPECT_EQ(Level(), 1);
}

TEST_F(NewsDocumentTest, PageCommandsTurnSpreadsAndStopAtTheEnds) {
  ASSERT_NE(OpenNews(), nullptr);
  EXPECT_TRUE(Run("nextpage"));
  EXPECT_EQ(Shown(), 2);
  EXPECT_EQ(View().GetContentRect(), (platform::Rect{400, 0, 800, 400}));
  Run("gotopage", "4");
  EXPECT_EQ(Shown(), 4);
  Run("nextpage");  // one history entry: the view stays
  EXPECT_EQ(Shown(), 4);
  Run("prevpage");
  EXPECT_EQ(Shown(), 3);
  Run("gotopage", "1");
  Run("prevpage");
  EXPECT_EQ(Shown(), 1);
  Run("gotopage", "");  // no number: nothing
  EXPECT_EQ(Shown(), 1);
  Run("gotohpage", "6");  // page 6 lies on spread 3
  EXPECT_EQ(Shown(), 3);
}

TEST_F(NewsDocumentTest, WithThePageAnimationTheTurnEndsOnTheNextSpread) {
  ASSERT_NE(OpenNews(kSpreads + Params({{"flipanimation", "yes"}}), 300, 300, {{"transitionduration", "40"}}),
            nullptr);
  EXPECT_EQ(View().GetBrowserProperty("flipanimation"), "yes");
  Run("nextpage");
  EXPECT_EQ(Shown(), 2);
  EXPECT_EQ(View().GetContentRect(), (platform::Rect{400, 0, 800, 400}));
  Run("prevpage");
  EXPECT_EQ(Shown(), 1);
}

TEST_F(NewsDocumentTest, TurningPastTheLastSpreadGoesBackWhenThereIsHistory) {
  ASSERT_TRUE(Open("news", kSpreads, "paper.ktq", 300, 300));
  const std::string paper = dir_.File("paper.xmml");
  std::string error;
  ASSERT_TRUE(Window().Open(dir_.File("paper.ktq"), error)) << error;
  ASSERT_FALSE(View().OpenUrl(paper, false, 0, 0, 0).empty());
  ASSERT_EQ(View().GetHistory().Entries().size(), 2u);
  Run("gotopage", "4");
  Run("nextpage");
  EXPECT_EQ(News(), nullptr);
  EXPECT_NE(View().GetCurrentUrl().find("paper.ktq"), std::string::npos) << View().GetCurrentUrl();
}

TEST_F(NewsDocumentTest, TheWheelTurnsSpreadsAtTheMainLevelAndScrollsZoomedIn) {
  ASSERT_NE(OpenNews(), nullptr);
  Run("gotopage", "3");
  Run("wheel", "0,10,10");
  EXPECT_EQ(Shown(), 3);
  Run("wheel", "120,10,10");
  EXPECT_EQ(Shown(), 2);
  Run("wheel", "-120,10,10");
  EXPECT_EQ(Shown(), 3);

  View().ZoomTo(2, 900, 200, true);
  ASSERT_EQ(Level(), 2);
  const int y = View().ViewY();
  ASSERT_GE(y, 24);
  Run("wheel", "120,10,10");
  EXPECT_EQ(View().ViewY(), y - 24);
  EXPECT_EQ(Level(), 2);
  // A page turn from zoomed in returns to the main level first.
  Run("nextpage");
  EXPECT_EQ(Level(), 1);
  EXPECT_EQ(Shown(), 4);
}

TEST_F(NewsDocumentTest, ZoomedInTheViewStaysOnOnePageUnlessTwoPagesAreLocked) {
  struct Case {
    const char* twoPageLock;
    int targetX;
    platform::Rect content;
  } cases[] = {
      {"no", 0, {0, 0, 200, 400}},    // the window's centre on the left page
      {"no", 100, {200, 0, 400, 400}},  // on the right page
      {"yes", 100, {0, 0, 400, 400}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.twoPageLock) + " " + std::to_string(c.targetX));
    ASSERT_NE(OpenNews(kSpreads + Params({{"twopagelock", c.twoPageLock}})), nullptr);
    View().ZoomTo(2, 0, 0, true);
    View().ScrollTo(c.targetX, 0);
    EXPECT_EQ(View().GetContentRect(), c.content);
  }
}

TEST_F(NewsDocumentTest, AGrowingWindowMovesTheMainLevelUp) {
  NewsDocument* news = OpenNews();
  ASSERT_NE(news, nullptr);
  // The window grows to 500 x 500: the view tells the document.
  platform_->Window().Resize({500, 500});
  EXPECT_EQ(news->MainLevel(), 2);
  EXPECT_EQ(Level(), 2);
  EXPECT_EQ(news->MainSpreadSize(), (platform::Size{400, 400}));
  EXPECT_EQ(View().GetBrowserProperty("minlevel"), "3");
  EXPECT_EQ(Shown(), 1);
  // The same size again changes nothing; a window that shrinks takes the level back down.
  int x = View().ViewX(), y = View().ViewY();
  news->OnViewChanged(0, x, y, 500, 500, Level(), 0, -1, -1);
  EXPECT_EQ(news->MainLevel(), 2);
  platform_->Window().Resize({300, 300});
  EXPECT_EQ(news->MainLevel(), 1);
  EXPECT_EQ(Level(), 1);
  EXPECT_EQ(View().GetBrowserProperty("minlevel"), "2");
}

// Tabs fixed to the window keep their places on the spread, which a wider window shows in
// its middle, and are laid out again for the spread of a new main level.
TEST_F(NewsDocumentTest, FixedTabsStayOnTheSpreadInAWiderWindow) {
  const std::string tabs = Params({{"AllowBookmark", "yes"}, {"BookMarkNum", "2"}, {"BookMarkWidth", "10"},
                                   {"BookMarkSpacing", "2"}, {"BookMarkLeft", "5"}, {"BookMarkSTop", "3"},
                                   {"BookMarkSHeight", "8"}, {"BookMarkTop", "1"}, {"BookMarkHeight", "30"},
                                   {"BookMarkXHeight", "20"}});
  NewsDocument* news = OpenNews(kSpreads + tabs);
  ASSERT_NE(news, nullptr);
  auto screenRect = [this, news](int tab) {
    View().DrawFrame(false);
    return news->Bookmarks()->Tab(tab)->GetScreenRect();
  };
  // The right-hand group, counted from the spread's right edge: u = W - 12 * (2 - i) - 5 - 1.
  struct Case {
    int width, height;
    int spreadLeft, spreadTop, spreadWidth;
  } cases[] = {
      {300, 300, 50, 50, 200},  // spreads of 200 in the middle of the window
      {340, 260, 70, 30, 200},  // wider and lower: the same level, the spread moves
      {500, 500, 50, 50, 400},  // a new main level: spreads of 400
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    platform_->Window().Resize({c.width, c.height});
    EXPECT_EQ(news->MainSpreadSize().width, c.spreadWidth);
    EXPECT_EQ(screenRect(0), platform::Rect::FromSize(c.spreadLeft + c.spreadWidth - 24 - 6, c.spreadTop + 3, 10, 8));
    Run("bookmark", "1");  // marks the spread shown: the tab grows in its place
    EXPECT_EQ(screenRect(1), platform::Rect::FromSize(c.spreadLeft + c.spreadWidth - 12 - 6, c.spreadTop + 1, 10, 30));
    Run("bookmark", "1");
  }
}

TEST_F(NewsDocumentTest, TabsMarkSpreadsAndAnswerForThem) {
  const std::string tabs = Params({{"AllowBookmark", "yes"}, {"BookMarkNum", "12"}, {"BookMarkLeftNum", "9"},
                                   {"BookMarkWidth", "10"}, {"BookMarkSpacing", "2"}, {"BookMarkLeft", "5"},
                                   {"BookMarkSTop", "3"}, {"BookMarkSHeight", "8"}, {"BookMarkTop", "1"},
                                   {"BookMarkHeight", "30"}, {"BookMarkXHeight", "20"}, {"BookMark2page", "no"}});
  NewsDocument* news = OpenNews(kSpreads + tabs);
  ASSERT_NE(news, nullptr);
  EXPECT_EQ(Param("getbookmarknum"), "8");
  EXPECT_EQ(Param("GetBookmark,3"), "-1");
  CComponentRect* first = news->Bookmarks()->Tab(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetLink(), "exec:bookmark,0");
  EXPECT_EQ(first->GetFillColor(), 0xCEE5F9u);  // #F9E5CE
  // Nine left tabs count as eight: every tab stands in the left group.
  // (The 200-pixel spread stands 50 pixels into the 300-pixel window.)
  EXPECT_EQ(news->Bookmarks()->Tab(7)->GetX(), 50 + 5 + 7 * 12);
  EXPECT_EQ(first->GetHeight(), 8);

  TakeEvents();
  Run("bookmark", "0");  // marks the spread shown
  EXPECT_EQ(Param("getbookmark,1"), "1");
  EXPECT_EQ(first->GetHeight(), 30);
  EXPECT_FALSE(first->IsScreenCoordinates());  // it rides on its spread
  Run("bookmark", "0");  // the same spread: cleared
  EXPECT_EQ(Param("getbookmark,1"), "-1");
  std::vector<ViewEvent> events = TakeEvents();
  std::erase_if(events, [](const ViewEvent& e) { return e.name != "setbookmark" && e.name != "unsetbookmark"; });
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].name, "setbookmark");
  EXPECT_EQ(events[0].param1, "1");
  EXPECT_EQ(events[0].param2, "1");
  EXPECT_EQ(events[1].name, "unsetbookmark");
  EXPECT_EQ(events[1].param1, "1");
  EXPECT_EQ(events[1].param2, "");

  Run("setbookmark", "2,3");
  EXPECT_EQ(Param("getbookmark,2"), "3");
  Run("bookmark", "1");  // a tab of another spread goes there
  EXPECT_EQ(Shown(), 3);
  EXPECT_EQ(news->Bookmarks()->Tab(1)->GetHeight(), 30);
  Run("setbookmark", "2,0");  // no spread: cleared
  EXPECT_EQ(Param("getbookmark,2"), "-1");
  Run("setbookmark", "9,2");  // no such tab
  Run("unsetbookmark", "0");
  EXPECT_EQ(Param("getbookmark,9"), "-1");
}

TEST_F(NewsDocumentTest, TheNumberOfTabsIsAnsweredAsGiven) {
  ASSERT_NE(OpenNews(kSpreads + Params({{"AllowBookmark", "yes"}, {"BookMarkNum", "5"}})), nullptr);
  EXPECT_EQ(Param("getbookmarknum"), "5");
  ASSERT_NE(OpenNews(kSpreads + Params({{"BookMarkNum", "5"}})), nullptr);  // bookmarks not allowed
  EXPECT_EQ(Param("getbookmarknum"), "0");
}

TEST_F(NewsDocumentTest, ThePrintWidthIsAPageOfTheSpread) {
  struct Case {
    const char* printWidth;
    const char* onePageFlip;
    int width;
  } cases[] = {{"5", "no", 1000}, {"5", "yes", 2000}, {"1500", "no", 1500}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.printWidth) + " " + c.onePageFlip);
    ASSERT_NE(OpenNews(Params({{"PageWidth", "2000"}, {"PageHeight", "400"}, {"PrintWidth", c.printWidth},
                               {"onepageflip", c.onePageFlip}})),
              nullptr);
    EXPECT_EQ(View().GetDocument()->GetPrintWidth(), c.width);
    EXPECT_EQ(View().GetDocument()->GetPrintHeight(), 400);
  }
}

TEST_F(NewsDocumentTest, TheSpineShadesTheMiddleOfTheSpreadAtTheMainLevelOnly) {
  NewsDocument* news = OpenNews(kSpreads + Params({{"ShadowStartPage", "2"}}));
  ASSERT_NE(news, nullptr);
  const std::vector<CComponentRect*>& lines = news->Spine()->Lines();
  ASSERT_EQ(lines.size(), 29u);
  Shown();
  EXPECT_FALSE(lines[0]->IsVisible());  // spread 1 is not above ShadowStartPage / 2
  Run("nextpage");
  Shown();
  EXPECT_TRUE(lines[0]->IsVisible());
  EXPECT_EQ(lines[0]->GetX(), 200 + 100);
  EXPECT_EQ(lines[28]->GetX(), 200 + 100 + 28);
  EXPECT_EQ(lines[18]->GetTransparency(), 188);
  View().ZoomTo(2, 500, 200, true);
  View().DrawFrame(false);
  EXPECT_FALSE(lines[0]->IsVisible());

  ASSERT_NE(OpenNews(kSpreads + Params({{"onepageflip", "yes"}})), nullptr);
  EXPECT_EQ(News()->Spine(), nullptr);
}

TEST_F(NewsDocumentTest, ClicksAtTheEdgesKeysAndTheRightButtonTurnSpreads) {
  ASSERT_NE(OpenNews(kSpreads + Params({{"ArrowRange", "40"}})), nullptr);
  auto click = [this](int x) {
    View().OnLButtonDown(x, 150, platform::kModLeftButton, 1);
    View().OnLButtonUp(x, 150, 0, 2);
  };
  click(290);
  EXPECT_EQ(Shown(), 2);
  click(10);
  EXPECT_EQ(Shown(), 1);
  View().OnKeyDown(platform::kKeyRight, 0, 0, 3);
  EXPECT_EQ(Shown(), 2);
  View().OnKeyDown(platform::kKeyLeft, 0, 0, 4);
  EXPECT_EQ(Shown(), 1);
  View().OnRButtonDown(250, 150, 0, 5);
  View().OnRButtonUp(250, 150, 0, 6);
  EXPECT_EQ(Shown(), 2);
  View().OnMouseMove(5, 150, 0, 7);
  EXPECT_EQ(platform_->Window().CurrentCursor(), "IDC_CURSOR_LEFT");
  View().OnMouseMove(295, 150, 0, 8);
  EXPECT_EQ(platform_->Window().CurrentCursor(), "IDC_CURSOR_RIGHT");
}

TEST_F(NewsDocumentTest, AtTheMainLevelTheZoomAreaIsOnePage) {
  ASSERT_NE(OpenNews(), nullptr);
  int x = 150, y = 40, width = 0, height = 0;
  ASSERT_TRUE(View().GetDocument()->ComputeZoomArea(x, y, width, height));
  EXPECT_EQ((platform::Rect{x, y, width, height}), (platform::Rect{101, 0, 100, 200}));
}

TEST_F(NewsDocumentTest, LeavingTheNewspaperGivesTheViewItsSettingsBack) {
  ASSERT_NE(OpenNews(kSpreads, 300, 300, {{"minlevel", "1"}, {"scrollstep", "7"}}), nullptr);
  EXPECT_EQ(View().GetBrowserProperty("minlevel"), "2");
  std::string error;
  ASSERT_TRUE(Window().Open(dir_.File("paper.ktq"), error)) << error;
  EXPECT_EQ(View().GetBrowserProperty("minlevel"), "1");
  EXPECT_EQ(View().GetBrowserProperty("scrollstep"), "7");
  EXPECT_EQ(View().GetMouseHook(), nullptr);
  EXPECT_EQ(View().GetContentRect(), (platform::Rect{0, 0, 0, 0}));
}

// The spreads ahead are asked of the tile server before the reader turns to them.
TEST_F(NewsDocumentTest, TheNextSpreadIsFetchedBeforeTheReaderTurns) {
  FakeKtqServer server(DescriptionOnly(kFourSpreads));
  const std::string url = "ktq://127.0.0.1:" + std::to_string(server.Port()) + "/paper.ktq";
  ASSERT_TRUE(Open("news", kSpreads + Params({{"CacheLevel", "1"}}), url, 300, 300));
  auto columnsAsked = [&server] { return ColumnsAsked(server, 1); };
  View().DrawFrame(false);
  RunFor(200);
  EXPECT_EQ(columnsAsked().count(7), 0u);  // spreads 1 to 3 only
  EXPECT_EQ(columnsAsked().count(5), 1u);
  Run("gotopage", "3");
  View().DrawFrame(false);
  for (int i = 0; i < 50 && !columnsAsked().count(7); ++i) RunFor(20);
  EXPECT_EQ(columnsAsked().count(6), 1u);
  EXPECT_EQ(columnsAsked().count(7), 1u);
}

}  // namespace
