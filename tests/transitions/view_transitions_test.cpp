// Transitions through the view: the frames it presents on a headless window whose manual
// clock moves one display refresh per presented frame, the page flip that replaces a
// scroll, and the page sound.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "platform/headless/RecordingServices.h"
#include "tests/documents/GridDocument.h"
#include "tests/support/TestSupport.h"
#include "tests/transitions/ShownFrames.h"
#include "tiles/CComponentTile.h"
#include "view/DocumentFactory.h"
#include "view/FlipMapView.h"

using namespace zolvex;

namespace {

constexpr int kWidth = 200, kHeight = 100;
const qmRGBQuad kRed = qmMakeColor(230, 20, 20);
const qmRGBQuad kBlue = qmMakeColor(20, 20, 230);
const qmRGBQuad kGreen = qmMakeColor(20, 230, 20);

enum class Shade { Red, Green, Blue, Other };

Shade ShadeOf(platform::Pixel p) {
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (r > g + 60 && r > b + 60) return Shade::Red;
  if (g > r + 60 && g > b + 60) return Shade::Green;
  if (b > r + 60 && b > g + 60) return Shade::Blue;
  return Shade::Other;
}

std::unique_ptr<ViewImage> SolidImage(int width, int height, qmRGBQuad color) {
  auto image = std::make_unique<ViewImage>(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image->setPixelColor(x, y, color);
  return image;
}

// Two levels, 300 × 300 and 600 × 600, each one tile of one colour: the small level (the
// cache level of a flip) blue, the large one (where the view stays) red or another colour.
class TwoLevelDocument : public test::GridDocument {
 public:
  explicit TwoLevelDocument(qmRGBQuad large = kRed) : GridDocument({{300, 300}, {600, 600}}) {
    const qmRGBQuad colours[] = {kBlue, large};
    for (int level = 0; level < 2; ++level) {
      const int side = GetLevelWidth(level);
      tiles_[level] = std::make_unique<CComponentTile>(level, 0, 0, side, side, side, side);
      tiles_[level]->SetImage(SolidImage(side, side, colours[level]), false);
    }
    SetLevel(1);
  }
  int CollectDrawItems(std::vector<MapObject*>& items, int, int, int, int, int, int) override {
    items.push_back(tiles_[GetLevel() == 0 ? 0 : 1].get());
    return static_cast<int>(items.size());
  }

 private:
  std::unique_ptr<CComponentTile> tiles_[2];
};

using Captured = test::ShownFrame;

Shade ShadeAt(const Captured& frame, int x, int y) { return ShadeOf(frame.PixelAt(x, y)); }

class ViewTransitionsTest : public test::ShownFramesTest {
 protected:
  ViewTransitionsTest() : ShownFramesTest({kWidth, kHeight}) {}
  // The sounds played (opening content also stops the sound: not counted here).
  std::vector<std::string> Sounds() {
    std::vector<std::string> played = platform_->Recorder()->Sounds();
    std::erase(played, "stop");
    return played;
  }

  // Opens "<name>.xmml" as a two-level document; "green" gives its large level that colour.
  void Open(const std::string& name) {
    DocumentConstructors constructors;
    constructors.xmml = [](MapView&, const std::string& url) {
      return std::make_unique<TwoLevelDocument>(url.find("green") != std::string::npos ? kGreen : kRed);
    };
    view_->SetDocumentFactory(std::make_unique<DocumentFactory>(constructors));
    ASSERT_FALSE(view_->OpenUrl(name + ".xmml", false, 0, 0, 0).empty());
  }
  // Flips from one position to another; answers the frames shown.
  const std::vector<Captured>& Flip(platform::Point from, platform::Point to) {
    view_->SetPosition(from.x, from.y, false, false);
    frames_.clear();
    view_->ScrollTo(to.x, to.y);
    return frames_;
  }
  void SetFlipProperties(const std::string& effect, const std::string& direction) {
    view_->SetBrowserProperty("FlipAnimation", "yes");
    view_->SetBrowserProperty("transitionname", effect);
    view_->SetBrowserProperty("direction", direction);
    view_->SetBrowserProperty("CacheLevel", "0");
  }

};

// The direction of a one-page squeeze, read from a frame a quarter of the way through:
// the old (red) page shrinks towards the left, right, top or bottom edge.
int SqueezeDirection(const Captured& frame) {
  const Shade left = ShadeAt(frame, 5, kHeight / 2), right = ShadeAt(frame, kWidth - 5, kHeight / 2);
  const Shade top = ShadeAt(frame, kWidth / 2, 5), bottom = ShadeAt(frame, kWidth / 2, kHeight - 5);
  if (left == Shade::Red && right == Shade::Blue) return 0;
  if (left == Shade::Blue && right == Shade::Red) return 1;
  if (top == Shade::Red && bottom == Shade::Blue) return 2;
  if (top == Shade::Blue && bottom == Shade::Red) return 3;
  return -1;
}

}  // namespace

TEST_F(ViewTransitionsTest, ARequestedCurlRunsFromTheCapturedFrameToTheNewOne) {
  view_->SetBrowserProperty("BackgroundColor", "#E61414");
  view_->Redraw();
  view_->CaptureTransitionSource();
  view_->SetBrowserProperty("BackgroundColor", "#1414E6");
  const std::uint64_t start = clock_->NowMs();
  view_->RunTransition("PageTurnBack");
  ASSERT_GE(frames_.size(), 10u);
  EXPECT_EQ(ShadeAt(frames_.front(), kWidth / 2, kHeight / 2), Shade::Red);
  // The left-hand corner curls over to the right: early on, the left bottom shows the new page.
  const Captured& early = frames_[frames_.size() / 5];
  EXPECT_EQ(ShadeAt(early, 3, kHeight - 3), Shade::Blue);
  EXPECT_EQ(ShadeAt(early, kWidth - 3, kHeight - 3), Shade::Red);
  // 500 ms without a duration: the last frame is the first at or after it.
  EXPECT_GE(frames_.back().time - start, 500u);
  EXPECT_LT(frames_[frames_.size() - 2].time - start, 500u + 2);
  view_->Redraw();
  EXPECT_EQ(ShadeOf(view_->BackBuffer()->PixelAt(kWidth / 2, kHeight / 2)), Shade::Blue);
}

TEST_F(ViewTransitionsTest, UnknownRequestsShowNoAnimation) {
  view_->CaptureTransitionSource();
  view_->RunTransition("curl:300");
  view_->RunTransition("pageturn$back");
  EXPECT_TRUE(frames_.empty());
}

TEST_F(ViewTransitionsTest, RandomUsesTheViewsSourceAndNeverTurnsBackward) {
  view_->SetTransitionRandom([] { return 2u; });  // "onepageturn"
  view_->SetBrowserProperty("BackgroundColor", "#E61414");
  view_->Redraw();
  view_->CaptureTransitionSource();
  view_->SetBrowserProperty("BackgroundColor", "#1414E6");
  view_->RunTransition("random:320");
  ASSERT_GE(frames_.size(), 5u);
  // A single page turning forward: its right edge lifts first, the left edge stays old.
  const Captured& early = frames_[frames_.size() / 4];
  EXPECT_EQ(ShadeAt(early, kWidth - 3, kHeight - 3), Shade::Blue);
  EXPECT_EQ(ShadeAt(early, 3, 3), Shade::Red);
}

TEST_F(ViewTransitionsTest, OpeningContentWithIfxFadesAndUsesTheRequestUp) {
  Open("red");
  view_->Redraw();
  view_->SetBrowserProperty("ifx", "alphablend:100");
  frames_.clear();
  const std::uint64_t start = clock_->NowMs();
  Open("green");
  ASSERT_GE(frames_.size(), 3u);
  EXPECT_EQ(ShadeAt(frames_.front(), kWidth / 2, kHeight / 2), Shade::Red);
  EXPECT_EQ(ShadeAt(frames_.back(), kWidth / 2, kHeight / 2), Shade::Green);
  EXPECT_GE(frames_.back().time - start, 200u);  // the fade lasts twice the duration
  EXPECT_EQ(view_->GetBrowserProperty("ifx"), "");
  EXPECT_TRUE(Sounds().empty());
}

TEST_F(ViewTransitionsTest, AGotoWithIfxCurlsToTheNewPlace) {
  Open("red");
  view_->SetSoundResource(7, 300);
  view_->Redraw();
  view_->SetBrowserProperty("ifx", "pageturn:300");
  frames_.clear();
  view_->OpenUrl("goto:0,0,1", false, 0, 0, 0);  // level 1 of the page: the blue one
  ASSERT_GE(frames_.size(), 5u);
  EXPECT_EQ(ShadeAt(frames_.front(), kWidth / 2, kHeight / 2), Shade::Red);
  EXPECT_EQ(ShadeAt(frames_.back(), kWidth * 3 / 4, kHeight / 2), Shade::Blue);
  EXPECT_EQ(view_->GetBrowserProperty("ifx"), "");
  EXPECT_EQ(Sounds().size(), 1u);  // the page sound, at the start of the curl
}

TEST_F(ViewTransitionsTest, TheFlipDirectionFollowsTheMoveAndTheDirectionProperty) {
  Open("red");
  view_->GetDocument()->SetParam("IsOnePageFlip", "yes");
  view_->SetBrowserProperty("transitionduration", "400");
  struct Case {
    const char* direction;
    const char* drag;
    platform::Point to;
    int expected;
  } cases[] = {
      {"", "", {260, 312}, 2},            // 12 down and 40 left: the vertical move decides
      {"horizontal", "", {260, 312}, 0},
      {"horizontal", "", {290, 297}, 0},  // exactly 10 left is not enough for backward
      {"horizontal", "", {289, 300}, 1},
      {"vertical", "", {300, 280}, 3},    // the view moved up
      {"horizontal", "backward", {310, 300}, 1},
      {"", "FORWARD", {300, 280}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.direction) + " " + c.drag + " " + std::to_string(c.to.x) + "," + std::to_string(c.to.y));
    SetFlipProperties("fenceflip", c.direction);
    view_->SetBrowserProperty("DragDirection", c.drag);
    const auto& frames = Flip({300, 300}, c.to);
    ASSERT_GE(frames.size(), 8u);
    EXPECT_EQ(SqueezeDirection(frames[frames.size() / 4]), c.expected);
    EXPECT_EQ(ShadeAt(frames.back(), kWidth / 2, kHeight / 2), Shade::Blue);  // the cache level's page
    EXPECT_EQ(view_->ViewX(), c.to.x);
    EXPECT_EQ(view_->ViewY(), c.to.y);
  }
}

