#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "control/ViewWindow.h"
#include "objects/CComponentLink.h"
#include "platform/InputEvent.h"
#include "tests/view/ViewTestSupport.h"
#include "view/BackButton.h"
#include "view/CommandInterpreter.h"
#include "documents/KeyHook.h"
#include "documents/MouseHook.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

constexpr unsigned kLeft = 1;
constexpr unsigned kShift = 4;
constexpr unsigned kControl = 8;

// A grid document whose pending tiles and page count the test sets.
class TickDocument : public GridDocument {
 public:
  using GridDocument::GridDocument;
  int GetPendingTileCount() override { return pending; }
  int GetPageCount() override { return pages; }
  void NextPage() override { ++pageSteps; }
  int pending = 0;
  int pages = 1;
  int pageSteps = 0;
};

// A 640 × 480 view on a manual clock; Open shows a grid document with the parameters
// the test chose, draws one frame and forgets what happened so far.
class InputTest : public ::testing::Test {
 protected:
  InputTest() : harness(640, 480, clock) {
    DocumentConstructors make;
    make.tiledImage = [this](MapView&, const std::string& url) {
      auto document = std::make_unique<TickDocument>(levels, url);
      for (auto& [name, value] : params) document->SetParam(name, value);
      ++made;
      return document;
    };
    view().SetDocumentFactory(std::make_unique<DocumentFactory>(make));
  }

  void Open(const std::string& url = "/data/a.ktq") {
    view().OpenUrl(url, true, 0, 0, 0);
    Settle();
  }
  void Settle() {
    view().DrawFrame(false);
    harness.DeliverEvents().clear();
    view().commands.clear();
  }
  TestView& view() { return *harness.view; }
  TickDocument& document() { return *dynamic_cast<TickDocument*>(view().GetDocument()); }
  std::uint64_t Now() const { return clock->NowMs(); }

  // An object in window pixels, added to the document and drawn once.
  MapObject* AddObject(int x, int y, int width, int height, const std::string& tooltip = {}, bool selectable = false) {
    auto object = std::make_unique<MapObject>(x, y, width, height);
    object->SetScreenCoordinates(true);
    object->SetTooltip(tooltip);
    object->SetSelectable(selectable);
    MapObject* raw = object.get();
    document().AddObject(std::move(object), selectable);
    view().DrawFrame(false);
    return raw;
  }
  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) {
      clock->Advance(100);
      view().OnTick();
    }
  }
  int NextPageCount() const {
    return static_cast<int>(std::count(harness.view->commands.begin(), harness.view->commands.end(), "nextpage "));
  }

  std::shared_ptr<platform::ManualClock> clock = std::make_shared<platform::ManualClock>(50000);
  std::vector<platform::Size> levels = FiveLevels();
  std::map<std::string, std::string> params;
  int made = 0;
  ViewHarness harness;
};

}  // namespace

// ---- Tooltips -------------------------------------------------------------------------------

TEST_F(InputTest, TooltipAppearsOnceThePointerHasRestedForTheTooltipTime) {
  struct Case {
    const char* setting;
    int ticksBefore;  // ticks that still show nothing
  };
  for (const Case& c : {Case{"", 10}, Case{"500", 5}, Case{"250", 2}}) {
    SCOPED_TRACE(std::string("tooltiptime '") + c.setting + "'");
    Open();
    view().SetBrowserProperty("tooltiptime", c.setting);
    AddObject(100, 100, 50, 50, "Hello");
    view().OnMouseMove(120, 110, 0, Now());
    Tick(c.ticksBefore);
    EXPECT_EQ(view().ShownTooltip(), nullptr);
    Tick();
    const TooltipObject* tooltip = view().ShownTooltip();
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(view().TooltipKind(), 1);
    EXPECT_EQ(tooltip->GetText(), "Hello");
    // Placed at the pointer, sized to the text (8 × 16 pixels per character here) and padding.
    EXPECT_EQ(tooltip->GetScreenRect(), platform::Rect::FromSize(120, 110, 5 * 8 + 6, 16 + 6));
    // One tooltip per rest: it is not shown again while the pointer stays.
    view().HideTooltips();
    Tick(20);
    EXPECT_EQ(view().ShownTooltip(), nullptr);
    view().OnMouseLeave();
  }
}

