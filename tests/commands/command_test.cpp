#include "tests/commands/CommandFixture.h"

#include "documents/ObjectFactory.h"
#include "documents/XmlReader.h"
#include "objects/MapObject.h"

using namespace zolvex;
using zolvex::platform::Point;

namespace {

class Commands : public test::CommandFixture {};

// An object that keeps the commands it was given.
class RecordingObject : public MapObject {
 public:
  RecordingObject(int x, int y, int width, int height, std::vector<std::string>& log)
      : MapObject(x, y, width, height), log_(log) {}
  bool ExecuteCommand(const std::string& name, const std::string& value) override {
    log_.push_back(name + "=" + value);
    return true;
  }

 private:
  std::vector<std::string>& log_;
};

}  // namespace

TEST_F(Commands, ZoomCommandsStepOneLevelWithinThePyramid) {
  Open();
  At(0, 0, 2);
  EXPECT_TRUE(Execute("ZoomIn"));
  EXPECT_EQ(Level(), 2);
  EXPECT_TRUE(Execute("zoomout"));
  EXPECT_TRUE(Execute("zoomout"));
  EXPECT_EQ(Level(), 0);
  EXPECT_TRUE(Execute("zoomout"));  // at the smallest level: nothing
  EXPECT_EQ(Level(), 0);
  At(0, 0, 4);
  EXPECT_TRUE(Execute("zoomin"));  // at the last level: nothing
  EXPECT_EQ(Level(), 3);
  EXPECT_FALSE(Execute("nosuchcommand", "1"));
}

TEST_F(Commands, ScrollStepsFollowThePageSizeAndWrapAtTheEdges) {
  Open(256, 384);
  struct Case {
    const char* command;
    Point from;
    Point to;
  };
  // Full level: 1024 x 768 in a 400 x 300 window; steps of 256 x 384.
  const Case cases[] = {
      {"scrollright", {100, 0}, {356, 0}},   {"scrollright", {624, 0}, {0, 384}},
      {"scrollright", {624, 468}, {0, 0}},   {"scrollleft", {0, 0}, {624, 384}},
      {"scrollleft", {300, 100}, {44, 100}}, {"scrollleft", {0, 200}, {624, 0}},
      {"scrolldown", {100, 100}, {100, 468}}, {"scrolldown", {100, 468}, {356, 0}},
      {"scrolldown", {624, 468}, {0, 0}},    {"scrollup", {100, 0}, {0, 384}},
      {"scrollup", {100, 468}, {100, 84}},
  };
  for (const Case& c : cases) {
    At(c.from.x, c.from.y, 4);
    ASSERT_EQ(Position(), c.from);
    TakeEvents();
    EXPECT_TRUE(Execute(c.command));
    EXPECT_EQ(Position(), c.to) << c.command << " from " << c.from;
    EXPECT_EQ(CommandEventNames(), std::vector<std::string>{c.command});
  }
}

TEST_F(Commands, PageCommandsMoveOnThePageGridAndReportThemselves) {
  Open(256, 384);  // four columns and two rows of pages at the full level
  At(0, 0, 4);
  TakeEvents();
  EXPECT_TRUE(Execute("nextpage", "x"));
  EXPECT_EQ(Position(), (Point{256, 0}));
  auto events = TakeEvents();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front().name, "nextpage");
  EXPECT_EQ(events.front().param1, "x");
  EXPECT_EQ(events.front().param2, "");

  EXPECT_TRUE(Execute("prevpage"));
  EXPECT_EQ(Position(), (Point{0, 0}));
  EXPECT_TRUE(Execute("downpage"));
  EXPECT_EQ(Position(), (Point{0, 384}));
  EXPECT_TRUE(Execute("uppage"));
  EXPECT_EQ(Position(), (Point{0, 0}));
  EXPECT_TRUE(Execute("gotopage", "3"));
  EXPECT_EQ(Position(), (Point{512, 0}));
  EXPECT_TRUE(Execute("gotopage", "6"));
  EXPECT_EQ(Position(), (Point{256, 384}));
  EXPECT_TRUE(Execute("gotopage", "2,3"));  // page 2 on level 3 (512 x 384): 128 wide, held in the content
  EXPECT_EQ(Level(), 2);
  EXPECT_EQ(Position(), (Point{112, 0}));
}