TEST_F(ViewTransitionsTest, AFlipTakesTransitionDurationOr250AndScrollsWithoutFlipAnimation) {
  Open("red");
  for (const char* duration : {"0", "", "-3"}) {
    SCOPED_TRACE(duration);
    SetFlipProperties("fenceflip", "horizontal");
    view_->SetBrowserProperty("transitionduration", duration);
    const auto& frames = Flip({300, 300}, {100, 300});
    ASSERT_GE(frames.size(), 2u);
    const std::uint64_t lasted = frames.back().time - frames.front().time;
    EXPECT_GE(lasted, 250u);
    EXPECT_LT(lasted, 250u + kRefreshMs + 12);
  }
  // Without the flip the view glides there at its own level: no frame shows the cache level.
  view_->SetBrowserProperty("FlipAnimation", "no");
  const auto& glide = Flip({300, 300}, {100, 300});
  EXPECT_EQ(glide.size(), 15u);
  for (const Captured& frame : glide) EXPECT_EQ(ShadeAt(frame, kWidth / 2, kHeight / 2), Shade::Red);
  EXPECT_EQ(view_->ViewX(), 100);
  // Nothing to flip when the view stays where it is.
  SetFlipProperties("fenceflip", "horizontal");
  EXPECT_TRUE(Flip({300, 300}, {300, 300}).empty());
}