TEST_F(InputTest, MovingThePointerRestartsTheWait) {
  Open();
  view().SetBrowserProperty("tooltiptime", "500");
  AddObject(100, 100, 50, 50, "Hello");
  view().OnMouseMove(120, 110, 0, Now());
  Tick(4);
  view().OnMouseMove(121, 110, 0, Now());
  Tick(4);
  EXPECT_EQ(view().ShownTooltip(), nullptr);
  Tick(2);
  EXPECT_NE(view().ShownTooltip(), nullptr);
  // Leaving the object for empty space hides it.
  view().OnMouseMove(400, 400, 0, Now());
  EXPECT_EQ(view().ShownTooltip(), nullptr);
  EXPECT_EQ(view().TooltipCandidate(), nullptr);
}

TEST_F(InputTest, SimpleTooltipFollowsSmallMovesAndHidesOnLargeOnes) {
  for (const char* hide : {"", "no"}) {
    SCOPED_TRACE(std::string("hidetooltiponmove '") + hide + "'");
    Open();
    view().SetBrowserProperty("hidetooltiponmove", hide);
    view().SetBrowserProperty("tooltiptime", "100");
    AddObject(100, 100, 200, 200, "Tip");
    view().OnMouseMove(120, 120, 0, Now());
    Tick(2);
    ASSERT_NE(view().ShownTooltip(), nullptr);
    view().OnMouseMove(128, 125, 0, Now());
    ASSERT_NE(view().ShownTooltip(), nullptr);
    EXPECT_EQ(view().ShownTooltip()->GetScreenX(), 129);
    EXPECT_EQ(view().ShownTooltip()->GetScreenY(), 126);
    view().OnMouseMove(140, 125, 0, Now());
    if (std::string(hide) == "no") {
      ASSERT_NE(view().ShownTooltip(), nullptr);
      EXPECT_EQ(view().ShownTooltip()->GetScreenX(), 141);
    } else {
      EXPECT_EQ(view().ShownTooltip(), nullptr);
    }
    // A press hides it in every case.
    view().OnLButtonDown(140, 125, kLeft, Now());
    EXPECT_EQ(view().ShownTooltip(), nullptr);
    view().OnLButtonUp(140, 125, 0, Now() + 5000);
    view().OnMouseLeave();
  }
}

TEST_F(InputTest, SizedTooltipsTakeTheirSizeFromTheTextOrShowNothing) {
  struct Case {
    const char* text;
    bool shown;
    int width, height;
  };
  const Case cases[] = {
      {"(200,80)Some <b>bold</b> text", true, 200, 80},
      {"(50,20)abc", true, 50, 20},
      {"(200,80)ab", false, 0, 0},    // too short a tail after ")"
      {"(200 80)text", false, 0, 0},  // no comma
      {"(,80)text", false, 0, 0},     // nothing before the comma
      {"(200,)text", false, 0, 0},    // nothing after it
      {"()text", false, 0, 0},
      {"(200,80", false, 0, 0},       // never closed
      {"(0,80)text", false, 0, 0},    // no area
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Open();
    view().SetBrowserProperty("tooltiptime", "100");
    AddObject(0, 0, 640, 480, c.text);
    view().OnMouseMove(30, 40, 0, Now());
    Tick(2);
    const TooltipObject* tooltip = view().ShownTooltip();
    ASSERT_EQ(tooltip != nullptr, c.shown);
    if (!c.shown) continue;
    EXPECT_EQ(view().TooltipKind(), 2);
    EXPECT_EQ(tooltip->GetScreenRect(), platform::Rect::FromSize(30, 40, c.width, c.height));
    view().OnMouseLeave();
  }
  // Markup is shown as its text.
  EXPECT_EQ(TooltipObject::PlainText("Some <b>bold</b> text<br>next &amp; last"), "Some bold text\nnext & last");
}

