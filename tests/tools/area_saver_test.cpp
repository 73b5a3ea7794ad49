#include <gtest/gtest.h>

#include <memory>

#include "documents/MapDocument.h"
#include "image/qmImageUtils.h"
#include "objects/MapObject.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/headless/RecordingServices.h"
#include "platform/headless/ScriptedResponder.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/HeadlessView.h"
#include "tools/AreaSaver.h"
#include "view/FlipMapView.h"

namespace zolvex {
namespace {

constexpr int kWidth = 2600, kHeight = 1300;
constexpr platform::Color kBlockColour = 0x00FF00;

// A plain green block over the content: what an overlay object leaves in a saved picture.
class GreenBlock : public MapObject {
 public:
  using MapObject::MapObject;
  void Draw() override {
    UpdateScreenRect();
    const platform::Rect r = GetScreenRect();
    GetView()->FillRect(r.left, r.top, r.Width(), r.Height(), kBlockColour);
  }
};

// A lossless tiled picture that ImageMagick made, open in a headless 400 x 300 view.
class AreaSaverTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir();
    const std::string png = dir_->File("picture.png");
    ASSERT_TRUE(test::MagickRun("-size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                                " gradient:red-blue -swirl 200 -fill white -draw 'circle 1300,650 1400,650' -depth 8 '" +
                                png + "'"));
    ASSERT_EQ(test::RunCommand(std::string(KTQTOOL_PROGRAM) + " build '" + png + "' '" + dir_->File("picture.ktq") +
                               "' --tile 256 --codec png >/dev/null 2>&1"),
              0);
    picture_ = new test::MagickPixels(*test::MagickRead(png));
  }
  static void TearDownTestSuite() {
    delete picture_;
    delete dir_;
  }

  void SetUp() override {
    ASSERT_TRUE(headless_.Create(400, 300, settingsDir_.File("settings.ini")));
    ASSERT_FALSE(view_->OpenUrl(dir_->File("picture.ktq"), true, 0, 0, 0).empty());
    saver_ = std::make_unique<AreaSaver>(*view_);
    saver_->SetProgressSink(nullptr);
  }

  int FullLevel() { return view_->GetDocument()->GetLevelCount() - 1; }

  static test::TempDir* dir_;
  static test::MagickPixels* picture_;
  test::TempDir settingsDir_;
  test::HeadlessView headless_;
  std::unique_ptr<platform::Platform>& platform_ = headless_.platform;
  std::unique_ptr<FlipMapView>& view_ = headless_.view;
  std::unique_ptr<AreaSaver> saver_;
};

test::TempDir* AreaSaverTest::dir_ = nullptr;
test::MagickPixels* AreaSaverTest::picture_ = nullptr;

// The saved file decoded by ImageMagick against the source picture's area.
test::MagickPixels SourceArea(const test::MagickPixels& picture, int x, int y, int width, int height) {
  test::MagickPixels area{width, height, std::vector<std::uint8_t>(static_cast<size_t>(width) * height * 4)};
  for (int row = 0; row < height; ++row) {
    std::copy_n(&picture.rgba[(static_cast<size_t>(y + row) * picture.width + x) * 4], width * 4,
                &area.rgba[static_cast<size_t>(row) * width * 4]);
  }
  return area;
}

// 2500 x 1200 takes 3 x 2 strips of 1000 x 1000; the saved file matches the source
// picture by ImageMagick's decoding, exactly for the lossless formats. The name's
// extension, in any case, picks the format.
TEST_F(AreaSaverTest, SavedAreasMatchTheSourcePictureInEveryFormat) {
  const test::MagickPixels expected = SourceArea(*picture_, 50, 70, 2500, 1200);
  struct Case {
    const char* name;
    const char* magic;
    double minPsnr;  // infinity: exact
  };
  const Case cases[] = {{"area.png", "\x89PNG", INFINITY}, {"area.BMP", "BM", INFINITY},
                        {"area.dat", "BM", INFINITY},     {"area.JPG", "\xFF\xD8", 40.0}};
  for (const Case& c : cases) {
    const std::string file = settingsDir_.File(c.name);
    ASSERT_EQ(saver_->SaveArea(file, 50, 70, 2500, 1200, FullLevel(), false), 0) << saver_->LastError();
    EXPECT_EQ(view_->LastAreaStripCount(), 6);
    EXPECT_EQ(view_->LastAreaMissingTiles(), 0);
    std::string head;
    test::RunCommand("head -c 4 '" + file + "'", &head);
    EXPECT_EQ(head.rfind(c.magic, 0), 0u) << c.name;
    auto saved = test::MagickRead(file);
    ASSERT_TRUE(saved) << c.name;
    ASSERT_EQ(saved->width, 2500);
    ASSERT_EQ(saved->height, 1200);
    if (std::isinf(c.minPsnr)) {
      EXPECT_EQ(test::MaxChannelDifference(*saved, expected), 0) << c.name;
    } else {
      EXPECT_GT(test::Psnr(*saved, expected), c.minPsnr) << c.name;
    }
  }
}