// A page size written while a document is open moves the page grid at once, and a
// quarter turn exchanges the page's sides.
TEST_F(Commands, PageSizeWritesAndTurnsTakeEffectAtOnce) {
  Open(256, 384);
  At(0, 0, 4);
  SetProperty("pagewidth", "512");
  EXPECT_TRUE(Execute("nextpage"));
  EXPECT_EQ(Position(), (Point{512, 0}));
  EXPECT_EQ(view_->GetDocument()->GetParam("pagewidth"), "512");

  At(0, 0, 4);
  EXPECT_TRUE(Execute("rotate", "90"));  // the level is now 768 x 1024
  EXPECT_EQ(view_->GetPageWidth(), 384);
  EXPECT_EQ(view_->GetPageHeight(), 512);
  EXPECT_TRUE(Execute("nextpage"));
  EXPECT_EQ(Position(), (Point{368, 0}));  // page 2 starts at 384, held inside 768 - 400
  EXPECT_TRUE(Execute("rotate", "180"));
  EXPECT_EQ(view_->GetPageWidth(), 512);
  EXPECT_EQ(view_->GetPageHeight(), 384);
}

// "clear" closes the document: the window shows the background and the view answers as
// one without content.
TEST_F(Commands, ClearEmptiesTheView) {
  Open();
  At(0, 0, 4);
  view_->Present();
  ASSERT_NE(platform::ColorFromPixel(view_->BackBuffer()->PixelAt(200, 150)), 0u);
  EXPECT_TRUE(Execute("clear"));
  EXPECT_EQ(view_->GetDocument(), nullptr);
  EXPECT_EQ(view_->GetViewportX(), -1);
  EXPECT_TRUE(view_->VisibleItems().empty());
  view_->Present();
  EXPECT_EQ(platform::ColorFromPixel(view_->BackBuffer()->PixelAt(200, 150)), 0u);
  EXPECT_TRUE(Execute("nextpage"));  // commands that need a document do nothing
}

TEST_F(Commands, SnapLeftTurnsForwardWhenPagesRunRightToLeft) {
  Open(256, 768);
  view_->SetBrowserProperty("reversepage", "YES");
  At(624, 0, 4);  // the top-right corner lies on page 1
  TakeEvents();
  EXPECT_TRUE(Execute("snapleft"));
  EXPECT_EQ(Position(), (Point{512, 0}));
  EXPECT_EQ(CommandEventNames(), std::vector<std::string>{"nextpage"});
  view_->SetBrowserProperty("reversepage", "no");
  At(256, 0, 4);
  TakeEvents();
  EXPECT_TRUE(Execute("snapleft"));
  EXPECT_EQ(Position(), (Point{0, 0}));
  EXPECT_EQ(CommandEventNames(), std::vector<std::string>{"prevpage"});
}

TEST_F(Commands, PageCommandsWithoutADocumentOnlyReport) {
  EXPECT_TRUE(Execute("nextpage", "1"));
  EXPECT_TRUE(Execute("gotopage", "4"));
  EXPECT_TRUE(Execute("scrollleft"));
  EXPECT_EQ(CommandEventNames(), (std::vector<std::string>{"nextpage", "gotopage", "scrollleft"}));
}

TEST_F(Commands, LimitTakesPageRangesAndRectangles) {
  Open(256, 768);
  At(0, 0, 4);
  EXPECT_TRUE(Execute("limit", "p3-4"));
  EXPECT_EQ(view_->GetViewLimit(), platform::Rect::FromSize(512, 0, 512, 768));
  EXPECT_EQ(GetProperty("limitx"), "512");
  EXPECT_EQ(GetProperty("limitwidth"), "512");
  EXPECT_TRUE(Execute("limit", "10,20-110,220"));
  EXPECT_EQ(view_->GetViewLimit(), platform::Rect::FromSize(10, 20, 100, 200));
  EXPECT_TRUE(Execute("limit", "-50,-10-5000,300,nodraw"));  // cut to the content
  EXPECT_EQ(view_->GetViewLimit(), platform::Rect::FromSize(0, 0, 1024, 300));
  EXPECT_TRUE(Execute("limit", "no"));
  EXPECT_EQ(GetProperty("limitx"), "-1");
  EXPECT_TRUE(Execute("limit", "p1-2147483647"));  // an absurd range is cut to the image
  EXPECT_EQ(view_->GetViewLimit(), platform::Rect::FromSize(0, 0, 1024, 768));
}

