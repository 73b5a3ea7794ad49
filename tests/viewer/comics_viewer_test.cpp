#include <gtest/gtest.h>

#include "documents/modes/ComicsDocument.h"
#include "documents/modes/PageScroller.h"
#include "objects/ObjectGroup.h"
#include "objects/PictureButton.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "tests/support/TestSupport.h"
#include "tests/viewer/HeadlessViewer.h"
#include "view/FlipMapView.h"

using namespace zolvex;

namespace {

constexpr int kPages = 10, kPageWidth = 240, kPageHeight = 320;
constexpr int kViewWidth = 400;

// The colour of page p: every page its own, so a pixel tells the page.
std::string PageColour(int page) {
  return "rgb(" + std::to_string(20 * page) + "," + std::to_string(250 - 20 * page) + ",120)";
}

// A comic file of ten pages side by side, each filled with its colour and showing its
// number, in one level (a tile as large as the picture), and a view of it.
class ComicsViewerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir();
    std::string pages;
    for (int page = 1; page <= kPages; ++page) {
      pages += " \\( -size " + std::to_string(kPageWidth) + "x" + std::to_string(kPageHeight) + " 'xc:" +
               PageColour(page) + "' -font DejaVu-Sans-Bold -fill black -pointsize 150 -gravity center -annotate 0 '" +
               std::to_string(page) + "' \\)";
    }
    const std::string strip = dir_->File("strip.png");
    ASSERT_TRUE(test::MagickRun(pages + " +append -depth 8 '" + strip + "'"));
    ASSERT_EQ(test::RunCommand(std::string(KTQTOOL_PROGRAM) + " build '" + strip + "' '" + dir_->File("strip.ktq") +
                               "' --tile 4096 --codec png >/dev/null 2>&1 && mv '" + dir_->File("strip.ktq") + "' '" +
                               dir_->File("strip.cms") + "'"),
              0);
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override {
    viewer_ = std::make_unique<test::HeadlessViewer>(kViewWidth, kPageHeight, settingsDir_.File("settings.ini"), clock_);
    ASSERT_TRUE(viewer_->platform) << viewer_->error;
    view_ = viewer_->view.get();
    ASSERT_FALSE(view_->OpenUrl(dir_->File("strip.cms"), true, 0, 0, 0).empty());
    comic_ = dynamic_cast<ComicsDocument*>(view_->GetDocument());
    ASSERT_NE(comic_, nullptr);
  }

  MapObject* Button(const std::string& command) {
    for (MapObject* object : comic_->GetObjectList()) {
      auto* button = dynamic_cast<PictureButton*>(object);
      if (button && button->GetCommand() == command) return button;
    }
    return nullptr;
  }
  void Tick() {
    clock_->Advance(100);
    view_->OnTick();
  }

  static test::TempDir* dir_;
  test::TempDir settingsDir_;
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(10000);
  std::unique_ptr<test::HeadlessViewer> viewer_;
  FlipMapView* view_ = nullptr;
  ComicsDocument* comic_ = nullptr;
};

test::TempDir* ComicsViewerTest::dir_ = nullptr;

}  // namespace

TEST_F(ComicsViewerTest, PageThreeShowsThePicturesPixels) {
  EXPECT_EQ(comic_->PageCount(), kPages);
  EXPECT_EQ(comic_->ZoneCount(), 3);  // one level
  view_->Execute("gotopage", "3");
  EXPECT_EQ(view_->ViewX(), 2 * kPageWidth);
  view_->Present();
  auto frame = view_->CaptureImage(0, 0, kViewWidth, kPageHeight);
  ASSERT_TRUE(frame);
  auto strip = test::MagickRead(dir_->File("strip.png"));
  ASSERT_TRUE(strip);
  // Away from the toolbar (bottom rows, right edge) the frame is the picture from page 3 on.
  int worst = 0;
  for (int y = 0; y < kPageHeight - 40; y += 3) {
    for (int x = 0; x < kViewWidth - 40; x += 3) {
      const qmRGBQuad p = frame->getPixelColor(x, y);
      const int px = 2 * kPageWidth + x;
      worst = std::max({worst, std::abs(p.red - strip->R(px, y)), std::abs(p.green - strip->G(px, y)),
                        std::abs(p.blue - strip->B(px, y))});
    }
  }
  EXPECT_EQ(worst, 0);
  // The page's own colour at its top-left, the next page's beyond its edge.
  EXPECT_EQ(frame->getPixelColor(5, 5).red, 60);
  EXPECT_EQ(frame->getPixelColor(kPageWidth + 5, 5).red, 80);
}

