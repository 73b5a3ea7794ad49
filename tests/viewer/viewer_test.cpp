#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "documents/MapDocument.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "tests/support/TestSupport.h"
#include "tests/viewer/HeadlessViewer.h"
#include "tiles/CComponentTile.h"
#include "tiles/TiledImageDocument.h"
#include "view/FlipMapView.h"

using namespace zolvex;

namespace {

constexpr int kWidth = 1000, kHeight = 700;

// A lossless tiled image of a picture that ImageMagick makes, and a view of 400 x 300
// over it in a headless window.
class ViewerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir();
    std::string png = dir_->File("picture.png");
    ASSERT_TRUE(test::MagickRun("-size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                                " gradient:red-blue -swirl 120 -fill white -draw 'circle 500,350 560,350' -depth 8 '" + png + "'"));
    ASSERT_EQ(test::RunCommand(std::string(KTQTOOL_PROGRAM) + " build '" + png + "' '" + dir_->File("picture.ktq") +
                               "' --tile 128 --codec png >/dev/null 2>&1"),
              0);
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override {
    viewer_ = std::make_unique<test::HeadlessViewer>(400, 300, settingsDir_.File("settings.ini"), clock_);
    ASSERT_TRUE(viewer_->platform) << viewer_->error;
    platform_ = viewer_->platform.get();
    view_ = viewer_->view.get();
  }

  bool Open() { return !view_->OpenUrl(dir_->File("picture.ktq"), true, 0, 0, 0).empty() && view_->HasValidDocument(); }
  int Level() { return view_->GetDocument()->GetLevel(); }
  platform::HeadlessWindowHost& Window() { return static_cast<platform::HeadlessWindowHost&>(platform_->Window()); }
  std::uint64_t Now() { return clock_->NowMs(); }

  static test::TempDir* dir_;
  test::TempDir settingsDir_;
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(10000);
  std::unique_ptr<test::HeadlessViewer> viewer_;
  platform::Platform* platform_ = nullptr;
  FlipMapView* view_ = nullptr;
};

test::TempDir* ViewerTest::dir_ = nullptr;

// The largest difference between the frame and a picture ImageMagick made, sampling the
// window on a grid; the frame shows the level from (viewX, viewY), and the picture stands
// at origin of the level.
int WorstDifference(const qmImage& frame, const test::MagickPixels& picture, platform::Point view,
                    platform::Point origin) {
  int worst = 0;
  for (int y = 0; y < frame.getHeight(); y += 5) {
    for (int x = 0; x < frame.getWidth(); x += 5) {
      const int px = view.x + x - origin.x, py = view.y + y - origin.y;
      if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) continue;
      const qmRGBQuad p = frame.getPixelColor(x, y);
      worst = std::max({worst, std::abs(p.red - picture.R(px, py)), std::abs(p.green - picture.G(px, py)),
                        std::abs(p.blue - picture.B(px, py))});
    }
  }
  return worst;
}

}  // namespace

// The mean difference per channel between the frame and the picture over the same grid.
double MeanDifference(const qmImage& frame, const test::MagickPixels& picture, platform::Point view) {
  double total = 0;
  int count = 0;
  for (int y = 0; y < frame.getHeight(); y += 5) {
    for (int x = 0; x < frame.getWidth(); x += 5) {
      const int px = view.x + x, py = view.y + y;
      if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) continue;
      const qmRGBQuad p = frame.getPixelColor(x, y);
      total += std::abs(p.red - picture.R(px, py)) + std::abs(p.green - picture.G(px, py)) +
               std::abs(p.blue - picture.B(px, py));
      count += 3;
    }
  }
  return count ? total / count : 255;
}

TEST_F(ViewerTest, TheFullLevelShowsThePicturesPixels) {
  ASSERT_TRUE(Open());
  const int top = view_->GetDocument()->GetLevelCount();
  ASSERT_EQ(top, 4);
  view_->MoveTo(300, 200, top, "left");
  view_->Present();
  EXPECT_EQ(view_->PendingTileCount(), 0);
  auto frame = view_->CaptureImage(0, 0, 400, 300);
  ASSERT_TRUE(frame);
  auto original = test::MagickRead(dir_->File("picture.png"));
  ASSERT_TRUE(original);
  EXPECT_EQ(WorstDifference(*frame, *original, {view_->ViewX(), view_->ViewY()}, {0, 0}), 0);
}

