#include <gtest/gtest.h>

#include <limits>

#include <algorithm>

#include "objects/MapObject.h"
#include "objects/ObjectValues.h"
#include "tests/objects/RecordingView.h"

namespace zolvex {
namespace {

using test::RecordingView;

class WindowedObject : public MapObject {
 public:
  using MapObject::MapObject;
  bool IsWindowed() const override { return true; }
};

struct RecordingListener : ObjectListener {
  struct Call {
    std::string name;
    unsigned flags;
    platform::Point point;
  };
  std::vector<Call> calls;
  void OnObjectMouse(MapObject&, const std::string& name, unsigned flags, platform::Point point) override {
    calls.push_back({name, flags, point});
  }
};

TEST(ObjectValuesTest, RoundsHalvesTowardZero) {
  const struct {
    double value;
    int expected;
  } cases[] = {{2.5, 2}, {-2.5, -2}, {2.6, 3}, {-2.6, -3}, {2.4, 2}, {0.5, 0}, {-0.5, 0}, {1e300, INT32_MAX}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfTowardZero(c.value), c.expected) << c.value;
  EXPECT_EQ(Truncate(-2.9), -2);
  EXPECT_EQ(Truncate(2.9), 2);
}

TEST(ObjectValuesTest, FormatsColoursAndPenStyles) {
  EXPECT_EQ(FormatColor(platform::MakeColor(0x32, 0x32, 0xFF)), "#3232ff");
  EXPECT_EQ(FormatColor(platform::MakeColor(0xFF, 0x00, 0x0A)), "#ff000a");
  EXPECT_EQ(PenStyleFromName("DASH-dot"), 3);
  EXPECT_EQ(PenStyleFromName("dash-dot-dot"), 4);
  EXPECT_EQ(PenStyleFromName("wavy"), 0);
  EXPECT_EQ(PenStyleFromName(""), 0);
  EXPECT_EQ(HorizontalAlignment("RIGHT") | VerticalAlignment("Bottom"), kAlignRight | kAlignBottom);
  EXPECT_EQ(HorizontalAlignment("center") | VerticalAlignment("middle"), kAlignCenter | kAlignMiddle);
  EXPECT_EQ(HorizontalAlignment("") | VerticalAlignment("top"), kAlignLeft | kAlignTop);
}

// ---- Visibility by level ------------------------------------------------------------------

TEST(MapObjectLevelTest, LevelRangeDecidesVisibility) {
  // Limits are the 1-based attributes minus 1; -1 = no limit.
  const struct {
    int minLevel, maxLevel;
    std::vector<int> shownAt;  // of levels 0..5
  } cases[] = {
      {-1, -1, {0, 1, 2, 3, 4, 5}},  // no limits
      {2, 2, {2}},                   // minlevel 3, maxlevel 3
      {1, -1, {1, 2, 3, 4, 5}},      // only minlevel 2
      {-1, 1, {0, 1}},               // only maxlevel 2
      {0, 9999, {0, 1, 2, 3, 4, 5}}, // what the factory stores without attributes
      {1, 3, {1, 2, 3}},
      {4, 2, {}},  // an empty range shows nothing
  };
  for (const auto& c : cases) {
    MapObject object(0, 0, 10, 10);
    object.SetLevelRange(c.minLevel, c.maxLevel);
    for (int level = 0; level <= 5; ++level) {
      const bool expected = std::find(c.shownAt.begin(), c.shownAt.end(), level) != c.shownAt.end();
      EXPECT_EQ(object.IsShownAtLevel(level), expected) << c.minLevel << "," << c.maxLevel << " at " << level;
    }
  }
}

// A level at the lowest int, counted from 1, stays there rather than wrapping.
TEST(MapObjectLevelTest, HostileLevelsCommitWithoutWrapping) {
  MapObject object(0, 0, 10, 10);
  object.SetProperty("minlevel", "-2147483648");
  object.SetProperty("maxlevel", "3");
  EXPECT_TRUE(object.CommitProperties());
  EXPECT_EQ(object.GetMinLevel(), std::numeric_limits<int>::min());
  EXPECT_EQ(object.GetMaxLevel(), 2);
}

TEST(MapObjectLevelTest, HiddenObjectIsNeverShownUnlessWindowed) {
  MapObject plain(0, 0, 10, 10);
  WindowedObject windowed(0, 0, 10, 10);
  plain.SetVisible(false);
  windowed.SetVisible(false);
  windowed.SetLevelRange(1, 1);
  for (int level = 0; level < 4; ++level) EXPECT_FALSE(plain.IsShownAtLevel(level));
  EXPECT_TRUE(windowed.IsShownAtLevel(1));
  EXPECT_FALSE(windowed.IsShownAtLevel(0));  // still bound by its range
}

// ---- Placement ----------------------------------------------------------------------------

class PlacementTest : public ::testing::Test {
 protected:
  RecordingView view;
};

TEST_F(PlacementTest, ContentRectangleIsScaledAroundItsCentreAndRoundedHalfTowardZero) {
  view.ShowDocument(1000, 800, 0.5);
  view.viewportX = 10;
  view.viewportY = 20;
  MapObject object(100, 200, 50, 30);
  object.SetView(&view);
  // width 25; x = R((100 + 25) · 0.5 − 12) = R(50.5) = 50, minus the viewport
  EXPECT_EQ(object.GetScreenRect(), platform::Rect::FromSize(40, 80, 25, 15));
  EXPECT_EQ(object.GetVirtualWidth(), 1000);  // the document's content size was taken over
  EXPECT_EQ(object.GetVirtualHeight(), 800);
}

TEST_F(PlacementTest, VirtualSpaceIsStretchedOverTheContent) {
  view.ShowDocument(1000, 800, 1.0);
  MapObject object(10, 20, 10, 10);
  object.SetVirtualSize(100, 80);
  object.SetScreenOffset(3, 4);
  object.SetView(&view);
  // 10 virtual units = 100 pixels across, 10 units = 100 pixels down
  EXPECT_EQ(object.GetScreenRect(), platform::Rect::FromSize(103, 204, 100, 100));
  EXPECT_EQ(object.MapXToScreen(10), 103);
  EXPECT_EQ(object.MapYToScreen(0), 4);
}

TEST_F(PlacementTest, WithoutDocumentContentObjectKeepsItsLastScreenRectangle) {
  view.ShowDocument(1000, 800, 1.0);
  MapObject object(10, 10, 20, 20);
  object.SetView(&view);
  const platform::Rect before = object.GetScreenRect();
  view.metrics.reset();
  view.viewportX = 500;
  object.UpdateScreenRect();
  EXPECT_EQ(object.GetScreenRect(), before);
  EXPECT_EQ(object.MapXToScreen(10), -1);
  EXPECT_FALSE(object.IsOnScreen());
}

TEST_F(PlacementTest, WithoutViewNothingIsMapped) {
  MapObject object(10, 10, 20, 20);
  object.UpdateScreenRect();
  EXPECT_EQ(object.GetScreenRect(), platform::Rect{});
  EXPECT_EQ(object.MapXToScreen(5), -1);
  EXPECT_EQ(object.MapYToScreen(5), -1);
  EXPECT_FALSE(object.ScreenToContent({1, 1}).has_value());
  EXPECT_FALSE(object.IsOnScreen());
}

TEST_F(PlacementTest, ScreenObjectsIgnoreViewportAndAlignToRightAndBottomEdges) {
  view.viewportX = 300;  // no document at all: screen objects still map
  MapObject plain(10, 20, 30, 40);
  plain.SetScreenCoordinates(true);
  plain.SetView(&view);
  EXPECT_EQ(plain.GetScreenRect(), platform::Rect::FromSize(10, 20, 30, 40));

  MapObject aligned(10, 20, 30, 40);
  aligned.SetScreenCoordinates(true);
  aligned.SetAlignment(kAlignRight | kAlignBottom);
  aligned.SetView(&view);
  // x 10 with halign right: the left edge 10 pixels left of the view's right edge
  EXPECT_EQ(aligned.GetScreenRect(), platform::Rect::FromSize(630, 460, 30, 40));
  EXPECT_EQ(aligned.MapXToScreen(10), 630);
  EXPECT_TRUE(aligned.HitTest(630, 460));
  EXPECT_FALSE(aligned.HitTest(10, 20));
}

TEST_F(PlacementTest, AlignmentOfContentObjectsMirrorsAcrossTheView) {
  view.ShowDocument(2000, 2000, 1.0);
  view.viewportX = 100;
  view.viewportY = 50;
  MapObject object(200, 100, 10, 10);
  object.SetAlignment(kAlignRight | kAlignBottom | kAlignTop);
  object.SetView(&view);
  // mapped x = 200 − 100 = 100 → 640 − 200 − 100; y = 100 − 50 = 50 → 480 − 100 − 50
  EXPECT_EQ(object.GetScreenRect(), platform::Rect::FromSize(340, 330, 10, 10));
}

TEST_F(PlacementTest, AnchoredObjectsFollowTheirContentPoint) {
  view.ShowDocument(1000, 800, 0.5);
  view.viewportX = 10;
  view.viewportY = 5;
  MapObject corner(100, 50, 20, 10);
  corner.SetScreenCoordinates(true);
  corner.SetProperty("Anchor", "YES");
  corner.SetView(&view);
  EXPECT_EQ(corner.GetScreenRect(), platform::Rect::FromSize(40, 20, 20, 10));

  MapObject centred(100, 50, 20, 10);
  centred.SetScreenCoordinates(true);
  centred.SetProperty("anchor", "center");
  centred.SetView(&view);
  EXPECT_EQ(centred.GetScreenRect(), platform::Rect::FromSize(30, 15, 20, 10));

  view.viewportX = 30;  // panning moves anchored objects with the content
  corner.UpdateScreenRect();
  EXPECT_EQ(corner.GetScreenX(), 20);
}

TEST_F(PlacementTest, VisualOffsetPropertiesShiftTheScreenPosition) {
  view.ShowDocument(1000, 800, 1.0);
  MapObject object(10, 10, 20, 20);
  object.SetProperty("_visualX", "5");
  object.SetProperty("_visualy", "-3");
  object.SetView(&view);
  EXPECT_EQ(object.GetScreenRect(), platform::Rect::FromSize(15, 7, 20, 20));
  object.UpdateVisualRect();
  EXPECT_EQ(object.GetVisualRect(), platform::Rect::FromSize(10, 10, 20, 20));
}

TEST_F(PlacementTest, RemappedRenderingScalesAnchoredPositionsToTheReference) {
  view.ShowDocument(1000, 1000, 1.0);
  MapObject object(200, 100, 10, 10);
  object.SetScreenCoordinates(true);
  object.SetProperty("anchor", "yes");
  object.SetView(&view);
  object.UpdateVisualRect();
  object.BeginRemap(-1);
  EXPECT_EQ(object.GetReferenceRect(), (platform::Rect{0, 0, 640, 480}));
  object.DrawRemapped({100, 0, 420, 240});  // half the view's size
  // 640 · (200 − 100) / 320 = 200; 480 · 100 / 240 = 200
  EXPECT_EQ(object.GetScreenX(), 200);
  EXPECT_EQ(object.GetScreenY(), 200);
  object.EndRemap();
  object.UpdateScreenRect();
  EXPECT_EQ(object.GetScreenX(), 200);
  EXPECT_EQ(object.GetScreenY(), 100);
}

TEST_F(PlacementTest, InverseMappingOfContentObjectsRoundTrips) {
  view.ShowDocument(4000, 3000, 0.25);
  view.viewportX = 37;
  view.viewportY = 11;
  MapObject object(0, 0, 400, 200);
  object.SetView(&view);
  object.SetScreenRect(120, 90, 60, 40);  // moved and resized by the user
  object.UpdateFromScreenRect();
  EXPECT_EQ(object.GetWidth(), 240);
  EXPECT_EQ(object.GetHeight(), 160);
  object.UpdateScreenRect();
  EXPECT_EQ(object.GetScreenRect(), platform::Rect::FromSize(120, 90, 60, 40));
}

TEST_F(PlacementTest, InverseMappingAddsTheViewLimitOrigin) {
  view.ShowDocument(1000, 1000, 1.0);
  MapObject object(0, 0, 10, 10);
  object.SetView(&view);
  object.SetScreenRect(50, 60, 10, 10);
  view.browserProperties = {{"limitx", "100"}, {"limity", "200"}};
  object.UpdateFromScreenRect();
  EXPECT_EQ(object.GetX(), 150);
  EXPECT_EQ(object.GetY(), 260);
  view.browserProperties = {{"limitx", "-1"}, {"limity", "200"}};
  object.UpdateFromScreenRect();
  EXPECT_EQ(object.GetX(), 50);
  EXPECT_EQ(object.GetY(), 60);
}

TEST_F(PlacementTest, InverseMappingOfScreenObjectsRoundTrips) {
  view.ShowDocument(1000, 800, 0.37);
  view.viewportX = 13;
  view.viewportY = 7;
  struct Case {
    const char* anchor;
    int alignment;
  };
  for (const Case c : {Case{"", 0}, Case{"yes", 0}, Case{"center", 0}, Case{"", kAlignRight | kAlignBottom}}) {
    MapObject object(100, 100, 30, 20);
    object.SetScreenCoordinates(true);
    object.SetAlignment(c.alignment);
    if (*c.anchor) object.SetProperty("anchor", c.anchor);
    object.SetProperty("_visualx", "2");
    object.SetView(&view);
    object.SetScreenRect(201, 157, 44, 22);
    object.UpdateFromScreenRect();
    object.UpdateScreenRect();
    EXPECT_EQ(object.GetScreenRect(), platform::Rect::FromSize(201, 157, 44, 22)) << c.anchor << c.alignment;
  }
}

TEST_F(PlacementTest, PointConversionsForEditing) {
  view.ShowDocument(1000, 1000, 0.5);
  view.viewportX = 10;
  view.viewportY = 20;
  MapObject object(0, 0, 1, 1);
  object.SetView(&view);
  EXPECT_EQ(object.ScreenToContent({40, 30}), (platform::Point{100, 100}));
  EXPECT_EQ(object.ContentToScreen({100, 100}), (platform::Point{40, 30}));
}

TEST_F(PlacementTest, CullingHonoursTheMarginsOfNarrowContent) {
  view.ShowDocument(1000, 1000, 0.2);
  view.contentRect = {0, 0, 1000, 1000};  // 200 x 200 shown in 640 x 480: margins 220, 140
  MapObject object(0, 0, 10, 10);
  object.SetView(&view);
  const struct {
    int x, y, w, h;
    bool expected;
  } cases[] = {
      {300, 200, 10, 10, true},  {200, 200, 20, 10, true},  {200, 200, 19, 10, false},
      {420, 200, 10, 10, true},  {421, 200, 10, 10, false}, {300, 341, 10, 10, false},
  };
  for (const auto& c : cases) {
    object.SetScreenRect(c.x, c.y, c.w, c.h);
    EXPECT_EQ(object.IsOnScreen(), c.expected) << c.x << "," << c.y << " " << c.w;
  }
  object.SetScreenCoordinates(true);
  object.SetScreenRect(-500, -500, 1, 1);
  EXPECT_TRUE(object.IsOnScreen());
}

// ---- Hit-testing and drawing ----------------------------------------------------------------

TEST_F(PlacementTest, HitTestIncludesLeftAndTopEdgesOnly) {
  MapObject object(10, 20, 30, 40);
  object.SetScreenCoordinates(true);
  object.SetView(&view);
  const struct {
    int x, y;
    bool hit;
  } cases[] = {{10, 20, true}, {39, 59, true}, {40, 20, false}, {10, 60, false}, {9, 30, false}, {20, 19, false}};
  for (const auto& c : cases) EXPECT_EQ(object.HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST_F(PlacementTest, SelectionFrameIsDrawnOnlyWhenSelected) {
  MapObject object(10, 20, 30, 40);
  object.SetScreenCoordinates(true);
  object.SetView(&view);
  object.Draw();
  EXPECT_TRUE(view.draws.empty());
  object.SetSelected(true);
  object.Draw();
  using Call = RecordingView::DrawCall;
  const std::vector<Call> expected = {
      {"DrawRectOutline", {10, 20, 30, 40, platform::MakeColor(255, 0, 255), 1, kPenSolid}},
      {"DrawRectOutline", {11, 21, 28, 38, platform::MakeColor(255, 255, 255), 1, kPenSolid}},
  };
  EXPECT_EQ(view.draws, expected);
}

// ---- Property protocol ---------------------------------------------------------------------

TEST(MapObjectPropertyTest, PendingValuesAnswerBeforeBuiltInOnes) {
  MapObject object(1, 2, 3, 4);
  EXPECT_EQ(object.GetProperty("x"), "1");
  EXPECT_EQ(object.GetProperty("HEIGHT"), "4");
  EXPECT_EQ(object.GetProperty("visible"), "yes");
  EXPECT_EQ(object.GetProperty("allowediting"), "no");
  EXPECT_EQ(object.GetProperty("minlevel"), "0");  // no factory: unlimited answers 0
  EXPECT_EQ(object.GetProperty("maxlevel"), "0");
  EXPECT_EQ(object.GetProperty("name"), "");
  EXPECT_EQ(object.GetProperty("whatever"), "");
  object.SetLevelRange(0, 9999);
  EXPECT_EQ(object.GetProperty("minlevel"), "1");
  EXPECT_EQ(object.GetProperty("maxlevel"), "10000");

  object.SetProperty("X", "42");
  object.SetProperty("Name", "Mixed Case Value");
  EXPECT_EQ(object.GetProperty("x"), "42");  // pending
  EXPECT_EQ(object.GetX(), 1);               // not applied yet
  EXPECT_EQ(object.GetProperty("NAME"), "Mixed Case Value");
}

TEST(MapObjectPropertyTest, CommitAppliesPendingValuesAndKeepsThem) {
  MapObject object(1, 2, 3, 4);
  object.SetProperty("x", "42");
  object.SetProperty("width", "abc");  // not a number: reads as 0
  object.SetProperty("visible", "NO");
  object.SetProperty("tooltip", "Hello");
  object.SetProperty("minlevel", "3");
  object.SetProperty("maxlevel", "5");
  object.SetProperty("allowediting", "Yes");
  object.SetProperty("layer", "7");
  EXPECT_TRUE(object.CommitProperties());
  EXPECT_EQ(object.GetX(), 42);
  EXPECT_EQ(object.GetY(), 2);
  EXPECT_EQ(object.GetWidth(), 0);
  EXPECT_FALSE(object.IsVisible());
  EXPECT_EQ(object.GetTooltip(), "Hello");
  EXPECT_EQ(object.GetMinLevel(), 2);
  EXPECT_EQ(object.GetMaxLevel(), 4);
  EXPECT_TRUE(object.AllowsEditing());
  EXPECT_EQ(object.GetLayer(), 7);
  // The pending map is never emptied: a later change is overwritten by the next commit.
  EXPECT_EQ(object.GetProperty("x"), "42");
  object.SetRect(5, 5, 5, 5);
  object.CommitProperties();
  EXPECT_EQ(object.GetX(), 42);
  EXPECT_EQ(object.GetY(), 5);
}

TEST(MapObjectPropertyTest, CommitIgnoresUnknownVisibilityAndCaseOnlyTooltipChanges) {
  MapObject object(0, 0, 1, 1);
  object.SetTooltip("hello");
  object.SetProperty("visible", "maybe");
  object.SetProperty("tooltip", "HELLO");
  object.CommitProperties();
  EXPECT_TRUE(object.IsVisible());
  EXPECT_EQ(object.GetTooltip(), "hello");
  object.SetVisible(false);
  object.CommitProperties();
  EXPECT_FALSE(object.IsVisible());
  // minlevel and maxlevel always answer, so a commit always reports a change
  EXPECT_TRUE(MapObject(0, 0, 1, 1).CommitProperties());
}

TEST(MapObjectPropertyTest, MinLevelZeroMeansNoLimit) {
  MapObject object(0, 0, 1, 1);
  object.SetLevelRange(3, 4);
  object.SetProperty("minlevel", "0");
  object.SetProperty("maxlevel", "0");
  object.CommitProperties();
  EXPECT_EQ(object.GetMinLevel(), -1);
  EXPECT_EQ(object.GetMaxLevel(), -1);
  EXPECT_TRUE(object.IsShownAtLevel(7));
}

// ---- Mouse notifications and events -------------------------------------------------------

TEST(MapObjectEventTest, EnterExitAndRightButtonPostObjectEvents) {
  RecordingView view;
  MapObject object(0, 0, 10, 10);
  object.SetId(12);
  object.SetEventListening(true);
  object.SetEnterAction("exec:enter");
  object.SetExitAction("exec:leave");
  object.SetView(&view);
  object.OnMouseEnter();
  object.OnRButtonDown(0, {3, 4});
  object.OnMouseExit();
  ASSERT_EQ(view.objectEvents.size(), 3u);
  const char* names[] = {"onmouseenter", "onrbuttondown", "onmouseexit"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(view.objectEvents[i].name, names[i]);
    EXPECT_EQ(view.objectEvents[i].objectId, 12);
    EXPECT_EQ(view.objectEvents[i].param1, "");
    EXPECT_EQ(view.objectEvents[i].param2, "");
  }
  const std::vector<std::pair<std::string, bool>> queued = {{"exec:enter", true}, {"exec:leave", true}};
  EXPECT_EQ(view.queued, queued);
  EXPECT_TRUE(view.viewEvents.empty());
}

TEST(MapObjectEventTest, NoEventsWithoutListeningOrView) {
  RecordingView view;
  MapObject quiet(0, 0, 10, 10);
  quiet.SetView(&view);
  quiet.OnMouseEnter();
  quiet.OnRButtonDown(0, {});
  quiet.OnMouseExit();
  EXPECT_TRUE(view.objectEvents.empty());

  MapObject detached(0, 0, 10, 10);
  detached.SetEventListening(true);
  detached.SetEnterAction("exec:x");
  detached.OnMouseEnter();  // nothing to post to; must not fail
  EXPECT_TRUE(view.queued.empty());
}

TEST(MapObjectEventTest, ListenerReceivesRawNotifications) {
  RecordingView view;
  RecordingListener listener;
  MapObject object(0, 0, 10, 10);
  object.SetView(&view);
  object.SetListener(&listener);
  object.OnMouseMove(8, {1, 2});
  object.OnLButtonDown(1, {3, 4});
  object.OnLButtonUp(0, {5, 6});
  object.OnRButtonDown(16, {7, 8});
  object.OnRButtonUp(0, {9, 10});
  object.OnClick({11, 12}, kObjectLeftButton);
  object.OnClickWithOption({13, 14}, kObjectRightButton, "nosave");
  const std::vector<std::string> names = {"mmove", "ldown", "lup", "rdown", "rup", "ldown", "ldown"};
  ASSERT_EQ(listener.calls.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(listener.calls[i].name, names[i]);
    EXPECT_EQ(listener.calls[i].point, (platform::Point{int(2 * i + 1), int(2 * i + 2)}));
  }
  EXPECT_EQ(listener.calls[0].flags, 8u);
  EXPECT_EQ(listener.calls[3].flags, 16u);
  EXPECT_EQ(listener.calls[6].flags, 2u);  // the button of a click
}

}  // namespace
}  // namespace zolvex