TEST_F(ViewTransitionsTest, AVerticalCurlShowsNothingWhileTheSqueezeTurnsVertically) {
  Open("red");
  SetFlipProperties("pageturn", "");
  EXPECT_TRUE(Flip({300, 300}, {300, 400}).empty());
  EXPECT_EQ(view_->ViewY(), 400);
  SetFlipProperties("fenceflip", "");
  EXPECT_FALSE(Flip({300, 300}, {300, 200}).empty());
}

TEST_F(ViewTransitionsTest, ThePageSoundFollowsFlipSoundAndTheDownloadedFile) {
  Open("red");
  view_->SetSoundResource(7, 300);
  SetFlipProperties("pageturn", "horizontal");
  const std::string builtIn = "wave-data:" + std::to_string(5776);

  view_->SetBrowserProperty("FlipSound", "No");
  Flip({300, 300}, {100, 300});
  EXPECT_TRUE(Sounds().empty());

  view_->SetBrowserProperty("FlipSound", "");
  Flip({100, 300}, {300, 300});
  ASSERT_EQ(Sounds().size(), 1u);
  EXPECT_EQ(Sounds()[0], builtIn);

  // A downloaded sound plays only while its file exists and "flipsoundurl" names it.
  const std::string file = dir_.File("flip.wav");
  std::ofstream(file) << "RIFF";
  view_->SetFlipSoundPath(file);
  Flip({300, 300}, {100, 300});
  view_->SetBrowserProperty("flipsoundurl", "http://example.test/flip.wav");
  Flip({100, 300}, {300, 300});
  view_->SetFlipSoundPath(dir_.File("gone.wav"));
  Flip({300, 300}, {100, 300});
  EXPECT_EQ(Sounds(), (std::vector<std::string>{builtIn, builtIn, "wave:" + file, builtIn}));
}

TEST_F(ViewTransitionsTest, BuiltInSoundsPlayByTheirTableEntry) {
  view_->PlayBuiltInSound(7);  // no entry yet
  view_->SetSoundResource(8, 300);
  view_->PlayBuiltInSound(8);
  view_->SetSoundResource(0, 300);
  view_->PlayBuiltInSound(0);
  view_->SetSoundResource(1, 999);  // no such resource
  view_->PlayBuiltInSound(1);
  EXPECT_TRUE(Sounds().empty());
  view_->SetSoundResource(1, 300);
  view_->PlayBuiltInSound(1);
  EXPECT_EQ(Sounds(), (std::vector<std::string>{"wave-data:5776"}));
}