// Tiles that cover the window leave its background unpainted; where the picture ends, the
// background shows, even where the last frame showed the picture.
TEST_F(ViewerTest, TheBackgroundShowsWhereThePictureEndsAfterAFrameFullOfIt) {
  view_->SetBrowserProperty("BackgroundColor", "#00FF00");
  ASSERT_TRUE(Open());
  const int top = view_->GetDocument()->GetLevelCount();
  view_->MoveTo(300, 200, top, "left");
  view_->Present();
  auto full = view_->CaptureImage(0, 0, 400, 300);
  ASSERT_TRUE(full);
  view_->MoveTo(0, 0, top - 2, "left");  // the level is 250 x 175
  view_->Present();
  ASSERT_EQ(view_->PendingTileCount(), 0);
  auto frame = view_->CaptureImage(0, 0, 400, 300);
  ASSERT_TRUE(frame);
  int background = 0, stale = 0;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 400; ++x) {
      const qmRGBQuad p = frame->getPixelColor(x, y);
      const bool green = p.red == 0 && p.green == 255 && p.blue == 0;
      background += green;
      const qmRGBQuad before = full->getPixelColor(x, y);
      stale += !green && x >= 250 && p.red == before.red && p.green == before.green && p.blue == before.blue;
    }
  }
  EXPECT_EQ(background, 400 * 300 - 250 * 175);
  EXPECT_EQ(stale, 0);
}

// The whole top level, turned or not, at several window sizes: every tile lands where the
// turned picture puts it. The level is the picture's own 1000 x 700 (the file records it),
// though its edge tiles reach to 1024 x 768.
TEST_F(ViewerTest, TurnedLevelsShowThePictureTurnedAtEveryWindowSize) {
  struct Case {
    int degrees;
    const char* magickAngle;
    int width, height;
    platform::Point origin;
  };
  const Case cases[] = {{0, "0", 640, 480, {0, 0}},    {90, "90", 400, 300, {0, 0}},
                        {180, "180", 1024, 768, {0, 0}}, {-90, "-90", 333, 517, {0, 0}},
                        {90, "90", 800, 1100, {0, 0}}};
  ASSERT_TRUE(Open());
  const int top = view_->GetDocument()->GetLevelCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.degrees) + " degrees in " + std::to_string(c.width) + "x" + std::to_string(c.height));
    const std::string turned = dir_->File(std::string("turned") + c.magickAngle + ".png");
    ASSERT_TRUE(test::MagickRun("'" + dir_->File("picture.png") + "' -rotate " + c.magickAngle + " '" + turned + "'"));
    auto picture = test::MagickRead(turned);
    ASSERT_TRUE(picture);
    view_->InitSurfaces(c.width, c.height);
    view_->Execute("rotate", std::to_string(c.degrees));
    // Two positions: the top-left corner, and as far right and down as the level allows.
    for (const int corner : {0, 1}) {
      view_->MoveTo(corner * picture->width, corner * picture->height, top, "left");
      ASSERT_EQ(view_->GetDocument()->GetWidth(), c.degrees % 180 == 0 ? kWidth : kHeight);
      view_->Present();
      EXPECT_EQ(view_->PendingTileCount(), 0);
      auto frame = view_->CaptureImage(0, 0, c.width, c.height);
      ASSERT_TRUE(frame);
      EXPECT_EQ(WorstDifference(*frame, *picture, {view_->ViewX(), view_->ViewY()}, c.origin), 0)
          << "at " << view_->ViewX() << "," << view_->ViewY();
    }
  }
}

