#include <gtest/gtest.h>

#include "documents/MapDocument.h"
#include "platform/Platform.h"
#include "tests/support/TestSupport.h"
#include "view/DocumentFactory.h"
#include "view/FlipMapView.h"

using namespace zolvex;

namespace {

constexpr platform::Color kRed = platform::MakeColor(255, 0, 0);
constexpr platform::Color kBlue = platform::MakeColor(0, 0, 255);
constexpr platform::Color kWhite = platform::MakeColor(255, 255, 255);

// A document of one 1000 x 1000 level that reports a chosen number of missing tiles.
class PlainDocument : public MapDocument {
 public:
  explicit PlainDocument(int* pending) : pending_(pending) { SetReady(true); }
  int CollectDrawItems(std::vector<MapObject*>& items, int, int, int, int, int, int) override {
    AppendObjects(items);
    return static_cast<int>(items.size());
  }
  int GetLevelHeight(int) override { return 1000; }
  int GetHeight() override { return 1000; }
  int GetLevelWidth(int) override { return 1000; }
  int GetWidth() override { return 1000; }
  int GetFullHeight() override { return 1000; }
  int GetFullWidth() override { return 1000; }
  double GetScaleX() override { return 1.0; }
  double GetScaleY() override { return 1.0; }
  int GetLevelCount() override { return 1; }
  int GetPendingTileCount() override { return *pending_; }

 private:
  int* pending_;
};

class FrameRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::PlatformOptions options;
    options.width = 200;
    options.height = 100;
    options.settingsFile = dir_.File("settings.ini");
    std::string error;
    platform_ = platform::CreatePlatform(options, error);
    ASSERT_TRUE(platform_) << error;
    view_ = std::make_unique<FlipMapView>(*platform_);
    view_->InitSurfaces(200, 100);
  }
  void OpenPlainDocument() {
    DocumentConstructors constructors;
    constructors.xmml = [this](MapView&, const std::string&) { return std::make_unique<PlainDocument>(&pending_); };
    view_->SetDocumentFactory(std::make_unique<DocumentFactory>(constructors));
    ASSERT_FALSE(view_->OpenUrl("plain.xmml", true, 0, 0, 0).empty());
  }
  platform::Color At(int x, int y) { return platform::ColorFromPixel(view_->BackBuffer()->PixelAt(x, y)); }

  test::TempDir dir_;
  int pending_ = 0;
  std::unique_ptr<platform::Platform> platform_;
  std::unique_ptr<FlipMapView> view_;
};

std::unique_ptr<ViewImage> SolidImage(int width, int height, qmRGBQuad color) {
  auto image = std::make_unique<ViewImage>(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image->setPixelColor(x, y, color);
  return image;
}

}  // namespace

TEST_F(FrameRenderTest, FillsAreOpaqueAtZeroAnd255AndHalfMixedAt128) {
  struct Case {
    int opacity;
    platform::Color expected;
  } cases[] = {{0, kRed}, {255, kRed}, {128, platform::MakeColor(127, 0, 128)}};
  for (const Case& c : cases) {
    view_->FillRect(0, 0, 200, 100, kBlue);
    view_->SetDrawParameter(kDrawOpacity, c.opacity);
    view_->FillRect(10, 10, 20, 20, kRed);
    view_->SetDrawParameter(kDrawOpacity, 0);
    EXPECT_EQ(At(15, 15), c.expected) << c.opacity;
    EXPECT_EQ(At(30, 30), kBlue) << "the fill ends before its right and bottom edges";
  }
  EXPECT_EQ(view_->GetDrawParameter(kDrawOpacity), 0);
  EXPECT_EQ(view_->GetDrawParameter(kDrawTextAlign), -1);
}