TEST_F(InputTest, SizedTooltipIsMovedLeftAndUpToFitTheWindow) {
  Open();
  view().SetBrowserProperty("tooltiptime", "100");
  AddObject(0, 0, 640, 480, "(200,80)A long tooltip");
  view().OnMouseMove(600, 450, 0, Now());
  Tick(2);
  ASSERT_NE(view().ShownTooltip(), nullptr);
  EXPECT_EQ(view().ShownTooltip()->GetScreenRect(), platform::Rect::FromSize(440, 400, 200, 80));
}

TEST_F(InputTest, TooltipsOfTheViewAreFoundAboveTheDocumentsObjects) {
  Open();
  view().SetBrowserProperty("tooltiptime", "100");
  MapObject* object = AddObject(100, 100, 200, 200, "Tip");
  view().OnMouseMove(120, 120, 0, Now());
  Tick(2);
  ASSERT_NE(view().ShownTooltip(), nullptr);
  EXPECT_EQ(view().ObjectAt(125, 125), view().ShownTooltip());
  EXPECT_EQ(view().ObjectAt(250, 250), object);
  // Opening content removes the tooltip.
  Open("/data/b.ktq");
  EXPECT_EQ(view().ShownTooltip(), nullptr);
  EXPECT_EQ(view().OwnObjects().size(), 2u);  // only the back button and the clip frame, which stay
}

// ---- Tick -----------------------------------------------------------------------------------

TEST_F(InputTest, AutomaticPlayWaitsForPendingTilesAndTheFullDelay) {
  Open();
  view().Commands().Execute("autoplay", "yes");  // the default delay of 5: 30 ticks
  document().pending = 2;
  Tick(40);
  EXPECT_EQ(NextPageCount(), 0);
  document().pending = 0;
  // The last tick with a pending tile counts as the first of the delay.
  Tick(28);
  EXPECT_EQ(NextPageCount(), 0);
  Tick();
  EXPECT_EQ(NextPageCount(), 1);
  Tick(29);
  EXPECT_EQ(NextPageCount(), 1);
  Tick();
  EXPECT_EQ(NextPageCount(), 2);
}

TEST_F(InputTest, MovingOrPressingTheMousePostponesTheNextPage) {
  Open();
  view().Commands().Execute("autoplay", "5");
  Tick(25);
  view().OnMouseMove(10, 10, 0, Now());  // the counter drops to 5 × (5 − 3)
  EXPECT_EQ(view().Commands().PlayTicks(), 10);
  Tick(19);
  EXPECT_EQ(NextPageCount(), 0);
  Tick();
  EXPECT_EQ(NextPageCount(), 1);
  // A short delay is not held back.
  view().Commands().Execute("autoplay", "no");
  view().Commands().Execute("autoplay", "3");
  Tick(15);
  view().OnLButtonDown(20, 20, kLeft, Now());
  EXPECT_EQ(view().Commands().PlayTicks(), 15);
}

TEST_F(InputTest, AutomaticScrollingStepsAndStopsAtTheEdge) {
  Open();
  view().MoveTo(0, 0, 5, "left");
  view().SetPosition(3366, 100, false, false);
  view().Commands().Execute("autoscroll", "45,0");  // two steps of 22 and 23 pixels
  // Nothing moves while the view is suspended for rendering.
  view().SetSuspended(true);
  Tick();
  EXPECT_EQ(view().ViewX(), 3366);
  view().SetSuspended(false);
  Tick();
  EXPECT_EQ(view().ViewX(), 3411);
  EXPECT_EQ(view().ViewY(), 100);
  Tick();
  EXPECT_EQ(view().ViewX(), 3456);  // the right edge: 4096 − 640
  EXPECT_EQ(view().Commands().AutoScrollSpeed(), (platform::Point{45, 0}));
  Tick();
  EXPECT_EQ(view().Commands().AutoScrollSpeed(), (platform::Point{0, 0}));
}

TEST_F(InputTest, AnimatedPagesAdvanceUnlessPaused) {
  Open();
  Tick(3);
  EXPECT_EQ(document().pageSteps, 0);  // a single page does not animate
  document().pages = 4;
  Tick(3);
  EXPECT_EQ(document().pageSteps, 3);
  view().SetBrowserProperty("pauseanimation", "yes");
  Tick(3);
  EXPECT_EQ(document().pageSteps, 3);
}

