#include <gtest/gtest.h>

#include <memory>

#include "documents/MapDocument.h"
#include "objects/ClipperObject.h"
#include "platform/Platform.h"
#include "platform/headless/RecordingServices.h"
#include "platform/headless/ScriptedResponder.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/HeadlessView.h"
#include "tools/AreaSaver.h"
#include "view/ClipTools.h"
#include "view/FlipMapView.h"

namespace zolvex {
namespace {

using Drag = ClipperObject::Drag;

// A headless 900 x 600 view at the full level (scale 1) of a 2048 x 2048 picture, with the
// output tools in place and the view's events collected.
class ClipTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir();
    ASSERT_EQ(test::RunCommand(std::string(KTQTOOL_PROGRAM) + " synth '" + dir_->File("s.ktq") +
                               "' --size 2048 >/dev/null 2>&1"),
              0);
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override {
    ASSERT_TRUE(headless_.Create(900, 600, settingsDir_.File("settings.ini")));
    view_->SetEventHandlers([this](const ViewEvent& e) { events_.push_back(e.name); }, nullptr);
    auto saver = std::make_unique<AreaSaver>(*view_);
    saver->SetProgressSink(nullptr);
    view_->Clipping().SetOutputTools(std::move(saver));
    ASSERT_FALSE(view_->OpenUrl(dir_->File("s.ktq"), true, 0, 0, 0).empty());
    view_->MoveTo(0, 0, view_->GetLevelCount(), "left");
    ASSERT_DOUBLE_EQ(view_->GetDocument()->GetScaleX(), 1.0);
  }

  ClipTools& Clip() { return view_->Clipping(); }
  ClipperObject& Frame() { return Clip().Frame(); }
  void ShowFrameAt(int x, int y, int w, int h) {
    ASSERT_TRUE(view_->Execute("clippos", std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) +
                                              "," + std::to_string(h)));
    view_->SetBrowserProperty("selector", "yes");
  }

  static test::TempDir* dir_;
  test::TempDir settingsDir_;
  test::HeadlessView headless_;
  std::unique_ptr<platform::Platform>& platform_ = headless_.platform;
  std::unique_ptr<FlipMapView>& view_ = headless_.view;
  std::vector<std::string> events_;
};

test::TempDir* ClipTest::dir_ = nullptr;

// Shown for the first time the frame is a third of the window, a third in and halfway
// down; "selector" reports and sets its visibility; a frame placed by "clippos" stays.
TEST_F(ClipTest, TheFrameIsPlacedOnFirstShowingUnlessFixed) {
  EXPECT_EQ(view_->GetBrowserProperty("selector"), "no");
  view_->SetBrowserProperty("selector", "YES");
  EXPECT_EQ(view_->GetBrowserProperty("selector"), "yes");
  EXPECT_EQ(view_->GetBrowserProperty("clippos"), "300,300,300,200");
  view_->SetBrowserProperty("selector", "no");
  EXPECT_EQ(Clip().GetClipRect(), (platform::Rect{-1, -1, -1, -1}));

  ASSERT_TRUE(view_->Execute("clippos", "5000,5000,10,10"));
  view_->SetBrowserProperty("selector", "yes");
  EXPECT_EQ(view_->GetBrowserProperty("clippos"), "5000,5000,10,10");
}

TEST_F(ClipTest, TheClipStringNamesTheLimitTheImageAndTheAddedObjects) {
  const std::string url = view_->GetCurrentUrl();
  EXPECT_EQ(view_->GetBrowserProperty("clipstring"),
            "<xmml> <param name=\"limit\" value=\"-1,-1--1,-1\"/> <clip> </clip> <body> <basemap> <ktq src=\"" + url +
                "\"/></basemap> <map> </map> </body> </xmml>");
  ShowFrameAt(100, 200, 300, 150);
  ASSERT_TRUE(view_->Execute("clipout", ""));
  // The mask: a third of the frame at its top-left corner, filled grey at opacity 200.
  ASSERT_EQ(Clip().Panel().AddedObjects().size(), 1u);
  auto* mask = dynamic_cast<ClipperObject*>(Clip().Panel().AddedObjects()[0]);
  ASSERT_TRUE(mask);
  EXPECT_EQ(mask->GetFillColor(), platform::MakeColor(100, 100, 100));
  EXPECT_EQ(mask->GetFillOpacity(), 200);
  EXPECT_EQ(view_->GetBrowserProperty("clipstring"),
            "<xmml> <param name=\"limit\" value=\"100,200-400,350\"/> <clip> </clip> <body> <basemap> <ktq src=\"" +
                url + "\"/></basemap> <map> <clipper x=\"100\" y=\"200\" width=\"100\" height=\"50\"/> </map> </body> </xmml>");
}