// "ratiox" and "ratioy" stretch the picture: the level is the source's times the ratios,
// and every tile is stretched to meet its neighbours, turned or not.
TEST_F(ViewerTest, RatiosStretchEveryTileToTheStretchedLevel) {
  const std::string stretched = dir_->File("stretched.png");
  ASSERT_TRUE(test::MagickRun("'" + dir_->File("picture.png") + "' -sample 200%x300% '" + stretched + "'"));
  auto picture = test::MagickRead(stretched);
  ASSERT_TRUE(picture);
  view_->SetBrowserProperty("ratiox", "2");
  view_->SetBrowserProperty("ratioy", "3");
  ASSERT_TRUE(Open());
  const int top = view_->GetDocument()->GetLevelCount();
  for (const platform::Point at : {platform::Point{0, 0}, platform::Point{1700, 1900}}) {
    view_->MoveTo(at.x, at.y, top, "left");
    ASSERT_EQ(view_->GetDocument()->GetWidth(), 2 * kWidth);
    ASSERT_EQ(view_->GetDocument()->GetHeight(), 3 * kHeight);
    view_->Present();
    EXPECT_EQ(view_->PendingTileCount(), 0);
    auto frame = view_->CaptureImage(0, 0, 400, 300);
    ASSERT_TRUE(frame);
    EXPECT_EQ(WorstDifference(*frame, *picture, {view_->ViewX(), view_->ViewY()}, {0, 0}), 0)
        << "at " << view_->ViewX() << "," << view_->ViewY();
  }
}