TEST_F(InputTest, TheZoomAreaHidesAfterTenIdleTicks) {
  Open();
  view().SetBrowserProperty("DrawZoomArea", "yes");
  view().OnMouseMove(100, 100, 0, Now());
  Tick(9);
  EXPECT_FALSE(view().IsZoomAreaHidden());
  Tick();
  EXPECT_TRUE(view().IsZoomAreaHidden());
  view().OnMouseMove(101, 100, 0, Now());
  EXPECT_FALSE(view().IsZoomAreaHidden());
}

TEST(ViewWindowTick, TheWindowRunsTheViewsTickEveryHundredMilliseconds) {
  auto clock = std::make_shared<platform::ManualClock>(1000);
  platform::PlatformOptions options;
  options.width = 320;
  options.height = 240;
  options.clock = clock;
  std::string error;
  auto platform = platform::CreatePlatform(options, error);
  ASSERT_TRUE(platform);
  ViewWindow window(*platform, {{"DrawZoomArea", "yes"}});
  auto& host = static_cast<platform::HeadlessWindowHost&>(platform->Window());
  for (int i = 0; i < 9; ++i) {
    clock->Advance(100);
    host.RunPending();
  }
  EXPECT_FALSE(window.View().IsZoomAreaHidden());
  clock->Advance(100);
  host.RunPending();
  EXPECT_TRUE(window.View().IsZoomAreaHidden());
}

// ---- Hooks ----------------------------------------------------------------------------------

namespace {

class RecordingHook : public MouseHook, public KeyHook {
 public:
  bool OnMouseMove(int x, int y, unsigned, std::uint64_t) override { return Note("move", x, y); }
  bool OnLButtonDown(int x, int y, std::uint64_t) override { return Note("ldown", x, y); }
  bool OnLButtonUp(int x, int y, std::uint64_t) override { return Note("lup", x, y); }
  bool OnRButtonDown(int x, int y, std::uint64_t) override { return Note("rdown", x, y); }
  bool OnRButtonUp(int x, int y, std::uint64_t) override { return Note("rup", x, y); }
  bool OnKeyDown(int key, int, unsigned, std::uint64_t) override { return Note("key", key, 0); }

  bool consume = true;
  std::vector<std::string> log;

 private:
  bool Note(const char* what, int a, int b) {
    log.push_back(std::string(what) + " " + std::to_string(a) + "," + std::to_string(b));
    return consume;
  }
};

}  // namespace

TEST_F(InputTest, ConsumingHooksKeepEventsFromTheView) {
  Open();
  view().MoveTo(0, 0, 5, "left");
  RecordingHook hook;
  view().SetMouseHook(&hook);
  view().SetKeyHook(&hook);
  EXPECT_EQ(view().GetMouseHook(), &hook);
  EXPECT_EQ(view().GetKeyHook(), &hook);

  view().OnLButtonDown(100, 100, kLeft, 1234);
  view().OnMouseMove(150, 100, kLeft, 1240);
  view().OnLButtonUp(150, 100, 0, 1250);
  view().OnRButtonDown(10, 10, 0, 1260);
  view().OnRButtonUp(10, 10, 0, 1270);
  EXPECT_TRUE(view().OnKeyDown(platform::kKeyRight, 0, 0, 1280));
  EXPECT_EQ(hook.log, (std::vector<std::string>{"ldown 100,100", "move 150,100", "lup 150,100", "rdown 10,10",
                                                "rup 10,10", "key 39,0"}));
  EXPECT_EQ(view().GetLastEventTime(), 1280u);
  EXPECT_EQ(view().ViewX(), 0);  // no pan, no key step
  EXPECT_EQ(view().GetCurrentLevel(), 5);  // no zoom

  // A hook that lets the events pass leaves the view's own handling alone.
  hook.consume = false;
  view().OnLButtonDown(100, 100, kLeft, Now());
  view().OnMouseMove(150, 100, kLeft, Now());
  EXPECT_EQ(view().ViewX(), 0);  // the pointer moved right: the view cannot go further left
  view().OnMouseMove(50, 100, kLeft, Now());
  EXPECT_EQ(view().ViewX(), 100);
  // Consuming the release still ends the view's drag.
  hook.consume = true;
  view().OnLButtonUp(50, 100, 0, Now());
  EXPECT_FALSE(view().IsDragging());
  hook.consume = false;
  EXPECT_TRUE(view().OnKeyDown(platform::kKeyRight, 0, 0, Now()));
  EXPECT_EQ(view().ViewX(), 420);
  view().SetMouseHook(nullptr);
  view().SetKeyHook(nullptr);
}

