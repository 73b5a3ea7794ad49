#include <gtest/gtest.h>

#include <memory>

#include "image/ViewImage.h"
#include "objects/CComponentImage.h"
#include "platform/Canvas.h"
#include "platform/Surface.h"
#include "tests/objects/RecordingView.h"

namespace zolvex {
namespace {

using test::RecordingView;
using Call = RecordingView::DrawCall;

std::shared_ptr<ViewImage> MakePicture(int width, int height, qmRGBQuad fill, qmRGBQuad corner) {
  auto picture = std::make_shared<ViewImage>(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture->setPixelColor(x, y, fill);
  picture->setPixelColor(0, 0, corner);
  return picture;
}

const qmRGBQuad kRed = qmMakeColor(255, 0, 0);
const qmRGBQuad kGreen = qmMakeColor(0, 255, 0);

class PictureTest : public ::testing::Test {
 protected:
  // A screen-coordinate object at (100, 100) of 200 x 100 showing a 400 x 200 picture.
  void SetUp() override {
    picture = MakePicture(400, 200, kGreen, kRed);
    object = std::make_unique<CComponentImage>(100, 100, 200, 100, picture);
    object->SetScreenCoordinates(true);
    object->SetView(&view);
  }
  std::vector<Call> BlitsOnly() const {
    std::vector<Call> blits;
    for (const auto& call : view.draws)
      if (call.name == "BlitImage") blits.push_back(call);
    return blits;
  }

  RecordingView view;
  std::shared_ptr<ViewImage> picture;
  std::unique_ptr<CComponentImage> object;
};

TEST_F(PictureTest, StretchedPictureFillsTheScreenRectangleWithTheObjectsOpacity) {
  EXPECT_EQ(object->GetTransparency(), 255);
  object->SetTransparency(128);
  object->Draw();
  const std::vector<Call> expected = {
      {"SetDrawParameter", {kDrawOpacity, 128}},
      {"BlitImage", {0, 0, 400, 200, 100, 100, 200, 100, false, true, 128}, picture.get()},
      {"SetDrawParameter", {kDrawOpacity, 255}},
  };
  EXPECT_EQ(view.draws, expected);
}

TEST_F(PictureTest, UnstretchedPictureKeepsItsSizeTimesTheDocumentScale) {
  view.ShowDocument(1000, 1000, 0.5);
  object->SetStretch(false);
  object->SetPictureOffset(10, 4);
  object->SetKeyTransparent(true);
  object->Draw();
  ASSERT_EQ(BlitsOnly().size(), 1u);
  // offset and size scaled by 0.5; the source is the whole picture
  EXPECT_EQ(BlitsOnly()[0].args, (std::vector<long long>{0, 0, 400, 200, 105, 102, 200, 100, true, true, 255}));
  EXPECT_EQ(object->GetPictureSize(), (platform::Size{400, 200}));
}

TEST_F(PictureTest, ClipRectangleCutsThePictureInProportion) {
  const struct {
    int x, y, w, h;
    std::vector<long long> blit;  // empty: nothing drawn
  } cases[] = {
      // partly inside: left cut 50, top cut 20, the clip ends before the right edge
      {150, 120, 100, 500, {100, 40, 200, 160, 150, 120, 100, 80, false, false, 0}},
      // the clip ends before the bottom edge
      {0, 0, 1000, 150, {0, 0, 400, 100, 100, 100, 200, 50, false, false, 0}},
      // the screen rectangle wholly inside: drawn as without a clip
      {0, 0, 1000, 1000, {0, 0, 400, 200, 100, 100, 200, 100, false, true, 255}},
      {300, 100, 50, 50, {}},  // touches the right edge only: no overlap
      {150, 120, 0, 50, {}},   // enabled but empty
  };
  for (const auto& c : cases) {
    view.draws.clear();
    object->SetClipRect(c.x, c.y, c.w, c.h);
    object->Draw();
    const auto blits = BlitsOnly();
    if (c.blit.empty()) {
      EXPECT_TRUE(blits.empty()) << c.x << "," << c.y;
    } else {
      ASSERT_EQ(blits.size(), 1u) << c.x << "," << c.y;
      EXPECT_EQ(blits[0].args, c.blit) << c.x << "," << c.y;
    }
  }
}

TEST_F(PictureTest, NothingIsDrawnWithoutPictureOrSizeButTheSelectionFrameStays) {
  CComponentImage empty(0, 0, 10, 10, nullptr);
  empty.SetScreenCoordinates(true);
  empty.SetView(&view);
  empty.SetSelected(true);
  empty.Draw();
  ASSERT_EQ(view.draws.size(), 2u);
  EXPECT_EQ(view.draws[0].name, "DrawRectOutline");

  view.draws.clear();
  object->SetRect(100, 100, 0, 100);
  object->UpdateScreenRect();
  object->Draw();
  EXPECT_TRUE(view.draws.empty());
}

TEST_F(PictureTest, KeyTransparencyTakesTheCornerColour) {
  object->SetKeyTransparent(true);
  EXPECT_TRUE(object->IsKeyTransparent());
  EXPECT_EQ(picture->info().transparentColor, picture->getPixelColor(0, 0));
  EXPECT_EQ(picture->info().transparentColor.red, 255);
}

// Renders into a real surface and reads the pixels back.
TEST(PictureRenderTest, RenderToDeviceHonoursKeyColourAndOpacity) {
  RecordingView view;
  view.ShowDocument(1000, 1000, 1.0);
  view.viewportX = 50;
  view.viewportY = 60;
  auto picture = MakePicture(4, 4, kGreen, kRed);
  CComponentImage object(10, 20, 4, 4, picture);
  object.SetScreenCoordinates(true);
  object.SetView(&view);
  EXPECT_TRUE(object.CanRenderToDevice());

  const platform::Color blue = platform::MakeColor(0, 0, 255);
  {
    platform::Surface surface(100, 100);
    surface.Fill(surface.Bounds(), blue);
    platform::Canvas canvas(surface);
    object.SetKeyTransparent(true);
    object.RenderToDevice(canvas, 40, 40, 100, 100, 0);
    // destination: viewport + screen − device origin = (20, 40), 4 x 4
    EXPECT_EQ(platform::ColorFromPixel(surface.PixelAt(20, 40)), blue);  // key colour left out
    EXPECT_EQ(platform::ColorFromPixel(surface.PixelAt(23, 43)), platform::MakeColor(0, 255, 0));
    EXPECT_EQ(platform::ColorFromPixel(surface.PixelAt(24, 44)), blue);  // outside

    object.SetTransparency(128);
    surface.Fill(surface.Bounds(), blue);
    object.RenderToDevice(canvas, 40, 40, 100, 100, 0);
    EXPECT_EQ(platform::ColorFromPixel(surface.PixelAt(20, 40)), blue);
    const platform::Color mixed = platform::ColorFromPixel(surface.PixelAt(23, 43));
    EXPECT_NEAR(platform::GreenOf(mixed), 128, 2);
    EXPECT_NEAR(platform::BlueOf(mixed), 127, 2);
  }
  {
    platform::Surface surface(100, 100);
    surface.Fill(surface.Bounds(), blue);
    platform::Canvas canvas(surface);
    object.SetKeyTransparent(false);
    object.SetTransparency(255);
    object.RenderToDevice(canvas, 40, 40, 100, 100, 0);
    EXPECT_EQ(platform::ColorFromPixel(surface.PixelAt(20, 40)), platform::MakeColor(255, 0, 0));
    EXPECT_EQ(platform::ColorFromPixel(surface.PixelAt(23, 43)), platform::MakeColor(0, 255, 0));
  }
}

}  // namespace
}  // namespace zolvex