TEST_F(FrameRenderTest, FillsAndPicturesAreClippedAtTheWindowEdges) {
  view_->FillRect(0, 0, 200, 100, kBlue);
  view_->FillRect(-50, -50, 60, 60, kRed);
  EXPECT_EQ(At(0, 0), kRed);
  EXPECT_EQ(At(9, 9), kRed);
  EXPECT_EQ(At(10, 10), kBlue);
  auto image = SolidImage(40, 40, qmMakeColor(0, 255, 0));
  view_->BlitImage(*image, 0, 0, 40, 40, 180, 80, 40, 40, false, true);
  EXPECT_EQ(At(199, 99), platform::MakeColor(0, 255, 0));
  EXPECT_EQ(At(179, 99), kBlue);
}

TEST_F(FrameRenderTest, PicturesStretchAndSkipTheirTransparentColour) {
  auto image = SolidImage(2, 2, qmMakeColor(255, 255, 255));
  image->setPixelColor(1, 1, qmMakeColor(255, 0, 0));
  image->info().transparentColor = qmMakeColor(255, 255, 255);
  view_->FillRect(0, 0, 200, 100, kBlue);
  view_->BlitImage(*image, 0, 0, 2, 2, 0, 0, 40, 40, true, true);
  EXPECT_EQ(At(5, 5), kBlue);    // white is the key: not drawn
  EXPECT_EQ(At(35, 35), kRed);   // one pixel stretched over 20 x 20
  EXPECT_EQ(At(21, 21), kRed);
  view_->BlitImage(*image, 0, 0, 2, 2, 100, 0, 40, 40, false, true);
  EXPECT_EQ(At(105, 5), kWhite);
}

TEST_F(FrameRenderTest, ASmallBackgroundImageIsTiledAndALargeOneCentred) {
  auto small = SolidImage(30, 30, qmMakeColor(0, 255, 0));
  small->setPixelColor(0, 0, qmMakeColor(255, 0, 0));
  view_->SetBackgroundImage(std::move(small));
  view_->ClearBackground();
  for (auto [x, y] : {std::pair{0, 0}, {30, 0}, {180, 90}, {60, 30}}) EXPECT_EQ(At(x, y), kRed) << x << "," << y;
  EXPECT_EQ(At(31, 1), platform::MakeColor(0, 255, 0));

  auto large = SolidImage(300, 200, qmMakeColor(0, 0, 255));
  large->setPixelColor(150, 100, qmMakeColor(255, 0, 0));
  view_->SetBackgroundImage(std::move(large));
  view_->ClearBackground();
  EXPECT_EQ(At(100, 50), kRed);  // its middle at the window's middle
}

TEST_F(FrameRenderTest, TheProgressBarShowsAWhiteBlockPerPendingTile) {
  OpenPlainDocument();
  view_->SetBrowserProperty("progressbar", "yes");
  view_->SetBrowserProperty("BackgroundColor", "#0000FF");
  pending_ = 8;
  view_->DrawFrame(true);
  pending_ = 4;
  view_->DrawFrame(true);
  // x0 = 200 / 2 - 50 = 50; 100 / 8 = 12: blocks of 9 pixels, 12 apart, from x0 + 3.
  const int y = 5;
  EXPECT_EQ(At(50, y), 0);
  for (int i = 0; i < 4; ++i) {
    int left = 50 + 3 + 100 * i / 8;
    EXPECT_EQ(At(left, y), kWhite) << i;
    EXPECT_EQ(At(left + 8, y), kWhite) << i;
    EXPECT_EQ(At(left + 9, y), 0) << i;
  }
  EXPECT_EQ(At(50 + 3 + 100 * 4 / 8, y), 0);
  EXPECT_EQ(At(100, 50), kBlue);
}