TEST_F(Commands, LimitOnHorizontalPagesOfWidth500) {
  Open(500, 768);
  EXPECT_TRUE(Execute("limit", "p3-4"));
  EXPECT_EQ(view_->GetViewLimit(), platform::Rect::FromSize(1000, 0, 1000, 768));
}

TEST_F(Commands, TheWheelPansZoomsOrScrollsAsTheWheelActionSays) {
  Open(256, 384);
  view_->SetBrowserProperty("WheelAction", "pan");
  At(100, 100, 4);
  EXPECT_TRUE(Execute("wheel", "-120,10,10"));
  EXPECT_EQ(Position(), (Point{100, 220}));
  view_->SetBrowserProperty("WheelAction", "zoom");
  At(0, 0, 3);
  EXPECT_TRUE(Execute("wheel", "120,200,150"));
  EXPECT_EQ(Level(), 3);
  EXPECT_TRUE(Execute("wheel", "-120,200,150"));
  EXPECT_EQ(Level(), 2);
  view_->SetBrowserProperty("WheelAction", "");
  At(100, 0, 4);
  EXPECT_TRUE(Execute("wheel", "-120,0,0"));  // any other action: a scroll step to the right
  EXPECT_EQ(Position(), (Point{356, 0}));
  EXPECT_TRUE(Execute("wheel", "0,0,0"));
  EXPECT_EQ(Position(), (Point{356, 0}));
}

TEST_F(Commands, AutomaticPlayAndScrollFollowTheirArguments) {
  EXPECT_EQ(interpreter_->PlayDelay(), 5);
  EXPECT_TRUE(Execute("autoplay", "3"));
  EXPECT_TRUE(interpreter_->IsPlaying());
  EXPECT_EQ(interpreter_->PlayDelay(), 3);
  EXPECT_TRUE(Execute("autoplay", "9"));  // already playing: the delay stays
  EXPECT_EQ(interpreter_->PlayDelay(), 3);
  EXPECT_TRUE(Execute("autoplay", "NO"));
  EXPECT_FALSE(interpreter_->IsPlaying());
  EXPECT_TRUE(Execute("autoplay", "0"));
  EXPECT_TRUE(interpreter_->IsPlaying());
  EXPECT_EQ(interpreter_->PlayDelay(), 3);
  EXPECT_TRUE(Execute("autoplay", ""));
  EXPECT_FALSE(interpreter_->IsPlaying());

  EXPECT_TRUE(Execute("setautoscroll", "5,-2"));
  EXPECT_EQ(interpreter_->AutoScrollSpeed(), (Point{5, -2}));
  EXPECT_TRUE(Execute("autoscroll", "7"));  // malformed: stopped
  EXPECT_EQ(interpreter_->AutoScrollSpeed(), (Point{0, 0}));
}

TEST_F(Commands, ResetReportsTheUrlAndThePosition) {
  Open();
  At(120, 80, 4);
  TakeEvents();
  EXPECT_TRUE(Execute("reset", "reload"));
  auto events = TakeEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].name, "reset");
  EXPECT_EQ(events[0].param1, "reload");
  EXPECT_EQ(events[0].param2, view_->GetCurrentUrl());
  EXPECT_EQ(events[0].position, (Point{120, 80}));
  EXPECT_EQ(events[0].level, 4);
}

TEST_F(Commands, BadArgumentsLeaveTheViewInsideTheContent) {
  Open(256, 384);
  const std::pair<const char*, const char*> cases[] = {
      {"gotopage", "999999999999,99999999999"}, {"gotopage", "-7,-3"},   {"gotopage", "x"},
      {"limit", "p-5-x"},                       {"limit", "1,2-3"},      {"limit", "99999999999,0-1,1"},
      {"wheel", "1,2"},                         {"wheel", "junk"},       {"rotate", "zz"},
      {"SelectObject", "-1"},                   {"ObjectExec", "<<<'"},  {"ObjectExec", "id='99999'"},
      {"autoscroll", "99999999999,-99999999999"}, {"CancelCreateObject", "x"}, {"back", "??"},
  };
  for (const auto& [command, argument] : cases) {
    At(100, 100, 4);
    Execute(command, argument);
    const int level = Level();
    EXPECT_GE(level, 0) << command << " " << argument;
    EXPECT_LT(level, 4) << command << " " << argument;
    const Point after = Position();
    view_->ValidatePosition(false);
    EXPECT_EQ(Position(), after) << command << " " << argument;  // already where validation holds it
    view_->SetViewLimit(0, 0, 0, 0);
  }
}

