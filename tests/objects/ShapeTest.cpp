#include <gtest/gtest.h>

#include <memory>

#include "image/ViewImage.h"
#include "objects/BoxObject.h"
#include "objects/CComponentClipper.h"
#include "objects/CComponentRect.h"
#include "objects/DraggableGroup.h"
#include "objects/EllipseObject.h"
#include "objects/LineObject.h"
#include "objects/ObjectGroup.h"
#include "objects/PictureButton.h"
#include "objects/PolyVectorObject.h"
#include "objects/ShapeMaker.h"
#include "tests/objects/RecordingView.h"
#include "tests/support/TestSupport.h"

namespace zolvex {
namespace {

using test::RecordingView;
using Call = RecordingView::DrawCall;
using platform::MakeColor;
using Attributes = std::vector<std::pair<std::string, std::string>>;

constexpr long long kBlue = MakeColor(0x32, 0x32, 0xFF);
constexpr long long kYellow = MakeColor(0xFF, 0xFF, 0);
constexpr long long kRed = MakeColor(0xFF, 0, 0);

class ShapeTest : public ::testing::Test {
 protected:
  ShapeTest() { view.ShowDocument(1000, 1000, 1.0); }

  template <class T>
  std::unique_ptr<T> Make(const std::string& tag, Attributes attributes, std::vector<platform::Point> points = {}) {
    std::unique_ptr<MapObject> object = maker.Make({tag, std::move(attributes), std::move(points)}, "", &view);
    auto* typed = dynamic_cast<T*>(object.get());
    if (!typed) return nullptr;
    object.release();
    return std::unique_ptr<T>(typed);
  }
  std::vector<Call> Calls(const std::string& name) const {
    std::vector<Call> calls;
    for (const Call& call : view.draws)
      if (call.name == name) calls.push_back(call);
    return calls;
  }