TEST_F(ViewerTest, CacheAheadFetchesTheTilesAroundTheView) {
  for (const bool ahead : {false, true}) {
    SCOPED_TRACE(ahead ? "CacheAhead yes" : "CacheAhead unset");
    view_->SetBrowserProperty("CacheAhead", ahead ? "yes" : "");
    ASSERT_TRUE(Open());
    auto* image = dynamic_cast<TiledImageDocument*>(view_->GetDocument());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Worker()->IsRunning(), ahead);
    // Columns 2 to 5 and rows 1 to 3 of the top level are in view; column 6 is ahead.
    view_->MoveTo(300, 200, image->GetLevelCount(), "left");
    view_->Present();
    const int level = image->GetLevel();
    auto cachedColumnSix = [&] {
      for (int row = 0; row <= 4; ++row)
        if (!image->Cache()->Find(level, 6, row)) return false;
      return true;
    };
    for (int i = 0; i < 300 && ahead && !cachedColumnSix(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(cachedColumnSix(), ahead);
    EXPECT_EQ(image->Cache()->Find(level, 2, 1) != nullptr, true);
  }
}

TEST_F(ViewerTest, HintCursorsFollowTheLevel) {
  view_->SetBrowserProperty("usehintcursor", "yes");
  ASSERT_TRUE(Open());
  const int levels = view_->GetDocument()->GetLevelCount();
  view_->MoveTo(0, 0, 1, "left");
  EXPECT_EQ(Window().CurrentCursor(), "IDC_CURSOR_LOW");
  view_->MoveTo(0, 0, 2, "left");
  EXPECT_EQ(Window().CurrentCursor(), "IDC_CURSOR_MID");
  view_->MoveTo(0, 0, levels, "left");
  EXPECT_EQ(Window().CurrentCursor(), "IDC_CURSOR_HIGH");
  // A cursor the page chose stays until the pointer moves: only the level cursor follows.
  Window().SetCursor("crosshair");
  view_->MoveTo(0, 0, 1, "left");
  EXPECT_EQ(Window().CurrentCursor(), "crosshair");
  view_->SetBrowserProperty("usehintcursor", "no");
  view_->MoveTo(0, 0, levels, "left");
  view_->OnMouseMove(10, 10, 0, Now());
  EXPECT_EQ(Window().CurrentCursor(), "default");
}

TEST_F(ViewerTest, TheCursorPropertyDownloadsAndShowsACursorFile) {
  ASSERT_TRUE(Open());
  const std::string arrow = dir_->File("arrow.png");
  ASSERT_TRUE(test::MagickRun("-size 16x16 xc:red '" + arrow + "'"));
  view_->SetBrowserProperty("Cursor", "arrow.png");  // relative to the content
  const std::string first = Window().CurrentCursor();
  ASSERT_NE(first.find(".png"), std::string::npos) << first;
  EXPECT_EQ(platform::ReadFileBytes(first), platform::ReadFileBytes(arrow));
  // A file that cannot be fetched changes nothing; a new one replaces the old copy.
  view_->SetBrowserProperty("Cursor", "missing.cur");
  EXPECT_EQ(Window().CurrentCursor(), first);
  view_->SetBrowserProperty("Cursor", arrow);
  EXPECT_NE(Window().CurrentCursor(), first);
  EXPECT_FALSE(platform::FileExists(first));
}

TEST_F(ViewerTest, ADragPansOnlyOnceItLeavesTheDeadZone) {
  ASSERT_TRUE(Open());
  view_->MoveTo(0, 0, 4, "left");
  const int x0 = view_->ViewX(), y0 = view_->ViewY();
  view_->OnLButtonDown(100, 100, 1, Now());
  view_->OnMouseMove(108, 100, 1, Now());
  EXPECT_EQ(view_->ViewX(), x0);  // 8 pixels: still in the dead zone
  view_->OnMouseMove(88, 100, 1, Now());
  EXPECT_EQ(view_->ViewX(), x0 + 12);  // 12 pixels: the whole distance at once
  view_->OnMouseMove(78, 95, 1, Now());
  EXPECT_EQ(view_->ViewX(), x0 + 22);
  EXPECT_EQ(view_->ViewY(), y0 + 5);
  view_->OnLButtonUp(78, 95, 0, Now());
  EXPECT_FALSE(view_->IsDragging());
  EXPECT_EQ(Level(), 3);  // a drag is not a click
}

TEST_F(ViewerTest, AQuickClickZoomsInAroundThePointAndARightClickZoomsOut) {
  ASSERT_TRUE(Open());
  view_->MoveTo(0, 0, 2, "left");
  ASSERT_EQ(Level(), 1);
  view_->OnLButtonDown(200, 150, 1, Now());
  clock_->Advance(200);
  view_->OnLButtonUp(202, 151, 0, Now());
  EXPECT_EQ(Level(), 2);
  view_->OnRButtonDown(200, 150, 0, Now());
  view_->OnRButtonUp(200, 150, 0, Now());
  EXPECT_EQ(Level(), 1);
  // Held for two seconds without moving: nothing.
  view_->OnLButtonDown(200, 150, 1, Now());
  clock_->Advance(2000);
  view_->OnLButtonUp(200, 150, 0, Now());
  EXPECT_EQ(Level(), 1);
}

TEST_F(ViewerTest, TheWheelZoomsAndKeysScroll) {
  ASSERT_TRUE(Open());
  view_->MoveTo(0, 0, 3, "left");
  view_->SetBrowserProperty("WheelAction", "zoom");
  view_->Execute("wheel", "120,200,150");
  EXPECT_EQ(Level(), 3);
  view_->Execute("wheel", "-120,200,150");
  EXPECT_EQ(Level(), 2);
  view_->SetBrowserProperty("WheelAction", "pan");
  view_->MoveTo(0, 0, 4, "left");
  int y = view_->ViewY();
  view_->Execute("wheel", "-120,200,150");
  EXPECT_EQ(view_->ViewY(), y + 120);
  int x = view_->ViewX();
  EXPECT_TRUE(view_->OnKeyDown(platform::kKeyRight, 0, 0, Now()));
  EXPECT_EQ(view_->ViewX(), x + 200);
  EXPECT_FALSE(view_->OnKeyDown('Q', 0, 0, Now()));
}

TEST_F(ViewerTest, AMissingFileFallsBackWithItsMessage) {
  EXPECT_TRUE(view_->OpenUrl(settingsDir_.File("missing.ktq"), true, 0, 0, 0).empty());
  EXPECT_FALSE(view_->HasValidDocument());
}

TEST_F(ViewerTest, TheZoomAreaFollowsThePointerBelowTheLastLevel) {
  ASSERT_TRUE(Open());
  view_->MoveTo(0, 0, 2, "left");
  view_->SetBrowserProperty("DrawZoomArea", "yes");
  view_->SetBrowserProperty("DrawZoomAreaColor", "#00FF00");
  view_->OnMouseMove(120, 100, 0, Now());
  view_->Present();
  auto frame = view_->CaptureImage(0, 0, 400, 300);
  int green = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) green += frame->getPixelColor(x, y) == qmMakeColor(0, 255, 0);
  EXPECT_GT(green, 100);
}