TEST_F(FrameRenderTest, AZeroSizedWindowGetsOnePixelSurfaces) {
  view_->InitSurfaces(0, 0);
  ASSERT_TRUE(view_->HasSurfaces());
  EXPECT_EQ(view_->BackBuffer()->Width(), 1);
  EXPECT_EQ(view_->BackBuffer()->Height(), 1);
  view_->FillRect(0, 0, 10, 10, kRed);
  EXPECT_EQ(At(0, 0), kRed);
  auto captured = view_->CaptureImage(0, 0, 1, 1);
  ASSERT_TRUE(captured);
  EXPECT_EQ(captured->getPixelColor(0, 0), qmMakeColor(255, 0, 0));
}

TEST_F(FrameRenderTest, TheCentreMarkerInvertsTheMiddleOfTheWindow) {
  OpenPlainDocument();
  view_->SetBrowserProperty("BackgroundColor", "#000000");
  view_->SetBrowserProperty("DrawCenterMarker", "yes");
  view_->DrawFrame(true);
  EXPECT_EQ(At(96, 50), kWhite);
  EXPECT_EQ(At(100, 46), kWhite);
  EXPECT_EQ(At(100, 50), 0);  // both strokes invert the middle: it turns back
  EXPECT_EQ(At(90, 50), 0);
  view_->DrawFrame(false);  // only frames that include hidden things show it
  EXPECT_EQ(At(96, 50), 0);
}

TEST_F(FrameRenderTest, TheZoomAreaOutlinesWhatAClickWouldShow) {
  OpenPlainDocument();
  view_->SetBrowserProperty("BackgroundColor", "#000000");
  view_->SetBrowserProperty("DrawZoomArea", "yes");
  view_->SetBrowserProperty("DrawZoomAreaColor", "#FF0000");
  view_->OnMouseMove(100, 50, 0, 0);
  view_->DrawFrame(true);
  // One level only: there is nothing to zoom into, so nothing is drawn.
  int red = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) red += At(x, y) == kRed;
  EXPECT_EQ(red, 0);
}

namespace {

// An object that records what the frame does with it.
class FrameWitness : public MapObject {
 public:
  FrameWitness(bool active, bool hiddenForPrinting, bool hidesItself)
      : MapObject(10, 10, 20, 20), active_(active), hiddenForPrinting_(hiddenForPrinting), hidesItself_(hidesItself) {}
  bool IsActive() const override { return active_; }
  void OnLevelNotice(int level) override { notices.push_back(level); }
  bool IsHiddenForPrinting() const override { return hiddenForPrinting_; }
  bool HidesOutsideItsLevels() const override { return hidesItself_; }
  void ResetFrameState() override { ++resets; }
  void Draw() override { ++draws; }

  std::vector<int> notices;
  int resets = 0;
  int draws = 0;

 private:
  bool active_, hiddenForPrinting_, hidesItself_;
};

}  // namespace

// Per frame: marks are reset (unless multi-selection keeps them), objects hidden for
// printing are drawn only with the hidden ones, objects that ask for level notices get one
// after the frame, and objects outside their levels that hide themselves are hidden.
TEST_F(FrameRenderTest, FramesResetMarksSkipPrintHiddenObjectsAndGiveLevelNotices) {
  OpenPlainDocument();
  MapDocument& document = *view_->GetDocument();
  auto add = [&document](std::unique_ptr<FrameWitness> object) {
    FrameWitness* raw = object.get();
    document.AddObject(std::move(object), false);
    return raw;
  };
  FrameWitness* active = add(std::make_unique<FrameWitness>(true, false, false));
  FrameWitness* forScreenOnly = add(std::make_unique<FrameWitness>(false, true, false));
  FrameWitness* elsewhere = add(std::make_unique<FrameWitness>(false, false, true));
  elsewhere->SetLevelRange(2, -1);

  view_->DrawFrame(false);
  EXPECT_EQ(active->draws, 1);
  EXPECT_EQ(active->notices, std::vector<int>{0});
  EXPECT_EQ(forScreenOnly->draws, 0);
  EXPECT_TRUE(forScreenOnly->notices.empty());
  EXPECT_EQ(elsewhere->draws, 0);
  EXPECT_FALSE(elsewhere->IsVisible());

  view_->DrawFrame(true);
  EXPECT_EQ(forScreenOnly->draws, 1);
  EXPECT_EQ(active->resets, 2);
  view_->Execute("SelectObjects", "start");
  view_->DrawFrame(true);
  EXPECT_EQ(active->resets, 2);

  view_->MoveTo(0, 0, 1, "left");  // a move gives the notice as well
  EXPECT_EQ(active->notices, (std::vector<int>{0, 0, 0, 0}));
}