// ---- Keys -----------------------------------------------------------------------------------

TEST_F(InputTest, ArrowKeysStepByPageOrByHalfAWindow) {
  struct Case {
    bool pages;
    int x, y;
    int key;
    unsigned flags;
    int expectedX, expectedY;
  };
  const Case cases[] = {
      {true, 0, 0, platform::kKeyRight, 0, 1024, 0},
      {true, 1024, 10, platform::kKeyRight, 0, 2048, 10},
      {true, 1500, 100, platform::kKeyLeft, 0, 1024, 100},
      {true, 1024, 100, platform::kKeyLeft, 0, 0, 100},
      {true, 100, 0, platform::kKeyDown, 0, 100, 768},
      {true, 100, 800, platform::kKeyUp, 0, 100, 768},
      {true, 0, 0, platform::kKeyRight, kControl, 320, 0},  // Control: half a window
      {false, 0, 0, platform::kKeyRight, 0, 320, 0},
      {false, 1000, 1000, platform::kKeyUp, 0, 1000, 760},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.key) + " from " + std::to_string(c.x) + "," + std::to_string(c.y) +
                 (c.pages ? " with pages" : ""));
    params.clear();
    if (c.pages) params = {{"pagewidth", "1024"}, {"pageheight", "768"}};
    view().SetBrowserProperty("pagewidth", "");
    view().SetBrowserProperty("pageheight", "");
    Open(c.pages ? "/data/pages.ktq" : "/data/plain.ktq");
    view().MoveTo(0, 0, 5, "left");
    view().SetPosition(c.x, c.y, false, false);
    EXPECT_TRUE(view().OnKeyDown(c.key, 0, c.flags, Now()));
    EXPECT_EQ(view().ViewX(), c.expectedX);
    EXPECT_EQ(view().ViewY(), c.expectedY);
  }
}

TEST_F(InputTest, PageKeysRunPageCommands) {
  struct Case {
    int key;
    const char* pageCount;
    const char* command;
  };
  const Case cases[] = {{platform::kKeyPageUp, "", "prevpage "},
                        {platform::kKeyPageDown, "", "nextpage "},
                        {platform::kKeyHome, "", "gotopage 1"},
                        {platform::kKeyEnd, "12", "gotopage 12"},
                        {platform::kKeyAdd, "", "zoomin "}};
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    view().SetBrowserProperty("pagecount", c.pageCount);
    view().commands.clear();
    EXPECT_TRUE(view().OnKeyDown(c.key, 0, 0, Now()));
    EXPECT_EQ(view().commands, (std::vector<std::string>{c.command}));
  }
  // End without a page count goes to the far corner of the content.
  view().SetBrowserProperty("pagecount", "");
  view().MoveTo(0, 0, 5, "left");
  EXPECT_TRUE(view().OnKeyDown(platform::kKeyEnd, 0, 0, Now()));
  EXPECT_EQ(view().ViewX(), 4096 - 640);
  EXPECT_EQ(view().ViewY(), 3072 - 480);
  EXPECT_FALSE(view().OnKeyDown('Q', 0, 0, Now()));
}

TEST_F(InputTest, BackspaceWithASingleHistoryEntryDoesNothing) {
  Open();
  ASSERT_EQ(view().GetHistory().Entries().size(), 1u);
  EXPECT_TRUE(view().OnKeyDown(platform::kKeyBack, 0, 0, Now()));
  EXPECT_EQ(made, 1);
  EXPECT_EQ(view().GetCurrentUrl(), "/data/a.ktq");
  EXPECT_TRUE(harness.EventNames().empty());
  EXPECT_TRUE(view().commands.empty());
}

