#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/XmmlDocument.h"
#include "documents/modes/ComicsDocument.h"
#include "documents/modes/PageIndicator.h"
#include "documents/modes/PageScroller.h"
#include "objects/ObjectGroup.h"
#include "objects/PictureButton.h"
#include "objects/ViewEvent.h"
#include "platform/Platform.h"
#include "platform/SettingsStore.h"
#include "platform/TextValues.h"
#include "platform/headless/ScriptedResponder.h"
#include "tests/documents/GridDocument.h"
#include "tests/documents/RecordingHost.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

constexpr const char* kComicsFileMarkup =
    "<xmml><param name=\"type\" value=\"comics\"/><comics><param name=\"pagewidth\" value=\"240\"/>"
    "<param name=\"pageheight\" value=\"320\"/><param name=\"direction\" value=\"vertical\"/></comics></xmml>";
constexpr const char* kSaved = "Software\\Korvani\\comics\\Saved";

std::vector<std::uint8_t> Bytes(const std::string& markup) { return {markup.begin(), markup.end()}; }

class ComicsTest : public ::testing::Test {
 protected:
  ComicsTest() : ComicsTest(nullptr) {}
  explicit ComicsTest(platform::Platform* platform) : host(platform) {
    host.viewWidth = 700;
    host.viewHeight = 400;
    host.subDocuments = [this](const SubDocumentRequest&) { return std::make_unique<GridDocument>(levels); };
  }

  // A ".cms" file: one picture of the given levels with the built-in markup.
  std::unique_ptr<ComicsDocument> ComicFile(std::vector<platform::Size> levelSizes,
                                            const std::string& url = "/books/strip.cms") {
    return std::make_unique<ComicsDocument>(host, std::make_unique<GridDocument>(std::move(levelSizes)),
                                            kComicsFileMarkup, url);
  }
  // An XMML document of type "comics" whose comics section holds params (and whose
  // basemap has the test's levels).
  std::unique_ptr<ComicsDocument> ComicMarkup(const std::string& params, const std::string& documentParams = "") {
    auto xmml = std::make_unique<XmmlDocument>(
        host, "/books/issue.xmml",
        Bytes("<xmml><param name=\"type\" value=\"comics\"/>" + documentParams + "<comics>" + params +
              "</comics><body></body></xmml>"));
    return std::make_unique<ComicsDocument>(host, std::move(xmml), "", "/books/issue.xmml");
  }
  static std::string Param(const char* name, const std::string& value) {
    return std::string("<param name=\"") + name + "\" value=\"" + value + "\"/>";
  }
  std::string Row(int pageWidth, int offsetX = 0) {
    return Param("pagewidth", std::to_string(pageWidth)) + Param("pageheight", "320") +
           Param("direction", "horizontal") + Param("offsetx", std::to_string(offsetX));
  }
  std::vector<std::string> PageEvents() {
    std::vector<std::string> pages;
    for (const ViewEvent& event : host.events)
      if (event.name == "pagechanged") pages.push_back(event.param1);
    return pages;
  }
  platform::SettingsStore& Settings() { return host.GetPlatform().Settings(); }

  RecordingHost host;
  std::vector<platform::Size> levels{{2400, 320}};
};

}  // namespace