// Without a document the view's own objects still show: here the touch-screen back button.
TEST_F(FrameRenderTest, WithoutADocumentTheViewsOwnObjectsAreDrawn) {
  view_->ShowBackButton(true);
  view_->DrawFrame(true);
  EXPECT_EQ(At(20, 78), platform::MakeColor(70, 70, 70));
  EXPECT_EQ(At(150, 50), 0u);
}

namespace {

// Fills a window rectangle in a colour, at a layer.
class Painter : public MapObject {
 public:
  Painter(platform::Rect area, platform::Color color, int layer) : MapObject(0, 0, 0, 0), area_(area), color_(color) {
    SetScreenCoordinates(true);
    SetLayer(layer);
  }
  void Draw() override {
    if (GetView()) GetView()->FillRect(area_.left, area_.top, area_.Width(), area_.Height(), color_);
  }

 private:
  platform::Rect area_;
  platform::Color color_;
};

}  // namespace

// The lens of 60 x 40 around the pointer at (100, 50) shows the 30 x 20 pixels from
// (85, 40) at twice their size: the blue stripe at x 100 to 109 spans x 100 to 119 in it.
// Items of layer 12 lie above the lens.
TEST_F(FrameRenderTest, TheMagnifierShowsTheFrameAroundThePointerTwiceAsLarge) {
  OpenPlainDocument();
  MapDocument& document = *view_->GetDocument();
  document.AddObject(std::make_unique<Painter>(platform::Rect{0, 0, 200, 100}, kRed, 1), false);
  document.AddObject(std::make_unique<Painter>(platform::Rect{100, 0, 110, 100}, kBlue, 1), false);
  document.AddObject(std::make_unique<Painter>(platform::Rect{75, 60, 85, 66}, kWhite, 12), false);
  view_->OnMouseMove(100, 50, 0, 1000);

  EXPECT_TRUE(view_->Execute("magnifier", ""));  // mode 0: hidden
  EXPECT_EQ(view_->GetBrowserProperty("magnifier"), "no");
  view_->DrawFrame(true);
  EXPECT_EQ(At(114, 50), kRed);

  EXPECT_TRUE(view_->Execute("magnifier", "1,60,40"));
  EXPECT_EQ(view_->GetBrowserProperty("magnifier"), "yes");
  view_->DrawFrame(true);
  EXPECT_EQ(At(114, 50), kBlue);
  EXPECT_EQ(At(96, 50), kRed);
  EXPECT_EQ(At(124, 50), kRed);
  EXPECT_EQ(At(70, 50), platform::MakeColor(0x40, 0x40, 0x40));  // the rim
  EXPECT_EQ(At(80, 62), kWhite);                                   // layer 12 above the lens
  EXPECT_EQ(At(150, 50), kRed);                                    // outside the lens

  // The lens follows the pointer; the property hides it.
  view_->OnMouseMove(40, 50, 0, 1100);
  view_->DrawFrame(true);
  EXPECT_EQ(At(114, 50), kRed);  // the stripe as it is
  EXPECT_EQ(At(105, 50), kBlue);
  EXPECT_EQ(At(10, 50), platform::MakeColor(0x40, 0x40, 0x40));
  view_->SetBrowserProperty("magnifier", "no");
  EXPECT_EQ(view_->GetBrowserProperty("magnifier"), "no");
}
