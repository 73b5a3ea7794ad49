#include "tests/commands/CommandFixture.h"

#include <algorithm>

#include "objects/MapObject.h"
#include "platform/TextValues.h"

using namespace zolvex;

namespace {
class Properties : public test::CommandFixture {};
}  // namespace

TEST_F(Properties, StoredNamesFallBackToTheDocumentsParameters) {
  EXPECT_EQ(GetProperty("NothingLikeThis"), "");
  EXPECT_EQ(GetProperty("tilewidth"), "");  // no document yet
  Open();
  EXPECT_EQ(GetProperty("TileWidth"), "128");  // the tiled image's own parameter
  SetProperty("tilewidth", "77");
  EXPECT_EQ(GetProperty("TILEWIDTH"), "77");
  SetProperty("TileWidth", "");  // empty: the parameter shows through again
  EXPECT_EQ(GetProperty("tilewidth"), "128");
  EXPECT_EQ(GetProperty("NothingLikeThis"), "");
}

TEST_F(Properties, FlagsReadAsYesOrNo) {
  struct Case {
    const char* name;
    const char* written;
    const char* read;
  };
  const Case cases[] = {
      {"ProgressBar", "YES", "yes"}, {"progressbar", "maybe", "no"}, {"MouseWheel", "Yes", "yes"},
      {"firewalled", "no", "no"},     {"SnapPage", "yes", "yes"},     {"showthumbnail", "No", "no"},
      {"ShowThumbnail", "maybe", "yes"}, {"touchscreen", "YES", "yes"},
  };
  EXPECT_EQ(GetProperty("showthumbnail"), "yes");
  EXPECT_EQ(GetProperty("progressbar"), "no");
  for (const Case& c : cases) {
    SetProperty(c.name, c.written);
    EXPECT_EQ(GetProperty(ToLower(c.name)), c.read) << c.name << "=" << c.written;
  }
}

TEST_F(Properties, LevelLimitsReadBackAndPullTheViewIn) {
  Open();
  At(0, 0, 4);
  SetProperty("MaxLevel", "2");
  EXPECT_EQ(GetProperty("maxlevel"), "2");
  EXPECT_EQ(Level(), 1);  // the view was beyond the new limit
  SetProperty("maxlevel", "0");
  EXPECT_EQ(GetProperty("MAXLEVEL"), "0");
  SetProperty("minlevel", "3");
  EXPECT_EQ(GetProperty("minlevel"), "3");
  EXPECT_EQ(Level(), 2);
  SetProperty("minlevel", "99");  // beyond the pyramid: no zoom there
  EXPECT_EQ(Level(), 2);
  SetProperty("minlevel", "");
  EXPECT_EQ(GetProperty("minlevel"), "0");
}

TEST_F(Properties, WrittenNamesAct) {
  Open();
  SetProperty("playdelay", "7");
  EXPECT_EQ(interpreter_->PlayDelay(), 7);
  SetProperty("playdelay", "-3");
  EXPECT_EQ(interpreter_->PlayDelay(), 1);
  SetProperty("comicsmenu", "no");
  EXPECT_EQ(view_->GetDocument()->GetParam("comicsmenu"), "no");
  SetProperty("UseZoomCursor", "yes");
  EXPECT_EQ(Window().CurrentCursor(), "zoom-in");
  SetProperty("DrawCenterMarker", "yes");
  EXPECT_TRUE(rules_->DrawsCenterMarker());
  EXPECT_EQ(GetProperty("drawcentermarker"), "yes");  // stored as well

  At(0, 0, 4);
  SetProperty("autofit", "no");  // the largest level whose smaller side fits 300 pixels
  EXPECT_EQ(Level(), 1);
}

TEST_F(Properties, ObjectQueriesAndEditing) {
  Open();
  MapDocument& document = *view_->GetDocument();
  auto object = std::make_unique<MapObject>(100, 100, 60, 40);
  object->SetProperty("name", "Stamp");
  MapObject* raw = object.get();
  int id = document.AddObject(std::move(object), true);
  At(0, 0, 4);
  view_->Present();  // the frame lists the object among the visible items
  EXPECT_EQ(GetProperty("objectidbyname:stamp"), std::to_string(id));
  EXPECT_EQ(GetProperty("objectidbyname:nobody"), "");
  EXPECT_EQ(GetProperty("objectat:120,110"), std::to_string(id));
  EXPECT_EQ(GetProperty("objectat:5,5"), "");
  EXPECT_EQ(GetProperty("objectat:zz"), "");
  raw->SetEditing(true);
  SetProperty("isediting", "yes");
  EXPECT_TRUE(raw->IsEditing());
  SetProperty("isediting", "no");
  EXPECT_FALSE(raw->IsEditing());
  interpreter_->SelectedObjectIds() = {"3", "5"};
  EXPECT_EQ(GetProperty("SelectedObjects"), "3,5");
  EXPECT_EQ(GetProperty("IsCreating"), "-1");
  // The project's version, padded to four numbers.
  const std::string version = GetProperty("version");
  EXPECT_TRUE(version.starts_with(std::string(PROJECT_VERSION_TEXT) + ".")) << version;
  EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3) << version;

  // The hovered object's ID, and nothing once the pointer leaves it.
  view_->OnMouseMove(120, 110, 0, 1);
  EXPECT_EQ(GetProperty("TopObjectID"), std::to_string(id));
  view_->OnMouseMove(5, 5, 0, 2);
  EXPECT_EQ(GetProperty("topobjectid"), "");
}

// "touchscreen" answers whether the back button shows: it hides after a minute without input.
TEST_F(Properties, TouchScreenReadsTheBackButtonsVisibility) {
  Open();
  SetProperty("touchscreen", "yes");
  EXPECT_EQ(GetProperty("touchscreen"), "yes");
  for (int tick = 0; tick < 601; ++tick) {
    clock_->Advance(100);
    view_->OnTick();
  }
  EXPECT_EQ(GetProperty("touchscreen"), "no");
}

// Drawing the zoom area probes the next level; the page hears no level change from it.
TEST_F(Properties, FramesWithTheZoomAreaPostNoLevelChanges) {
  Open();
  At(0, 0, 2);
  SetProperty("DrawZoomArea", "yes");
  view_->OnMouseMove(100, 100, 0, 1);
  TakeEvents();
  for (int frame = 0; frame < 3; ++frame) view_->Present();
  auto levelChanges = [this] {
    auto events = TakeEvents();
    return std::count_if(events.begin(), events.end(), [](const ViewEvent& e) { return e.name == "levelchanged"; });
  };
  EXPECT_EQ(levelChanges(), 0);
  EXPECT_EQ(Level(), 1);
  EXPECT_TRUE(Execute("zoomin"));
  EXPECT_EQ(levelChanges(), 1);
}