TEST_F(InputTest, BackspaceAndEscapeGoBackToThePageLeft) {
  params = {{"pagewidth", "1024"}, {"pageheight", "768"}};
  for (int key : {platform::kKeyBack, platform::kKeyEscape}) {
    SCOPED_TRACE(key);
    view().GetHistory().Clear();
    Open("/data/a.ktq");
    view().MoveTo(0, 0, 5, "left");
    view().SetPosition(1024, 0, false, false);  // the second page
    // Following a link to other tiled content records the page the view leaves.
    view().QueueContent("ktq:/data/b.ktq", true);
    view().OpenUrl("/data/b.ktq", false, 0, 0, 0);
    Settle();
    ASSERT_EQ(view().GetHistory().Entries().size(), 2u);
    const std::string target = view().GetHistory().Entries()[0];
    EXPECT_TRUE(view().OnKeyDown(key, 0, 0, Now()));
    EXPECT_EQ(view().GetCurrentUrl(), "/data/a.ktq");
    EXPECT_EQ(view().GetHistory().Entries(), (std::vector<std::string>{"/data/a.ktq"}));
    EXPECT_TRUE(view().GetPageHistory().empty());
    std::vector<ViewEvent>& events = harness.DeliverEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].name, "urlset");
    EXPECT_EQ(events[0].param1, target);
    EXPECT_EQ(events[0].param2, "2");
    EXPECT_EQ(view().commands.back(), "gotopage 2");
  }
}

TEST_F(InputTest, DeleteRemovesTheEditedObjectWhileEditing) {
  Open();
  MapObject* object = AddObject(10, 10, 50, 50, {}, true);
  object->SetAllowEditing(true);
  const int id = object->GetId();
  // Not editing: the key changes nothing.
  EXPECT_TRUE(view().OnKeyDown(platform::kKeyDelete, 0, 0, Now()));
  EXPECT_NE(document().FindObject(id), nullptr);
  // A press on the object while editing makes it the edited one.
  view().SetBrowserProperty("IsEditing", "yes");
  view().OnLButtonDown(20, 20, kLeft, Now());
  view().OnLButtonUp(20, 20, 0, Now() + 3000);
  ASSERT_EQ(document().GetEditedObject(), object);
  harness.DeliverEvents().clear();
  EXPECT_TRUE(view().OnKeyDown(platform::kKeyDelete, 0, 0, Now()));
  EXPECT_EQ(document().FindObject(id), nullptr);
  std::vector<ViewEvent>& events = harness.DeliverEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].name, "DeletingObject");
  EXPECT_EQ(events[0].param2, std::to_string(id));
  EXPECT_EQ(events[1].name, "DeletedObject");
  EXPECT_EQ(events[1].param2, std::to_string(id));
}

// ---- Selection band and snapping --------------------------------------------------------------

TEST_F(InputTest, ShiftDragSelectsTheObjectsWhoseCornerIsInTheBand) {
  Open();
  MapObject* inside = AddObject(50, 50, 30, 30, {}, true);
  MapObject* outside = AddObject(300, 300, 30, 30, {}, true);
  MapObject* fixed = AddObject(100, 100, 30, 30, {}, false);
  view().Commands().Execute("SelectObjects", "start");
  view().OnLButtonDown(40, 40, kLeft | kShift, Now());
  EXPECT_TRUE(view().IsRubberBandActive());
  view().OnMouseMove(200, 200, kLeft | kShift, Now());
  EXPECT_EQ(view().RubberBand().GetScreenRect(), platform::Rect::FromSize(40, 40, 160, 160));
  view().OnLButtonUp(200, 200, kShift, Now());
  EXPECT_FALSE(view().IsRubberBandActive());
  EXPECT_TRUE(inside->IsSelected());
  EXPECT_FALSE(outside->IsSelected());
  EXPECT_FALSE(fixed->IsSelected());
  EXPECT_EQ(view().GetBrowserProperty("selectedobjects"), std::to_string(inside->GetId()));

  // With Control a second band adds to the selection; without it the selection starts anew.
  view().OnLButtonDown(290, 290, kLeft | kShift, Now());
  view().OnMouseMove(400, 400, kLeft | kShift, Now());
  view().OnLButtonUp(400, 400, kShift | kControl, Now());
  EXPECT_TRUE(inside->IsSelected());
  EXPECT_TRUE(outside->IsSelected());
  view().OnLButtonDown(290, 290, kLeft | kShift, Now());
  view().OnMouseMove(410, 410, kLeft | kShift, Now());
  view().OnLButtonUp(410, 410, kShift, Now());
  EXPECT_FALSE(inside->IsSelected());
  EXPECT_EQ(view().GetBrowserProperty("selectedobjects"), std::to_string(outside->GetId()));

  // Letting go of Shift while dragging drops the band.
  view().OnLButtonDown(10, 10, kLeft | kShift, Now());
  view().OnMouseMove(60, 60, kLeft, Now());
  EXPECT_FALSE(view().IsRubberBandActive());
  EXPECT_EQ(view().OwnObjects().size(), 2u);  // only the back button and the clip frame, which stay
}