TEST_F(Commands, ObjectsAreSelectedSteppedThroughAndGivenCommands) {
  Open();
  std::vector<std::string> log;
  MapDocument& document = *view_->GetDocument();
  int first = document.AddObject(std::make_unique<RecordingObject>(100, 100, 50, 50, log), true);
  int hidden = document.AddObject(std::make_unique<RecordingObject>(300, 300, 50, 50, log), true);
  int second = document.AddObject(std::make_unique<RecordingObject>(800, 600, 40, 20, log), true);
  document.FindObject(hidden)->SetLevelRange(0, 1);  // not on the full level
  document.FindObject(second)->SetProperty("name", "Target");
  At(0, 0, 4);

  EXPECT_TRUE(Execute("SelectObject", std::to_string(first)));
  EXPECT_EQ(document.GetSelectableObjects()[document.GetSelectedIndex()]->GetId(), first);
  EXPECT_TRUE(Execute("SelectNextObject"));  // skips the object hidden at this level
  EXPECT_EQ(document.GetSelectableObjects()[document.GetSelectedIndex()]->GetId(), second);
  EXPECT_TRUE(Execute("GotoNextObject", "center"));  // wraps to the first and centres it
  EXPECT_EQ(document.GetSelectableObjects()[document.GetSelectedIndex()]->GetId(), first);
  EXPECT_EQ(Position(), (Point{0, 0}));  // 125 - 200 and 125 - 150, held in the content
  EXPECT_TRUE(Execute("GotoNextObject", ""));
  EXPECT_EQ(Position(), (Point{624, 468}));
  EXPECT_TRUE(Execute("SelectObject", "0"));
  EXPECT_EQ(document.GetSelectedIndex(), -1);

  EXPECT_TRUE(Execute("ObjectExec", "action='blink' id='" + std::to_string(first) + "' param='3'"));
  EXPECT_TRUE(Execute("ObjectExec", "action='show' name='target'"));
  EXPECT_TRUE(Execute("ObjectExec", "id='" + std::to_string(first) + "'"));  // no action: nothing
  EXPECT_EQ(log, (std::vector<std::string>{"blink=3", "show="}));

  EXPECT_TRUE(Execute("SelectObjects", "start"));
  EXPECT_TRUE(interpreter_->KeepsSelection());
  EXPECT_TRUE(Execute("SelectObjects", "stop"));
  EXPECT_FALSE(interpreter_->KeepsSelection());
}

TEST_F(Commands, CreatingAnObjectCanBeCancelled) {
  Open();
  EXPECT_FALSE(Execute("CreateObject", "widget,x='1'"));  // no maker knows the type
  std::vector<std::string> made;
  view_->Objects().RegisterMaker("widget", [&](DocumentHost&, XmlReader& reader, const std::string& type,
                                               const std::string&) -> std::unique_ptr<MapObject> {
    made.push_back(type + "|" + reader.GetChildAttribute("x") + "|" + reader.GetChildAttribute("y"));
    return std::make_unique<MapObject>(10, 10, 30, 30);
  });
  TakeEvents();
  ASSERT_TRUE(Execute("CreateObject", R"(Widget,x="10" y="10")"));
  EXPECT_EQ(made, std::vector<std::string>{"widget|10|10"});
  const int id = interpreter_->CreatingObjectId();
  MapObject* object = view_->GetDocument()->FindObject(id);
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(object->IsBeingCreated());
  EXPECT_EQ(GetProperty("IsCreating"), std::to_string(id));
  EXPECT_EQ(Window().CurrentCursor(), "crosshair");
  auto events = TakeEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].name, "createobject");
  EXPECT_EQ(events[0].param2, std::to_string(id));

  EXPECT_TRUE(Execute("CancelCreateObject"));
  EXPECT_EQ(view_->GetDocument()->FindObject(id), nullptr);
  EXPECT_EQ(GetProperty("iscreating"), "-1");
  events = TakeEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].name, "cancelcreateobject");
  EXPECT_EQ(events[0].param1, std::to_string(id));
}