  RecordingView view;
  ShapeMaker maker;
};

// ---- Saved text ----------------------------------------------------------------------------

TEST_F(ShapeTest, SavedTextOfEachShape) {
  const struct {
    std::string tag;
    Attributes attributes;
    std::vector<platform::Point> points;
    std::string xml;
  } cases[] = {
      {"rect", {{"x", "100"}, {"y", "100"}}, {}, R"(<rect x="95" y="95" width="10" height="10" outline="yes" allowediting="no" thickness="1"/>)"},
      {"rect",
       {{"x", "1"}, {"y", "2"}, {"width", "3"}, {"height", "4"}, {"name", "n"}, {"group", "g"}, {"href", "h"},
        {"tooltip", "t & u"}, {"allowediting", "YES"}, {"minlevel", "2"}, {"maxlevel", "5"}, {"fillcolor", "#102030"},
        {"mouseoverfillcolor", "#FFFFFF"}, {"color", "#FF0000"}, {"transparency", "80"}, {"style", "Dash"},
        {"thickness", "3"}, {"_b", "2"}, {"_a", "1"}},
       {},
       R"(<rect x="1" y="2" width="3" height="4" name="n" group="g" href="h" outline="yes" tooltip="t & u" minlevel="2" maxlevel="5" fillcolor="#102030" mouseoverfillcolor="#ffffff" color="#ff0000" transparency="80" allowediting="yes" style="dash" thickness="3" _a="1" _b="2"/>)"},
      {"ellipse", {{"x", "10"}, {"y", "20"}, {"bx", "50"}, {"by", "60"}}, {}, R"(<ellipse  x="10" y="20" bx="50" by="60" outline="yes"/>)"},
      {"ellipse",
       {{"x", "0"}, {"y", "0"}, {"bx", "8"}, {"by", "8"}, {"drawpie", "yes"}, {"radicalx1", "8"}, {"radicaly1", "4"},
        {"radicalx2", "4"}, {"radicaly2", "0"}, {"thickness", "2"}, {"style", "dot"}, {"outline", "no"}},
       {},
       R"(<ellipse  x="0" y="0" bx="8" by="8" outline="no" style="dot" thickness="2" drawpie="yes" radicalx1="8" radicaly1="4" radicalx2="4" radicaly2="0"/>)"},
      {"line", {{"x1", "1"}, {"y1", "2"}, {"x2", "3"}, {"y2", "4"}}, {}, R"(<line  x1="1" y1="2" x2="3" y2="4" color="#3232ff"/>)"},
      {"line",
       {{"x1", "1"}, {"y1", "2"}, {"x2", "3"}, {"y2", "4"}, {"href", "h"}, {"arrow", "both"}, {"thickness", "2"},
        {"style", "dash-dot"}, {"name", "n"}, {"allowediting", "yes"}},
       {},
       R"(<line  x1="1" y1="2" x2="3" y2="4" name="n" color="#3232ff" href="h" mouseovercolor="#ff0a0a" style="dash-dot" arrow="both" thickness="2" allowediting="yes"/>)"},
      {"polyvector", {{"maxlevel", "3"}, {"isfreehand", "No"}}, {{1, 2}, {3, 4}},
       "<polyvector  maxlevel=\"3\" color=\"#3232ff\" close=\"no\" isfreehand=\"no\">\r\n<POINT x=\"1\" y=\"2\"/>\r\n"
       "<POINT x=\"3\" y=\"4\"/>\r\n</polyvector>"},
  };
  for (const auto& c : cases) {
    std::unique_ptr<MapObject> object = maker.Make({c.tag, c.attributes, c.points}, "", &view);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->GetXml(), c.xml);
    EXPECT_EQ(object->GetProperty("xml"), c.xml);
  }
}

TEST_F(ShapeTest, PictureIsSavedAsImgWithItsSources) {
  auto normal = std::make_shared<ViewImage>(4, 4, 24);
  CComponentRect img(0, 0, 4, 4, "", normal, normal);
  img.SetPictureSource("p.bmp");
  EXPECT_EQ(img.GetXml(),
            R"(<img src="p.bmp" x="0" y="0" width="4" height="4" outline="no" allowediting="no" mouseovercolor="#ff0a0a" transparency="255" thickness="1"/>)");
}

// ---- Drawing -------------------------------------------------------------------------------

TEST_F(ShapeTest, RectDrawsFillPictureOutlineAndHandlesInThatOrder) {
  auto rect = Make<CComponentRect>(
      "rect", {{"x", "10"}, {"y", "20"}, {"width", "30"}, {"height", "40"}, {"fillcolor", "#ff0000"},
               {"transparency", "100"}, {"thickness", "2"}});
  rect->SetEditing(true);
  rect->Draw();
  const std::vector<Call> expected = {
      {"SetDrawParameter", {kDrawOpacity, 100}},
      {"FillRect", {10, 20, 30, 40, kRed, 100}},
      {"SetDrawParameter", {kDrawOpacity, 0}},
      {"DrawRectOutline", {10, 20, 30, 40, kBlue, 2, kPenSolid}},
      {"DrawRectOutline", {11, 21, 10, 10, kYellow, 1, kPenSolid}},
      {"DrawRectOutline", {12, 22, 8, 8, 0, 1, kPenSolid}},
      {"DrawRectOutline", {29, 49, 10, 10, kYellow, 1, kPenSolid}},
      {"DrawRectOutline", {30, 50, 8, 8, 0, 1, kPenSolid}},
  };
  EXPECT_EQ(view.draws, expected);
}

TEST_F(ShapeTest, RectPenFollowsTheZoomAndAZeroWidthRectFillsOneColumn) {
  view.ShowDocument(1000, 1000, 0.5);
  auto rect = Make<CComponentRect>("rect", {{"x", "10"}, {"y", "20"}, {"width", "1"}, {"height", "40"},
                                            {"thickness", "5"}, {"fillcolor", "#ff0000"}});
  rect->Draw();
  ASSERT_EQ(Calls("FillRect").size(), 1u);
  EXPECT_EQ(Calls("FillRect")[0].args[2], 1);  // R(0.5) = 0 columns, drawn as 1
  ASSERT_EQ(Calls("DrawRectOutline").size(), 1u);
  EXPECT_EQ(Calls("DrawRectOutline")[0].args[5], 2);  // T(0.5 * 5)
}

TEST_F(ShapeTest, BoxDrawsItsTurnedCornersAsAPolygon) {
  auto box = Make<BoxObject>("box", {{"x", "0"}, {"y", "0"}, {"bx", "100"}, {"by", "50"}, {"angle", "90"},
                                     {"colorfill", "#ff0000"}, {"thickness", "4"}});
  view.viewportX = 10;
  box->Draw();
  const std::vector<Call> expected = {
      {"DrawPolygon", {65, -25, 65, 75, 15, 75, 15, -25, kBlue, kRed, 4, kPenSolid}}};
  EXPECT_EQ(view.draws, expected);
}

TEST_F(ShapeTest, EllipseDrawsAPieOnlyWithAllFourRadicals) {
  const Attributes box = {{"x", "0"}, {"y", "0"}, {"bx", "100"}, {"by", "80"}, {"drawpie", "yes"},
                          {"radicalx1", "100"}, {"radicaly1", "40"}, {"radicalx2", "50"}};
  auto three = Make<EllipseObject>("ellipse", box);
  three->Draw();
  EXPECT_EQ(Calls("DrawArc").size(), 0u);
  ASSERT_EQ(Calls("DrawEllipse").size(), 1u);
  EXPECT_EQ(Calls("DrawEllipse")[0].args, (std::vector<long long>{0, 0, 100, 80, kBlue, -1, 1, kPenSolid}));
  view.draws.clear();
  Attributes four = box;
  four.emplace_back("radicaly2", "0");
  Make<EllipseObject>("ellipse", four)->Draw();
  ASSERT_EQ(Calls("DrawArc").size(), 1u);
  EXPECT_EQ(Calls("DrawArc")[0].args, (std::vector<long long>{0, 0, 0, 100, 80, 100, 40, 50, 0, kBlue, -1, 1, 0}));
}

TEST_F(ShapeTest, EllipseWithoutOutlineDrawsItsFillOnly) {
  auto filled = Make<EllipseObject>("ellipse", {{"bx", "10"}, {"by", "10"}, {"outline", "no"}, {"fillcolor", "#ff0000"}});
  filled->Draw();
  ASSERT_EQ(Calls("DrawEllipse").size(), 1u);
  EXPECT_EQ(Calls("DrawEllipse")[0].args[4], kRed);
  view.draws.clear();
  Make<EllipseObject>("ellipse", {{"bx", "10"}, {"by", "10"}, {"outline", "no"}})->Draw();
  EXPECT_TRUE(Calls("DrawEllipse").empty());
}

TEST_F(ShapeTest, LineArrowHeadsAndFixedWidth) {
  auto line = Make<LineObject>("line", {{"x1", "0"}, {"y1", "50"}, {"x2", "100"}, {"y2", "50"}, {"arrow", "tail"},
                                        {"arrowlength", "10"}, {"co-ordinate", "screen"}});
  line->Draw();
  const std::vector<Call> expected = {
      {"DrawLine", {0, 50, 100, 50, kBlue, 1, kPenSolid}},
      {"DrawLine", {90, 55, 100, 50, kBlue, 1, kPenSolid}},
      {"DrawLine", {90, 45, 100, 50, kBlue, 1, kPenSolid}},
  };
  EXPECT_EQ(view.draws, expected);

  // In content coordinates a negative thickness and arrow length stay fixed on the screen.
  view.ShowDocument(1000, 1000, 0.25);
  view.draws.clear();
  Make<LineObject>("line", {{"x1", "0"}, {"y1", "0"}, {"x2", "400"}, {"y2", "0"}, {"thickness", "-3"},
                            {"arrowlength", "-8"}, {"arrow", "head"}})
      ->Draw();
  // The head at the first end points away from the second. Its back ends are truncated
  // toward zero after the turn by 180 degrees, whose sine is not exactly 0: 7 and 3, not 8 and 4.
  const std::vector<Call> fixed = {
      {"DrawLine", {0, 0, 100, 0, kBlue, 3, kPenSolid}},
      {"DrawLine", {7, -4, 0, 0, kBlue, 3, kPenSolid}},
      {"DrawLine", {8, 3, 0, 0, kBlue, 3, kPenSolid}},
  };
  EXPECT_EQ(view.draws, fixed);
}

TEST_F(ShapeTest, LineHitDistanceIsBelowSixPixels) {
  auto line = Make<LineObject>("line", {{"x1", "100"}, {"y1", "100"}, {"x2", "200"}, {"y2", "100"},
                                        {"co-ordinate", "screen"}});
  EXPECT_TRUE(line->HitTest(150, 105));
  EXPECT_FALSE(line->HitTest(150, 106));
  EXPECT_TRUE(line->HitTest(94, 100));  // beyond the end but inside the grown box
  EXPECT_FALSE(line->HitTest(93, 100));
  auto diagonal = Make<LineObject>("line", {{"x1", "0"}, {"y1", "0"}, {"x2", "100"}, {"y2", "100"},
                                            {"co-ordinate", "screen"}});
  EXPECT_TRUE(diagonal->HitTest(53, 50));
  EXPECT_FALSE(diagonal->HitTest(60, 50));
  auto dot = Make<LineObject>("line", {{"x1", "10"}, {"y1", "10"}, {"x2", "10"}, {"y2", "10"}, {"co-ordinate", "screen"}});
  EXPECT_TRUE(dot->HitTest(13, 14));
  EXPECT_FALSE(dot->HitTest(16, 10));
}

TEST_F(ShapeTest, PolylineDrawsAndHitsOnlyWithTwoPoints) {
  auto single = Make<PolyVectorObject>("polyvector", {{"co-ordinate", "screen"}}, {{5, 5}});
  single->Draw();
  EXPECT_TRUE(view.draws.empty());
  EXPECT_FALSE(single->HitTest(5, 5));
  auto triangle = Make<PolyVectorObject>("polyvector", {{"close", "yes"}, {"co-ordinate", "screen"}},
                                         {{0, 0}, {100, 0}, {100, 100}});
  triangle->Draw();
  EXPECT_EQ(Calls("DrawLine").size(), 3u);
  EXPECT_TRUE(triangle->HitTest(50, 52));  // on the closing segment
  triangle->SetClosed(false);
  EXPECT_FALSE(triangle->HitTest(50, 52));
}

// ---- Following links -----------------------------------------------------------------------

TEST_F(ShapeTest, LineFollowsItsLinkAndHandsExtLinksToTheHost) {
  auto line = Make<LineObject>("line", {{"href", "ext:open"}});
  line->SetId(12);
  line->OnClick({0, 0}, kObjectLeftButton);
  line->OnClick({0, 0}, kObjectRightButton);
  auto menu = Make<LineObject>("line", {{"href", "rmenu:m"}});
  menu->OnClick({0, 0}, kObjectRightButton);
  const std::vector<std::pair<std::string, bool>> expected = {{"ext:open<@12", true}, {"rmenu:m", true}};
  EXPECT_EQ(view.queued, expected);
  line->OnMouseMove(0, {1, 1});
  EXPECT_TRUE(line->IsHovered());
  EXPECT_EQ(line->GetCurrentColor(), LineObject::kDefaultMouseOverColor);
  line->OnMouseExit();
  EXPECT_EQ(line->GetCurrentColor(), LineObject::kDefaultColor);
}

// ---- Mouse editing -------------------------------------------------------------------------

class EditingTest : public ShapeTest {
 protected:
  std::unique_ptr<CComponentRect> EditableRect() {
    auto rect = std::make_unique<CComponentRect>(100, 100, 50, 40, "", nullptr, nullptr);
    rect->SetScreenCoordinates(true);
    rect->SetView(&view);
    rect->SetEditing(true);
    return rect;
  }
  static platform::Rect RectOf(const MapObject& object) {
    return platform::Rect::FromSize(object.GetX(), object.GetY(), object.GetWidth(), object.GetHeight());
  }
};

TEST_F(EditingTest, RectIsResizedAndMovedByItsHandlesAndEdges) {
  const struct {
    platform::Point press, move;
    platform::Rect expected;
  } cases[] = {
      {{148, 138}, {170, 160}, platform::Rect::FromSize(100, 100, 75, 65)},  // bottom-right corner
      {{148, 138}, {105, 105}, platform::Rect::FromSize(100, 100, 20, 20)},  // minimum size
      {{103, 103}, {90, 80}, platform::Rect::FromSize(85, 75, 65, 65)},      // top-left corner
      {{103, 103}, {145, 139}, platform::Rect::FromSize(130, 120, 20, 20)},  // top-left, minimum size
      {{105, 120}, {205, 220}, platform::Rect::FromSize(200, 200, 50, 40)},  // left strip moves
      {{130, 105}, {30, 5}, platform::Rect::FromSize(0, 0, 50, 40)},         // top strip moves
      {{145, 120}, {180, 300}, platform::Rect::FromSize(100, 100, 85, 40)},  // right edge: width only
      {{120, 135}, {300, 170}, platform::Rect::FromSize(100, 100, 50, 75)},  // bottom edge: height only
      {{120, 120}, {300, 300}, platform::Rect::FromSize(100, 100, 50, 40)},  // inside: nothing
  };
  for (const auto& c : cases) {
    auto rect = EditableRect();
    rect->OnLButtonDown(1, c.press);
    rect->OnMouseMove(1, c.move);
    rect->OnLButtonUp(0, c.move);
    EXPECT_EQ(RectOf(*rect), c.expected) << c.press.x << "," << c.press.y;
    EXPECT_FALSE(rect->IsCapturingMouse());
  }
}

TEST_F(EditingTest, RectCapturesTheMouseOnlyWhileDragging) {
  auto rect = EditableRect();
  EXPECT_TRUE(rect->AllowsViewDrag(0, 0));
  rect->OnLButtonDown(1, {148, 138});
  EXPECT_TRUE(rect->IsCapturingMouse());
  EXPECT_FALSE(rect->AllowsViewDrag(0, 0));
  rect->OnLButtonUp(0, {148, 138});
  EXPECT_FALSE(rect->IsCapturingMouse());
  rect->SetEditing(false);
  rect->OnLButtonDown(1, {148, 138});
  EXPECT_FALSE(rect->IsCapturingMouse());
}

TEST_F(EditingTest, DrawingARectWithTheMouseEndsWithAnEvent) {
  view.browserProperties = {{"IsEditing", "Yes"}, {"limitx", "-1"}};
  auto rect = Make<CComponentRect>("rect", {{"allowediting", "yes"}});
  rect->SetId(7);
  rect->SetBeingCreated(true);
  rect->Draw();
  EXPECT_TRUE(view.draws.empty()) << "nothing shows before the first press";
  EXPECT_TRUE(rect->IsCapturingMouse());
  rect->OnLButtonDown(1, {30, 40});
  EXPECT_EQ(rect->GetCreationStep(), 1);
  rect->OnMouseMove(1, {80, 100});
  rect->OnLButtonUp(0, {80, 100});
  EXPECT_EQ(RectOf(*rect), platform::Rect::FromSize(30, 40, 55, 65));
  EXPECT_FALSE(rect->IsBeingCreated());
  EXPECT_TRUE(rect->IsEditing());
  ASSERT_EQ(view.viewEvents.size(), 1u);
  EXPECT_EQ(view.viewEvents[0].name, "donecreatingobject");
  EXPECT_EQ(view.viewEvents[0].param1, "7");
  EXPECT_EQ(view.creationsEnded, std::vector<int>{7});
}

TEST_F(EditingTest, CreationAddsTheViewsLimitOffset) {
  view.browserProperties = {{"limitx", "100"}, {"limity", "50"}};
  auto ellipse = Make<EllipseObject>("ellipse", {});
  ellipse->SetBeingCreated(true);
  ellipse->OnLButtonDown(1, {30, 40});
  EXPECT_EQ(ellipse->GetX(), 130);
  EXPECT_EQ(ellipse->GetY(), 90);
  ellipse->OnLButtonUp(0, {30, 40});
  EXPECT_FALSE(ellipse->IsEditing()) << "editing needs both allowediting and IsEditing";
}

TEST_F(EditingTest, LineIsDrawnAndItsEndsDragged) {
  view.browserProperties = {{"limitx", "-1"}};
  auto line = Make<LineObject>("line", {{"allowediting", "yes"}});
  line->SetId(3);
  line->SetBeingCreated(true);
  line->OnLButtonDown(1, {10, 10});
  line->OnMouseMove(1, {50, 60});
  line->OnLButtonUp(0, {50, 60});
  EXPECT_EQ(line->GetFirst(), (platform::Point{10, 10}));
  EXPECT_EQ(line->GetSecond(), (platform::Point{50, 60}));
  ASSERT_EQ(view.viewEvents.size(), 1u);
  EXPECT_EQ(view.viewEvents[0].param1, "3");

  line->SetEditing(true);
  line->OnLButtonDown(1, {53, 57});  // within 4 pixels of the second end
  EXPECT_TRUE(line->IsCapturingMouse());
  line->OnMouseMove(1, {90, 90});
  line->OnLButtonUp(0, {90, 90});
  EXPECT_EQ(line->GetSecond(), (platform::Point{90, 90}));
  line->OnLButtonDown(1, {50, 50});  // on the segment: the whole line moves
  line->OnMouseMove(1, {60, 45});
  line->OnLButtonUp(0, {60, 45});
  EXPECT_EQ(line->GetFirst(), (platform::Point{20, 5}));
  EXPECT_EQ(line->GetSecond(), (platform::Point{100, 85}));
}

TEST_F(EditingTest, PolylineClickedPointByPointEndsWithTheRightButton) {
  auto polyline = Make<PolyVectorObject>("polyvector", {});
  polyline->SetId(4);
  polyline->SetBeingCreated(true);
  polyline->OnLButtonDown(1, {10, 10});
  polyline->OnLButtonUp(0, {10, 10});
  EXPECT_TRUE(polyline->IsPointMode());
  polyline->OnMouseMove(0, {50, 50});
  polyline->OnLButtonDown(1, {50, 50});
  polyline->OnLButtonUp(0, {50, 50});
  polyline->OnMouseMove(0, {90, 20});
  EXPECT_EQ(polyline->GetPoints(), (std::vector<platform::Point>{{10, 10}, {50, 50}, {90, 20}}));
  polyline->OnRButtonDown(2, {90, 20});
  EXPECT_EQ(polyline->GetPoints(), (std::vector<platform::Point>{{10, 10}, {50, 50}}));
  EXPECT_FALSE(polyline->IsBeingCreated());
  ASSERT_EQ(view.viewEvents.size(), 1u);
  EXPECT_EQ(view.viewEvents[0].name, "donecreatingobject");
}

TEST_F(EditingTest, FreeHandPolylineSamplesThePointerAndEndsOnRelease) {
  auto polyline = Make<PolyVectorObject>("polyvector", {{"thickness", "2"}});
  polyline->SetBeingCreated(true);
  polyline->OnLButtonDown(1, {0, 0});
  for (platform::Point p : {platform::Point{6, 0}, {7, 0}, {20, 5}, {22, 9}}) polyline->OnMouseMove(1, p);
  polyline->OnLButtonUp(0, {22, 9});
  // 3 x thickness = 6 pixels: (6, 0) is not far enough, (7, 0) is; (22, 9) is 2 and 4 away.
  EXPECT_EQ(polyline->GetPoints(), (std::vector<platform::Point>{{0, 0}, {7, 0}, {20, 5}}));
  EXPECT_FALSE(polyline->IsBeingCreated());
  EXPECT_TRUE(view.viewEvents.empty());
  EXPECT_EQ(view.creationsEnded.size(), 1u);
}

TEST_F(EditingTest, PolylinePointsAreDraggedInPointMode) {
  auto polyline = Make<PolyVectorObject>("polyvector", {{"isfreehand", "no"}}, {{10, 10}, {100, 10}});
  polyline->SetEditing(true);
  polyline->OnLButtonDown(1, {98, 12});
  polyline->OnMouseMove(1, {120, 40});
  polyline->OnLButtonUp(0, {120, 40});
  polyline->OnLButtonDown(1, {65, 25});  // on the segment, away from the points: all move
  polyline->OnMouseMove(1, {70, 35});
  polyline->OnLButtonUp(0, {70, 35});
  EXPECT_EQ(polyline->GetPoints(), (std::vector<platform::Point>{{15, 20}, {125, 50}}));
}

// ---- Commits -------------------------------------------------------------------------------

TEST_F(ShapeTest, CommitsApplyTheShapesOwnProperties) {
  auto box = Make<BoxObject>("box", {{"x", "0"}, {"y", "0"}, {"bx", "100"}, {"by", "50"}, {"angle", "90"}});
  EXPECT_FALSE(box->CommitProperties()) << "a commit with nothing pending keeps the box";
  EXPECT_EQ(box->GetCorners()[0], (platform::Point{75, -25}));
  box->SetProperty("angle", "0");
  box->SetProperty("colorfill", "#ff0000");
  EXPECT_TRUE(box->CommitProperties());
  EXPECT_EQ(box->GetCorners()[0], (platform::Point{0, 0}));
  EXPECT_EQ(box->GetBoxFill(), kRed);

  auto ellipse = Make<EllipseObject>("ellipse", {{"x", "0"}, {"y", "0"}, {"bx", "10"}, {"by", "10"}});
  ellipse->SetProperty("bx", "40");
  ellipse->SetProperty("thickness", "3");
  ellipse->CommitProperties();
  EXPECT_EQ(ellipse->GetWidth(), 40);
  EXPECT_EQ(ellipse->GetThickness(), 3);
  EXPECT_EQ(ellipse->GetProperty("bx"), "");

  auto line = Make<LineObject>("line", {});
  line->SetProperty("x2", "70");
  line->SetProperty("arrow", "head");
  line->SetProperty("arrowlength", "0.25");
  line->CommitProperties();
  EXPECT_EQ(line->GetSecond().x, 70);
  EXPECT_EQ(line->GetArrow(), LineObject::kArrowHead);
  EXPECT_DOUBLE_EQ(line->GetArrowLength(), 1.0);

  auto polyline = Make<PolyVectorObject>("polyvector", {{"thickness", "5"}});
  polyline->CommitProperties();
  EXPECT_EQ(polyline->GetThickness(), 5) << "the object's width is not a pen width";
  polyline->SetProperty("width", "0");
  polyline->SetProperty("close", "yes");
  polyline->CommitProperties();
  EXPECT_EQ(polyline->GetThickness(), 1);
  EXPECT_TRUE(polyline->IsClosed());
}

// ---- Panels and the limit frame ------------------------------------------------------------

class RecordingListener : public ObjectListener {
 public:
  void OnObjectMouse(MapObject&, const std::string& notification, unsigned flags, platform::Point point) override {
    calls.push_back(notification + ":" + std::to_string(flags) + ":" + std::to_string(point.x) + "," +
                    std::to_string(point.y));
  }
  std::vector<std::string> calls;
};

std::unique_ptr<PictureButton> Button(const std::string& command, int x, int y) {
  auto normal = std::make_shared<ViewImage>(20, 20, 24);
  auto pressed = std::make_shared<ViewImage>(20, 20, 24);
  return std::make_unique<PictureButton>(normal, pressed, x, y, 20, 20, command);
}

TEST_F(ShapeTest, PictureButtonTellsItsListenerTheCommand) {
  auto button = Button("clipsave", 10, 10);
  button->SetScreenCoordinates(true);
  button->SetView(&view);
  EXPECT_EQ(button->GetLayer(), 5);
  button->OnClick({15, 15}, kObjectLeftButton);  // no listener: nothing
  RecordingListener listener;
  button->SetListener(&listener);
  button->OnLButtonDown(1, {15, 15});
  EXPECT_EQ(button->GetCurrentPicture(), button->GetPressedPicture());
  button->OnLButtonUp(0, {15, 15});
  button->OnClick({15, 15}, kObjectLeftButton);
  EXPECT_EQ(listener.calls, (std::vector<std::string>{"ldown:1:15,15", "lup:0:15,15", "clipsave:1:0,0"}));
  EXPECT_TRUE(button->HasLinkAt(29, 29));
  EXPECT_FALSE(button->HasLinkAt(30, 30));
}

TEST_F(ShapeTest, GroupPassesInputToTheChildUnderThePointer) {
  ObjectGroup group(10, 10, 100, 50, nullptr);
  group.SetScreenCoordinates(true);
  group.SetView(&view);
  RecordingListener listener;
  MapObject* first = group.AddChild(Button("one", 5, 5));
  MapObject* second = group.AddChild(Button("two", 40, 5));
  first->SetListener(&listener);
  second->SetListener(&listener);
  second->SetTooltip("Two");
  EXPECT_TRUE(first->IsScreenCoordinates());
  EXPECT_EQ(first->GetView(), &view);

  group.OnClick({20, 20}, kObjectLeftButton);
  group.OnLButtonDown(1, {55, 20});
  EXPECT_EQ(listener.calls, (std::vector<std::string>{"one:1:0,0", "ldown:1:5,5"}));
  group.OnMouseMove(0, {55, 20});
  EXPECT_EQ(group.GetHoveredChild(), second);
  EXPECT_EQ(group.GetTooltip(), "Two");
  EXPECT_TRUE(group.HasLinkAt(55, 20));
  EXPECT_FALSE(group.HasLinkAt(90, 50));
  group.Draw();
  EXPECT_EQ(first->GetScreenRect(), platform::Rect::FromSize(15, 15, 20, 20));
}

TEST_F(ShapeTest, DraggableGroupStaysInsideTheWindow) {
  DraggableGroup group(10, 10, 100, 50, nullptr);
  group.SetScreenCoordinates(true);
  group.SetView(&view);
  group.OnLButtonDown(1, {20, 20});
  EXPECT_TRUE(group.IsCapturingMouse());
  EXPECT_FALSE(group.AllowsViewDrag(20, 20));
  group.OnMouseMove(1, {700, -30});
  EXPECT_EQ(group.GetScreenRect(), platform::Rect::FromSize(540, 0, 100, 50));
  EXPECT_EQ(group.GetX(), 540);
  group.OnLButtonUp(0, {700, -30});
  EXPECT_FALSE(group.IsDragging());
}

TEST_F(ShapeTest, LimitFrameCoversTheWindowOutsideItsRectangle) {
  view.browserProperties = {{"BackgroundColor", "#102030"}};
  CComponentClipper frame(100, 50, 200, 100);
  frame.SetScreenCoordinates(true);
  frame.SetView(&view);
  frame.Draw();
  const long long background = MakeColor(0x10, 0x20, 0x30);
  const long long white = MakeColor(255, 255, 255);
  const std::vector<Call> expected = {
      {"FillRect", {0, 0, 100, 480, background, 0}},   {"FillRect", {300, 0, 340, 480, background, 0}},
      {"FillRect", {100, 0, 200, 50, background, 0}},  {"FillRect", {100, 150, 200, 330, background, 0}},
      {"DrawRectOutline", {99, 49, 202, 102, 0, 1, 0}}, {"DrawRectOutline", {100, 50, 200, 100, white, 1, 0}},
  };
  EXPECT_EQ(view.draws, expected);
  EXPECT_TRUE(frame.IsClickThroughAt(150, 100));
  EXPECT_EQ(frame.GetXml(), "");
  view.draws.clear();
  frame.SetRect(700, 50, 10, 10);
  frame.Draw();
  EXPECT_TRUE(view.draws.empty()) << "a frame wholly outside the window draws nothing";
}

}  // namespace
}  // namespace zolvex