TEST_F(AreaSaverTest, ObjectsAreSavedUnlessSaveObjectsIsNoAndTheViewIsLeftAsItWas) {
  MapDocument* document = view_->GetDocument();
  document->AddObject(std::make_unique<GreenBlock>(1000, 500, 200, 100), false);
  const int level = document->GetLevel();
  const int viewX = view_->ViewX();
  // At level count - 2 (half size) the block covers (500, 250) to (600, 300).
  const int half = FullLevel() - 1;
  for (const char* saveObjects : {"", "no"}) {
    view_->SetBrowserProperty("SaveObjects", saveObjects);
    auto image = saver_->RenderForSaving(450, 200, 300, 200, half);
    ASSERT_TRUE(image);
    const qmRGBQuad inside = image->getPixelColor(100, 75), outside = image->getPixelColor(20, 20);
    const bool green = inside == qmMakeColor(0, 255, 0);
    EXPECT_EQ(green, std::string(saveObjects).empty()) << saveObjects;
    EXPECT_FALSE(outside == qmMakeColor(0, 255, 0));
  }
  EXPECT_EQ(document->GetLevel(), level);
  EXPECT_EQ(view_->ViewX(), viewX);
  EXPECT_FALSE(view_->IsSuspended());
}

TEST_F(AreaSaverTest, FailuresAnswerMinusOneAndLeaveNoFile) {
  EXPECT_EQ(saver_->SaveArea("/nonexistent-folder/area.png", 0, 0, 10, 10, 0, false), -1);
  EXPECT_NE(saver_->LastError().find("/nonexistent-folder/area.png"), std::string::npos);
  const std::string file = settingsDir_.File("empty.png");
  EXPECT_EQ(saver_->SaveArea(file, 0, 0, 0, 10, 0, false), -1);
  EXPECT_FALSE(platform::FileExists(file));
}

// The save dialog opens in the folder of the last save, and a cancelled one saves nothing.
TEST_F(AreaSaverTest, SaveAsRemembersTheFolderAndCancelSavesNothing) {
  auto& responder = *platform_->Responder();
  const std::string file = settingsDir_.File("chosen.jpg");
  responder.QueueSaveFile(file);
  ASSERT_EQ(saver_->SaveAreaAs(0, 0, 64, 48, FullLevel(), false), 0);
  EXPECT_EQ(test::MagickRead(file)->width, 64);
  EXPECT_EQ(platform_->Settings().GetProfileString("Zolvex", "LastClipPath", ""), settingsDir_.Path() + "/");
  responder.QueueSaveFile(std::nullopt);
  EXPECT_EQ(saver_->SaveAreaAs(0, 0, 64, 48, FullLevel(), false), -1);
  const auto records = responder.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].kind, "save");
}

// Copies are cut to 1536 x 1152 and carry no watermark; the wallpaper is a BMP file of the
// area with the watermark, handed to the shell.
TEST_F(AreaSaverTest, CopyIsLimitedAndTheWallpaperIsAWatermarkedBmp) {
  view_->SetBrowserProperty("waterMarkOption", "stretch");
  ASSERT_TRUE(saver_->CopyArea(0, 0, 2000, 1250, FullLevel()));
  const platform::RgbaImage copied = platform_->Recorder()->ClipboardImage();
  EXPECT_EQ(copied.width, 1536);
  EXPECT_EQ(copied.height, 1152);
  const std::uint32_t source = 0xFF000000u | (picture_->R(5, 5) << 16) | (picture_->G(5, 5) << 8) | picture_->B(5, 5);
  EXPECT_EQ(copied.pixels[5 * 1536 + 5], source);

  ASSERT_TRUE(saver_->SetWallpaper(0, 0, 200, 100, FullLevel()));
  const auto wallpapers = platform_->Recorder()->Wallpapers();
  ASSERT_EQ(wallpapers.size(), 1u);
  std::string head;
  test::RunCommand("head -c 2 '" + wallpapers[0] + "'", &head);
  EXPECT_EQ(head, "BM");
  auto saved = test::MagickRead(wallpapers[0]);
  ASSERT_TRUE(saved);
  EXPECT_GT(test::MaxChannelDifference(*saved, SourceArea(*picture_, 0, 0, 200, 100)), 40);
}

}  // namespace
}  // namespace zolvex