TEST_F(ComicsViewerTest, AutomaticPlayTurnsThePagesOnTheClock) {
  view_->Present();
  MapObject* play = Button("play");
  ASSERT_NE(play, nullptr);
  play->OnClick({0, 0}, 1);
  // The default delay of 5: the page turns on the thirtieth tick.
  for (int tick = 1; tick < 30; ++tick) Tick();
  EXPECT_EQ(view_->ViewX(), 0);
  Tick();
  EXPECT_EQ(view_->ViewX(), kPageWidth);
  for (int tick = 0; tick < 30; ++tick) Tick();
  EXPECT_EQ(view_->ViewX(), 2 * kPageWidth);
  play->OnClick({0, 0}, 1);  // pause
  for (int tick = 0; tick < 60; ++tick) Tick();
  EXPECT_EQ(view_->ViewX(), 2 * kPageWidth);
}

TEST_F(ComicsViewerTest, ClicksAtTheEdgesTurnPages) {
  view_->Present();
  const std::uint64_t now = clock_->NowMs();
  view_->OnLButtonDown(380, 200, platform::kModLeftButton, now);
  view_->OnLButtonUp(380, 200, 0, now + 50);
  EXPECT_EQ(view_->ViewX(), kPageWidth);
  view_->OnLButtonDown(20, 100, platform::kModLeftButton, now + 500);
  view_->OnLButtonUp(20, 100, 0, now + 550);
  EXPECT_EQ(view_->ViewX(), 0);
  // Over the toolbar's panel (down the right edge) a click belongs to the panel.
  view_->OnLButtonDown(380, 100, platform::kModLeftButton, now + 1000);
  view_->OnLButtonUp(380, 100, 0, now + 1050);
  EXPECT_EQ(view_->ViewX(), 0);
  EXPECT_EQ(view_->GetDocument()->GetLevel(), 0);
}

// The toolbar follows the window's edges when the window changes size; the view stays on
// its page.
TEST_F(ComicsViewerTest, TheToolbarFollowsANewWindowSize) {
  view_->Execute("gotopage", "2");
  view_->Present();
  MapObject* next = Button("nextpage");
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->GetScreenRect(), platform::Rect::FromSize(kViewWidth - 29, kPageHeight - 30, 20, 20));
  const int scrollerWidth = comic_->Scroller()->GetScreenRect().Width();

  view_->InitSurfaces(kViewWidth + 200, kPageHeight + 100);
  view_->Present();
  EXPECT_EQ(next->GetScreenRect(), platform::Rect::FromSize(kViewWidth + 200 - 29, kPageHeight + 100 - 30, 20, 20));
  EXPECT_EQ(Button("prevpage")->GetScreenRect().left, kViewWidth + 200 - 53);
  EXPECT_EQ(comic_->Scroller()->GetScreenRect().Width(), scrollerWidth + 200);
  EXPECT_EQ(comic_->Scroller()->GetScreenRect().top, kPageHeight + 100 - 30);
  EXPECT_EQ(comic_->Panel()->GetScreenRect().left, kViewWidth + 200 - 29);
  EXPECT_EQ(view_->ViewX(), kPageWidth);
  EXPECT_EQ(comic_->CurrentPage(), 2);
}