// "clipedit" shows the panel and the frame; arrows and texts join the masks; "clipdel"
// takes them all out of the document and hides the frame; "clipsave" asks the control.
TEST_F(ClipTest, ClipEditingAddsAndRemovesObjects) {
  ASSERT_TRUE(view_->Execute("clipedit", ""));
  ASSERT_TRUE(Clip().Panel().PanelObject());
  EXPECT_TRUE(Clip().Panel().PanelObject()->IsVisible());
  EXPECT_EQ(view_->GetBrowserProperty("selector"), "yes");
  MapDocument* document = view_->GetDocument();
  const size_t before = document->GetObjectList().size();
  for (const char* command : {"clipout", "clipline", "cliptext"}) ASSERT_TRUE(view_->Execute(command, ""));
  EXPECT_EQ(document->GetObjectList().size(), before + 3);
  const std::string clip = view_->GetBrowserProperty("clipstring");
  for (const char* element : {"<clipper ", "<line", "<text"}) EXPECT_NE(clip.find(element), std::string::npos) << element;

  platform_->Window().RunFor(10);
  events_.clear();
  ASSERT_TRUE(view_->Execute("clipsave", ""));
  platform_->Window().RunFor(10);
  EXPECT_EQ(events_, std::vector<std::string>{"ClipSave"});

  ASSERT_TRUE(view_->Execute("clipedit", "No"));
  EXPECT_EQ(document->GetObjectList().size(), before);
  EXPECT_TRUE(Clip().Panel().AddedObjects().empty());
  EXPECT_FALSE(Clip().Panel().PanelObject()->IsVisible());
  EXPECT_EQ(view_->GetBrowserProperty("selector"), "no");
}

TEST(ClipperZones, PressesPickTheirZoneAndCursor) {
  struct Case {
    int u, v;
    Drag zone;
    const char* cursor;
  };
  // A frame of 300 x 150 on the screen.
  const Case cases[] = {
      {3, 3, Drag::TopLeft, "nwse-resize"},      {295, 3, Drag::TopRight, "nesw-resize"},
      {3, 145, Drag::BottomLeft, "nesw-resize"}, {295, 145, Drag::BottomRight, "nwse-resize"},
      {3, 70, Drag::Left, "ew-resize"},          {295, 70, Drag::Right, "ew-resize"},
      {150, 3, Drag::Top, "ns-resize"},          {150, 145, Drag::Bottom, "ns-resize"},
      {150, 75, Drag::Moving, "move"},           {60, 60, Drag::None, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClipperObject::ZoneAt(c.u, c.v, 300, 150), c.zone) << c.u << "," << c.v;
    EXPECT_EQ(ClipperObject::CursorAt(c.u, c.v, 300, 150), c.cursor) << c.u << "," << c.v;
  }
}

// Through the view: a press near a corner resizes; the interior away from the centre lets
// the click through; a right edge dragged 20 pixels past the left edge turns into a left
// edge drag 5 pixels right of the pointer.
TEST_F(ClipTest, DraggingTheFrameResizesMovesAndTurnsOver) {
  ShowFrameAt(100, 100, 300, 150);
  view_->Present();
  EXPECT_EQ(view_->ObjectAt(103, 103), &Frame());
  view_->OnLButtonDown(103, 103, 0, 1000);
  EXPECT_EQ(Frame().GetDrag(), Drag::TopLeft);
  view_->OnLButtonUp(103, 103, 0, 1010);
  EXPECT_EQ(Frame().GetDrag(), Drag::None);
  EXPECT_NE(view_->ObjectAt(160, 160), &Frame());

  view_->OnLButtonDown(395, 170, 0, 2000);
  ASSERT_EQ(Frame().GetDrag(), Drag::Right);
  view_->OnMouseMove(80, 170, platform::kModLeftButton, 2050);
  EXPECT_EQ(Frame().GetDrag(), Drag::Left);
  EXPECT_EQ(Frame().GetScreenRect(), platform::Rect::FromSize(85, 100, 15, 150));
  EXPECT_EQ(view_->GetBrowserProperty("clippos"), "85,100,15,150");
  view_->OnLButtonUp(80, 170, 0, 2100);

  view_->SetBrowserProperty("selector", "no");
  ShowFrameAt(100, 100, 300, 150);
  view_->OnLButtonDown(250, 175, 0, 3000);
  ASSERT_EQ(Frame().GetDrag(), Drag::Moving);
  view_->OnMouseMove(260, 185, platform::kModLeftButton, 3050);
  view_->OnLButtonUp(260, 185, 0, 3100);
  EXPECT_EQ(view_->GetBrowserProperty("clippos"), "110,110,300,150");
}

// Saving, copying and the wallpaper through the commands: the frame's area at the current
// level; "copy" does nothing while the frame is hidden; "wallpaper" then takes the whole
// image at its last level.
TEST_F(ClipTest, OutputCommandsSaveCopyAndSetTheWallpaper) {
  const std::string file = settingsDir_.File("rect.png");
  ASSERT_TRUE(view_->Execute("saverect", "10,20,64,48,1," + file));
  auto saved = test::MagickRead(file);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->width, 64);

  auto* recorder = platform_->Recorder();
  ASSERT_TRUE(view_->Execute("copy", ""));
  EXPECT_EQ(recorder->ClipboardImage().width, 0);
  ShowFrameAt(100, 200, 300, 150);
  ASSERT_TRUE(view_->Execute("copy", ""));
  EXPECT_EQ(recorder->ClipboardImage().width, 300);
  EXPECT_EQ(recorder->ClipboardImage().height, 150);

  platform_->Responder()->QueueSaveFile(settingsDir_.File("f8.bmp"));
  EXPECT_EQ(Clip().SaveClipArea(""), 0);
  EXPECT_EQ(test::MagickRead(settingsDir_.File("f8.bmp"))->width, 300);

  view_->SetBrowserProperty("selector", "no");
  ASSERT_TRUE(view_->Execute("wallpaper", ""));
  ASSERT_EQ(recorder->Wallpapers().size(), 1u);
  EXPECT_EQ(test::MagickRead(recorder->Wallpapers()[0])->width, 2048);
}

}  // namespace
}  // namespace zolvex