// A stretched fit makes one page fill the window: a 512 x 512 picture, red on the left and
// blue on the right, with one page over all of it shows level 1 (256 x 256) stretched to
// 300 x 300 and centred in the 400 x 300 window.
TEST_F(ViewerTest, AStretchedFitDrawsThePageAtTheWindowsSize) {
  const std::string png = dir_->File("halves.png");
  ASSERT_TRUE(test::MagickRun("-size 512x512 xc:red -fill blue -draw 'rectangle 256,0 511,511' -depth 8 '" + png + "'"));
  const std::string ktq = dir_->File("halves.ktq");
  ASSERT_EQ(test::RunCommand(std::string(KTQTOOL_PROGRAM) + " build '" + png + "' '" + ktq +
                             "' --tile 128 --codec png >/dev/null 2>&1"),
            0);
  view_->SetBrowserProperty("pagewidth", "512");
  view_->SetBrowserProperty("pageheight", "512");
  ASSERT_FALSE(view_->OpenUrl(ktq, true, 0, 0, 0).empty());
  view_->FitToWindow(true);
  ASSERT_EQ(Level(), 1);
  EXPECT_EQ(view_->GetDocument()->GetWidth(), 300);
  view_->Present();
  EXPECT_EQ(view_->PendingTileCount(), 0);
  auto frame = view_->CaptureImage(0, 0, 400, 300);
  ASSERT_TRUE(frame);
  const qmRGBQuad black = qmMakeColor(0, 0, 0), red = qmMakeColor(255, 0, 0), blue = qmMakeColor(0, 0, 255);
  const std::pair<int, qmRGBQuad> probes[] = {{45, black}, {55, red}, {195, red}, {205, blue}, {345, blue}, {355, black}};
  for (const auto& [x, colour] : probes) {
    for (const int y : {2, 150, 297}) EXPECT_TRUE(frame->getPixelColor(x, y) == colour) << x << "," << y;
  }
}

TEST_F(ViewerTest, AutofitShowsTheLargestLevelThatFitsCentred) {
  view_->SetBrowserProperty("autofit", "yes");
  ASSERT_TRUE(Open());
  ASSERT_EQ(Level(), 1);  // 250 x 175: the largest level whose smaller side fits 300 pixels
  EXPECT_EQ(view_->ViewX(), (250 - 400) / 2);
  EXPECT_EQ(view_->ViewY(), (175 - 300) / 2);
}

// Tiles of 4 pixels would need 7,500 of them for this window: the frame is drawn from the
// next coarser level, stretched, within the bound, and still shows the picture.
TEST_F(ViewerTest, ALevelOfTinyTilesIsDrawnFromACoarserLevel) {
  const std::string tiny = dir_->File("tiny.ktq");
  ASSERT_EQ(test::RunCommand(std::string(KTQTOOL_PROGRAM) + " build '" + dir_->File("picture.png") + "' '" + tiny +
                             "' --tile 4 --codec png >/dev/null 2>&1"),
            0);
  ASSERT_FALSE(view_->OpenUrl(tiny, true, 0, 0, 0).empty());
  MapDocument& document = *view_->GetDocument();
  const int top = document.GetLevelCount();
  view_->MoveTo(300, 200, top, "left");
  for (int round = 0; round < 200 && view_->PendingTileCount() != 0; ++round) {
    view_->Present();
    Window().RunFor(10);
  }
  view_->Present();
  EXPECT_EQ(view_->PendingTileCount(), 0);
  std::vector<MapObject*> items;
  document.GetDrawList(items, view_->ViewX(), view_->ViewY(), 400, 300, 0, 0);
  int tiles = 0;
  for (MapObject* item : items) {
    if (auto* tile = dynamic_cast<CComponentTile*>(item)) {
      EXPECT_EQ(tile->Level(), top - 2);
      ++tiles;
    }
  }
  EXPECT_GT(tiles, 0);
  EXPECT_LE(tiles, TiledImageDocument::kMaxTilesPerFrame);
  auto frame = view_->CaptureImage(0, 0, 400, 300);
  ASSERT_TRUE(frame);
  auto original = test::MagickRead(dir_->File("picture.png"));
  ASSERT_TRUE(original);
  EXPECT_LT(MeanDifference(*frame, *original, {view_->ViewX(), view_->ViewY()}), 6.0);
}