TEST_F(InputTest, ADragOnPagesSnapsToTheNearestPage) {
  struct Case {
    int drag;
    int expectedX;
  };
  levels = {{2048, 1536}, {4096, 3072}};
  params = {{"pagewidth", "1024"}, {"pageheight", "768"}, {"snappage", "yes"}};
  for (const Case& c : {Case{150, 0}, Case{200, 512}, Case{600, 512}}) {
    SCOPED_TRACE(c.drag);
    Open();
    view().SetPosition(0, 0, false, false);
    view().OnLButtonDown(620, 200, kLeft, Now());
    view().OnMouseMove(620 - c.drag, 200, kLeft, Now());
    view().OnLButtonUp(620 - c.drag, 200, 0, Now());
    EXPECT_EQ(view().ViewX(), c.expectedX);
    EXPECT_EQ(view().ViewY(), 0);
  }
}

// ---- Clicks on links --------------------------------------------------------------------------

TEST_F(InputTest, LinksTakeLeftClicksAndRightClicksOnlyForTheirMenu) {
  struct Case {
    const char* link;
    bool right;
    bool followed;
    int level;  // 1-based after the click, from level 3
  };
  const Case cases[] = {
      {"goto:3", false, true, 3},
      {"goto:3", true, false, 2},            // a right click zooms out
      {"rmenu:pagemenu", true, true, 3},     // ... unless the link is a menu
      {"ext_silent:noted", false, true, 4},  // a silent link shares the click: it zooms as well
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.link) + (c.right ? " right" : " left"));
    Open();
    auto link = std::make_unique<CComponentLink>(100, 100, 50, 50, c.link, nullptr, nullptr);
    link->SetScreenCoordinates(true);
    document().AddObject(std::move(link), false);
    view().MoveTo(0, 0, 3, "left");
    view().DrawFrame(false);
    harness.DeliverEvents().clear();
    harness.listener.log.clear();
    if (c.right) {
      view().OnRButtonDown(120, 120, 0, Now());
      view().OnRButtonUp(120, 120, 0, Now());
    } else {
      view().OnLButtonDown(120, 120, kLeft, Now());
      view().OnLButtonUp(120, 120, 0, Now() + 100);
    }
    // Content links are queued for the control; links for the page go to it at once.
    bool followed = !harness.listener.log.empty();
    for (const ViewEvent& event : harness.DeliverEvents()) followed |= event.name == "SetContent";
    EXPECT_EQ(followed, c.followed);
    EXPECT_EQ(view().GetCurrentLevel(), c.level);
  }
}

TEST_F(InputTest, HoveringAListeningObjectTellsTheHostOnEnterAndLeave) {
  Open();
  auto link = std::make_unique<CComponentLink>(100, 100, 50, 50, "page.xml", nullptr, nullptr);
  link->SetScreenCoordinates(true);
  link->SetEventListening(true);
  MapObject* object = link.get();
  document().AddObject(std::move(link), false);
  const int id = object->GetId();
  view().DrawFrame(false);
  view().OnMouseMove(120, 120, 0, Now());
  view().OnMouseMove(125, 120, 0, Now());  // still over it: nothing new
  view().OnMouseMove(300, 300, 0, Now());
  view().OnMouseMove(120, 120, 0, Now());
  view().OnMouseLeave();
  harness.DeliverEvents();
  std::vector<std::string> seen;
  for (const ObjectEvent& event : harness.objectEvents) {
    EXPECT_EQ(event.objectId, id);
    seen.push_back(event.name);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"onmouseenter", "onmouseexit", "onmouseenter", "onmouseexit"}));
}