TEST_F(ComicsTest, PagesAreCountedAlongTheLayout) {
  struct Case {
    const char* what;
    std::vector<platform::Size> levels;
    std::string params;  // empty: a ".cms" file
    int pages;
    const char* direction;
  } cases[] = {
      {"comic file wider than tall: a row", {{2400, 320}}, "", 10, "horizontal"},
      {"comic file taller than wide: a column", {{240, 3200}}, "", 10, "vertical"},
      {"2400 pixels of 240-pixel pages", {{2400, 320}}, Row(240), 10, "horizontal"},
      {"one pixel more starts a page", {{2402, 320}}, Row(240), 11, "horizontal"},
      {"the offset comes off the width", {{2410, 320}}, Row(240, 10), 10, "horizontal"},
      {"a column of 320-pixel pages",
       {{240, 3200}},
       Param("pagewidth", "240") + Param("pageheight", "320") + Param("direction", "vertical"),
       10,
       "vertical"},
      {"the fallback sizes and direction",
       {{2400, 320}},
       Param("pagewidth0", "480") + Param("pageheight0", "320") + Param("direction0", "left"),
       5,
       "left"},
      {"no page size: one page", {{2400, 320}}, Param("direction", "horizontal"), 1, "horizontal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    levels = c.levels;
    auto comic = c.params.empty() ? ComicFile(c.levels) : ComicMarkup(c.params);
    ASSERT_TRUE(comic->IsValid());
    EXPECT_EQ(comic->PageCount(), c.pages);
    EXPECT_EQ(comic->GetParam("pagecount"), std::to_string(c.pages));
    EXPECT_EQ(comic->Scroller()->GetPageCount(), c.pages);
    EXPECT_EQ(comic->GetParam("direction"), c.direction);
  }
}

TEST_F(ComicsTest, ConstructionSetsTheModesParametersAndProperties) {
  auto comic = ComicMarkup(Row(240) + Param("id", "Heroes"), Param("author", "someone"));
  EXPECT_EQ(comic->GetParam("smoothzoom"), "no");
  EXPECT_EQ(comic->GetParam("reportpage"), "yes");
  EXPECT_EQ(comic->GetParam("snappage"), "yes");
  EXPECT_EQ(comic->GetParam("autoplayspeed"), "5");
  EXPECT_EQ(host.properties["playdelay"], "5");
  EXPECT_EQ(host.properties["showexit"], "no");
  EXPECT_EQ(comic->GetParam("id"), "Heroes");
  EXPECT_EQ(comic->GetParam("author"), "someone");  // the markup's own params stay
  // Comics params land in the inner document.
  EXPECT_EQ(comic->GetInner()->GetParam("pagewidth"), "240");
  EXPECT_EQ(ComicFile({{2400, 320}}, "/books/Strip.cms")->GetParam("id"), "Strip.cms");
}

TEST_F(ComicsTest, ClickZonesTurnPagesAtTheWindowsEdges) {
  struct Case {
    const char* what;
    std::vector<platform::Size> levels;
    int x;
    const char* command;  // nullptr: nothing
  } cases[] = {
      {"7 zones, first seventh", {{600, 80}, {2400, 320}}, 99, "prevpage"},
      {"7 zones, last seventh", {{600, 80}, {2400, 320}}, 601, "nextpage"},
      {"7 zones, middle", {{600, 80}, {2400, 320}}, 350, nullptr},
      {"3 zones, first third", {{2400, 320}}, 232, "prevpage"},
      {"3 zones, past the first third", {{2400, 320}}, 233, nullptr},
      {"3 zones, last third", {{2400, 320}}, 467, "nextpage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host.objectView.executed.clear();
    auto comic = ComicFile(c.levels);
    EXPECT_EQ(comic->ZoneCount(), c.levels.size() == 1 ? 3 : 7);
    comic->OnLButtonDown(c.x, 200, 0);
    const bool consumed = comic->OnLButtonUp(c.x, 209, 0);  // 9 pixels off: still a click
    EXPECT_EQ(consumed, c.command != nullptr);
    std::vector<std::pair<std::string, std::string>> expected;
    if (c.command) expected.emplace_back(c.command, "");
    EXPECT_EQ(host.objectView.executed, expected);
  }
}

TEST_F(ComicsTest, ClickZonesIgnoreDragsZoomedLevelsAndSwitchedOffArrows) {
  auto comic = ComicFile({{600, 80}, {2400, 320}});
  comic->OnLButtonDown(20, 200, 0);
  EXPECT_FALSE(comic->OnLButtonUp(30, 200, 0));  // moved 10 pixels: a drag
  comic->SetLevel(1);
  comic->OnLButtonDown(20, 200, 0);
  EXPECT_FALSE(comic->OnLButtonUp(20, 200, 0));
  comic->SetLevel(0);
  host.properties["pagearrows"] = "no";
  comic->OnLButtonDown(20, 200, 0);
  EXPECT_FALSE(comic->OnLButtonUp(20, 200, 0));
  EXPECT_TRUE(host.objectView.executed.empty());

  // Over the zones the cursor shows the way pages turn; it comes back elsewhere.
  host.properties.erase("pagearrows");
  platform::WindowHost& window = host.GetPlatform().Window();
  window.SetCursor("default");
  comic->OnMouseMove(20, 200, 0, 0);
  EXPECT_EQ(window.CurrentCursor(), "w-resize");
  comic->OnMouseMove(690, 200, 0, 0);
  EXPECT_EQ(window.CurrentCursor(), "e-resize");
  comic->OnMouseMove(350, 200, 0, 0);
  EXPECT_EQ(window.CurrentCursor(), "default");
}

TEST_F(ComicsTest, ColumnsTurnPagesAtTheTopAndBottom) {
  auto comic = ComicFile({{240, 3200}});
  comic->OnLButtonDown(350, 10, 0);
  EXPECT_TRUE(comic->OnLButtonUp(350, 10, 0));
  comic->OnLButtonDown(10, 390, 0);
  EXPECT_TRUE(comic->OnLButtonUp(10, 390, 0));
  EXPECT_EQ(host.objectView.executed,
            (std::vector<std::pair<std::string, std::string>>{{"prevpage", ""}, {"nextpage", ""}}));
}

TEST_F(ComicsTest, GotoPageScrollsToThePageAndReportsIt) {
  levels = {{2410, 320}};
  auto comic = ComicMarkup(Row(240, 10));
  EXPECT_FALSE(comic->HandleCommand("GotoPage", "3"));  // the view goes on with it
  ASSERT_FALSE(host.scrolls.empty());
  EXPECT_EQ(host.scrolls.back(), std::make_pair(490, 0));
  EXPECT_EQ(PageEvents(), std::vector<std::string>{"3"});
  EXPECT_EQ(comic->GetParam("currentpage"), "3");
  EXPECT_EQ(comic->Scroller()->GetPage(), 3);
  // A page beyond the picture has no origin: no scroll, but it is still the page.
  host.scrolls.clear();
  comic->HandleCommand("gotopage", "40");
  EXPECT_TRUE(host.scrolls.empty());
  EXPECT_EQ(comic->GetParam("currentpage"), "40");
}

TEST_F(ComicsTest, PageOriginsWrapAndScaleWithTheLevel) {
  ComicsLayout layout;
  layout.pageWidth = 240;
  layout.pageHeight = 320;
  layout.inRow = true;
  layout.fullWidth = 960;
  layout.fullHeight = 640;
  layout.offsetX = 20;
  // Four pages start in a row of 960 pixels; the fifth opens the second row.
  EXPECT_EQ(layout.PageOrigin(5, 960, 640), (platform::Point{20, 320}));
  // At half size pages and offset halve.
  EXPECT_EQ(layout.PageOrigin(2, 480, 320), (platform::Point{130, 0}));
  EXPECT_EQ(layout.PageOrigin(0, 960, 640), std::nullopt);
  EXPECT_EQ(layout.PageOrigin(9, 960, 640), std::nullopt);  // below the picture
  layout.inRow = false;
  EXPECT_EQ(layout.PageOrigin(3, 960, 640), (platform::Point{260, 0}));
}

TEST_F(ComicsTest, ScrollingAtLevelZeroFollowsThePageUnderTheView) {
  auto comic = ComicFile({{2400, 320}});
  std::vector<MapObject*> items;
  host.viewX = 500;  // pages begin at 480 and 720: the next to start is page 4
  comic->GetDrawList(items, 0, 0, 700, 320, 0, 0);
  EXPECT_EQ(comic->CurrentPage(), 4);
  EXPECT_EQ(comic->Scroller()->GetPage(), 4);
  EXPECT_EQ(comic->GetParam("currentpage"), "4");
  items.clear();
  comic->GetDrawList(items, 0, 0, 700, 320, 0, 0);  // no change: no second report
  host.viewX = 0;
  items.clear();
  comic->GetDrawList(items, 0, 0, 700, 320, 0, 0);
  EXPECT_EQ(PageEvents(), (std::vector<std::string>{"4", "1"}));
}

// A window narrower than a page moves inside the page it shows; a wider one stands at the
// page's left edge.
TEST_F(ComicsTest, AtLevelZeroTheViewStaysOnOnePage) {
  auto comic = ComicFile({{600, 80}, {2400, 320}});  // level 0: pages of 60 pixels
  struct Case {
    int x, width, level, expected;
  } cases[] = {
      {130, 30, 0, 130},  // inside page 3 (120 .. 180)
      {170, 30, 0, 150},  // page 3's right edge less the window
      {170, 100, 0, 120}, // wider than the page: its left edge
      {-5, 30, 0, 0},
      {500, 30, 1, 500},  // zoomed in: free
  };
  for (const Case& c : cases) {
    int x = c.x, y = 7;
    comic->OnViewChanged(0, x, y, c.width, 40, c.level, 0, -1, -1);
    EXPECT_EQ(x, c.expected) << c.x << " in a window of " << c.width;
    EXPECT_EQ(y, 7);
  }
  ComicsLayout wrapped{240, 320, true, 0, 0, 960, 640};  // four pages a row
  EXPECT_EQ(wrapped.PageContaining(500, 400, 960, 640, 8), 7);
  EXPECT_EQ(wrapped.PageContaining(5000, 5000, 960, 640, 8), 8);
}

TEST_F(ComicsTest, PageTurnsWhenZoomedInGoBackToLevelZeroOnTheCurrentPage) {
  auto comic = ComicFile({{600, 80}, {2400, 320}});
  comic->HandleCommand("gotopage", "2");
  EXPECT_FALSE(comic->HandleCommand("nextpage", ""));  // level 0: the view turns the page
  comic->SetLevel(1);
  host.scrolls.clear();
  EXPECT_FALSE(comic->HandleCommand("nextpage", ""));
  EXPECT_EQ(comic->GetLevel(), 0);
  ASSERT_FALSE(host.scrolls.empty());
  EXPECT_EQ(host.scrolls.back(), std::make_pair(60, 0));
}

TEST_F(ComicsTest, SavedMarksMoveToTheSamePlaceInANewPageCount) {
  struct Case {
    int mark, total, count, page;
  } cases[] = {
      {5, 10, 20, 10},  // twice the pages
      {9, 10, 5, 4},    // 4.5: a half is not rounded up
      {7, 10, 5, 3},    // 3.5 stays 3
      {8, 10, 5, 4},    // 4 exactly
      {30, -1, 20, 20}, // never rescaled, kept inside
      {0, 10, 20, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComicsBookmarks::Rescale(c.mark, c.total, c.count), c.page)
        << c.mark << " of " << c.total << " in " << c.count;
  }
  EXPECT_EQ(ComicsBookmarks::Rescale(71, 100, 5), 4);  // 3.55

  Settings().SetString(kSaved, "strip.cms_mark", "5");
  Settings().SetString(kSaved, "strip.cms_total", "10");
  EXPECT_EQ(ComicFile({{4800, 320}})->CurrentPage(), 1);  // bookmarks are off
  host.properties["allowbookmark"] = "yes";
  auto comic = ComicFile({{4800, 320}});
  EXPECT_EQ(comic->PageCount(), 20);
  EXPECT_EQ(comic->CurrentPage(), 10);
  EXPECT_EQ(comic->Scroller()->GetPage(), 10);
  Settings().SetString(kSaved, "strip.cms_mark", "30");
  Settings().SetString(kSaved, "strip.cms_total", "30");
  EXPECT_EQ(ComicFile({{2400, 320}})->CurrentPage(), 10);
}

// Twelve comics: the two read longest ago lose their bookmarks, wherever they stand in the
// store's order; their modes stay.
TEST_F(ComicsTest, OnlyTheTenLatestBookmarksAreKept) {
  auto id = [](int i) { return "book" + std::string(i < 10 ? "0" : "") + std::to_string(i); };
  for (int i = 1; i <= 12; ++i) {
    Settings().SetString(kSaved, id(i) + "_mode", "1");
    Settings().SetString(kSaved, id(i) + "_mark", "2");
    Settings().SetString(kSaved, id(i) + "_total", "9");
    const int date = i == 6 ? 500 : i == 9 ? 600 : 1000 + i;
    Settings().SetString(kSaved, id(i) + "_date", std::to_string(date));
  }
  ComicFile({{2400, 320}});
  for (int i = 1; i <= 12; ++i) {
    const bool dropped = i == 6 || i == 9;
    EXPECT_EQ(Settings().GetString(kSaved, id(i) + "_mark").has_value(), !dropped) << id(i);
    EXPECT_EQ(Settings().GetString(kSaved, id(i) + "_total").has_value(), !dropped) << id(i);
    EXPECT_EQ(Settings().GetString(kSaved, id(i) + "_date").has_value(), !dropped) << id(i);
    EXPECT_TRUE(Settings().GetString(kSaved, id(i) + "_mode")) << id(i);
  }
}

TEST_F(ComicsTest, TimeStampsCountMinutesFromYearZero) {
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 11;  // December
  local.tm_mday = 10;
  local.tm_hour = 17;
  local.tm_min = 5;
  EXPECT_EQ(ComicsBookmarks::Stamp(local), ((((2026u * 12 + 12) * 30 + 10) * 24 + 17) * 60) + 5);
}

// The bookmark goes through the settings file: a second program reading it opens the
// comic where the first one was left.
TEST(ComicsRestart, TheBookmarkSurvivesARestart) {
  TempDir settingsDir;
  auto run = [&](auto&& use) {
    platform::PlatformOptions options;
    options.settingsFile = settingsDir.File("settings.ini");
    std::string error;
    auto platform = platform::CreatePlatform(options, error);
    ASSERT_TRUE(platform) << error;
    RecordingHost host(platform.get());
    host.properties["allowbookmark"] = "yes";
    auto comic = std::make_unique<ComicsDocument>(host, std::make_unique<GridDocument>(
                                                            std::vector<platform::Size>{{2400, 320}}),
                                                  kComicsFileMarkup, "/books/Strip.cms");
    use(*comic);
    comic->Close();
  };
  run([](ComicsDocument& comic) {
    EXPECT_EQ(comic.CurrentPage(), 1);
    comic.HandleCommand("gotopage", "7");
  });
  run([](ComicsDocument& comic) { EXPECT_EQ(comic.CurrentPage(), 7); });
  platform::SettingsStore reread(settingsDir.File("settings.ini"));
  EXPECT_EQ(reread.GetString(kSaved, "strip.cms_total"), "10");
  EXPECT_GT(ParseInt(reread.GetString(kSaved, "strip.cms_date").value_or("0")), 1'000'000'000);
}

TEST_F(ComicsTest, TheToolbarFollowsComicsMenuAndTheScroller) {
  auto comic = ComicFile({{2400, 320}});
  PageScroller* scroller = comic->Scroller();
  ASSERT_NE(scroller, nullptr);
  EXPECT_TRUE(scroller->IsVisible());
  comic->SetParam("ComicsMenu", "no");
  EXPECT_FALSE(scroller->IsVisible());
  comic->SetParam("comicsmenu", "yes");
  EXPECT_TRUE(scroller->IsVisible());
  host.properties["comicsmenu"] = "no";
  EXPECT_FALSE(ComicFile({{2400, 320}})->Scroller()->IsVisible());

  // Dragging the scroller to its end picks the last page; at level 0 the view goes there.
  scroller->UpdateScreenRect();
  const platform::Rect track = scroller->GetScreenRect();
  scroller->OnLButtonDown(0, {track.left, track.top + 5});
  scroller->OnLButtonUp(0, {track.right - 1, track.top + 5});
  EXPECT_EQ(scroller->GetPage(), 10);
  ASSERT_FALSE(host.scrolls.empty());
  EXPECT_EQ(host.scrolls.back(), std::make_pair(2160, 0));
}

TEST_F(ComicsTest, AnAutoHidingPanelShowsNearThePointer) {
  host.properties["autohide"] = "yes";
  auto comic = ComicFile({{2400, 320}});
  ASSERT_NE(comic->Panel(), nullptr);
  EXPECT_FALSE(comic->Panel()->IsVisible());
  const platform::Rect panel = comic->Panel()->GetScreenRect();
  comic->OnMouseMove(panel.left + 2, panel.top + 2, 0, 0);
  EXPECT_TRUE(comic->Panel()->IsVisible());
  comic->OnMouseMove(100, 200, 0, 0);
  EXPECT_FALSE(comic->Panel()->IsVisible());
}

TEST_F(ComicsTest, ToolbarCommandsPlayAndSetTheDelay) {
  auto comic = ComicFile({{2400, 320}});
  PageScroller& scroller = *comic->Scroller();
  comic->OnObjectMouse(scroller, "play", 1, {0, 0});  // the scroller sends no commands
  EXPECT_FALSE(comic->IsPlaying());
  MapObject* play = nullptr;
  for (MapObject* object : comic->GetObjectList()) {
    auto* button = dynamic_cast<PictureButton*>(object);
    if (button && button->GetCommand() == "play") play = object;
  }
  ASSERT_NE(play, nullptr);
  play->OnClick({0, 0}, 1);
  EXPECT_TRUE(comic->IsPlaying());
  EXPECT_EQ(host.properties["autoplay"], "yes");
  play->OnClick({0, 0}, 1);
  EXPECT_EQ(host.properties["autoplay"], "no");
  EXPECT_EQ(host.objectView.executed,
            (std::vector<std::pair<std::string, std::string>>{{"autoplay", "yes"}, {"autoplay", "no"}}));

  comic->HandleCommand("AutoPlayDelay", "3");
  EXPECT_EQ(host.properties["playdelay"], "3");
  EXPECT_EQ(comic->GetParam("autoplayspeed"), "3");
  EXPECT_EQ(Settings().GetString("Software\\Korvani\\comics", "autoplayspeed"), "3");
  play->OnClick({0, 0}, 1);  // a saved speed is the delay when play starts
  host.properties["playdelay"] = "9";
  play->OnClick({0, 0}, 1);
  play->OnClick({0, 0}, 1);
  EXPECT_EQ(host.properties["playdelay"], "3");
}

TEST_F(ComicsTest, TheSettingsDialogSavesAndAppliesThePlaySettings) {
  auto comic = ComicFile({{2400, 320}});
  auto& responder = *host.GetPlatform().Responder();
  responder.QueueForm(std::map<std::string, std::string>{{"autoplayspeed", "8"}, {"snappage", "no"}});
  EXPECT_TRUE(comic->HandleCommand("config", ""));
  EXPECT_EQ(comic->GetParam("snappage"), "no");
  EXPECT_EQ(comic->GetParam("autoplayspeed"), "8");
  EXPECT_EQ(host.properties["playdelay"], "8");
  EXPECT_EQ(ComicFile({{2400, 320}})->GetParam("autoplayspeed"), "8");
}

TEST_F(ComicsTest, ActivationInstallsTheClickZonesAndDeactivationRemovesThem) {
  auto comic = ComicFile({{2400, 320}});
  comic->Activate();
  EXPECT_EQ(host.mouseHook, comic.get());
  host.properties["magnifier"] = "yes";
  comic->Deactivate();
  EXPECT_EQ(host.mouseHook, nullptr);
  EXPECT_EQ(host.properties["magnifier"], "no");
  comic->ToggleMagnifier();
  EXPECT_EQ(host.properties["magnifier"], "yes");
}