// ---- Web links ------------------------------------------------------------------------------

TEST_F(InputTest, WebLinksNameTheirBrowserWindowInParentheses) {
  struct Case {
    const char* link;
    const char* url;
    const char* target;
  };
  const Case cases[] = {
      {"http://example.org/a.html", "http://example.org/a.html", "_blank"},
      {"http://example.org/a.html(main)", "http://example.org/a.html", "main"},
      {"(_self)http://example.org/find?a=1%26b=2%26c", "http://example.org/find?a=1&b=2&c", "_self"},
      {"http://example.org/(width=300,height=200)pop.html", "http://example.org/pop.html", "_blank"},
      {"http://example.org/a.html<@help", "http://example.org/a.html", "help"},  // the follow-link text
      {"http://example.org/a.html(top)<@help", "http://example.org/a.html", "top"},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    const std::size_t before = harness.Services().OpenedUrls().size();
    EXPECT_EQ(view().OpenUrl(c.link, false, 0, 0, 0), "");
    auto opened = harness.Services().OpenedUrls();
    ASSERT_EQ(opened.size(), before + 1);
    EXPECT_EQ(opened.back().url, c.url);
    EXPECT_EQ(opened.back().target, c.target);
  }
  EXPECT_EQ(view().GetCurrentUrl(), "/data/a.ktq");
}

// ---- Touch-screen back button ---------------------------------------------------------------

TEST_F(InputTest, TouchScreenModeShowsTheBackButtonOnInputAndHidesItAfterAMinute) {
  Open();
  EXPECT_FALSE(view().IsBackButtonShown());
  view().OnLButtonDown(300, 300, kLeft, Now());  // without touch-screen mode nothing shows
  view().OnLButtonUp(300, 300, 0, Now());
  EXPECT_FALSE(view().IsBackButtonShown());

  view().SetBrowserProperty("touchscreen", "yes");
  EXPECT_TRUE(view().IsBackButtonShown());
  view().SetBrowserProperty("touchscreen", "no");
  EXPECT_FALSE(view().IsBackButtonShown());
  view().SetBrowserProperty("touchscreen", "yes");
  view().ShowBackButton(false);
  view().OnRButtonDown(300, 300, 0, Now());
  EXPECT_TRUE(view().IsBackButtonShown());

  // Touching it follows its link; it is the topmost thing in the window's corner.
  view().DrawFrame(false);
  harness.DeliverEvents().clear();
  const int x = BackButton::kMargin + BackButton::kSize / 2, y = BackButton::kMargin + BackButton::kSize * 3 / 2;
  view().OnLButtonDown(x, y, kLeft, Now());
  view().OnLButtonUp(x, y, 0, Now());
  std::vector<std::string> queued;
  for (const ViewEvent& event : harness.DeliverEvents())
    if (event.name == "SetContent") queued.push_back(event.param2);
  EXPECT_EQ(queued, std::vector<std::string>{"exec:back"});

  Tick(599);  // 59.9 s after the last input
  EXPECT_TRUE(view().IsBackButtonShown());
  Tick(2);
  EXPECT_FALSE(view().IsBackButtonShown());
}

// A press under way belongs to the picture it began on: new content starts without a drag,
// so the release that follows neither pans nor clicks.
TEST_F(InputTest, NewContentEndsTheDragUnderWay) {
  Open();
  view().OnLButtonDown(100, 100, platform::kModLeftButton, Now());
  ASSERT_TRUE(view().IsDragging());
  Open("/data/b.ktq");
  EXPECT_FALSE(view().IsDragging());
  const int level = view().GetDocument()->GetLevel();
  view().OnLButtonUp(100, 100, 0, Now() + 50);
  EXPECT_EQ(view().GetDocument()->GetLevel(), level);  // no zoom-in click
}
