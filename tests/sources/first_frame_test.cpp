#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "control/ViewWindow.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/InputEvent.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "tests/protocol/FakeKtqServer.h"
#include "tests/protocol/KtqTestImage.h"
#include "tests/protocol/ProtocolTestUtil.h"
#include "tests/support/TestSupport.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

struct Rgb {
  int r, g, b;
};

Rgb At(const qmImage& frame, int x, int y) {
  const qmRGBQuad p = frame.getPixelColor(x, y);
  return {p.red, p.green, p.blue};
}

bool Near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// The description of a 1600 x 1200 image in tiles of 256, with a thumbnail of red and blue
// halves that ImageMagick made; empty if it could not be made.
Bytes DescriptionWithThumbnail(const TempDir& dir) {
  const std::string png = dir.File("thumb.png");
  if (!MagickRun("-size 160x120 xc:red -fill blue -draw 'rectangle 80,0 159,119' -depth 8 '" + png + "'")) return {};
  auto thumbnail = platform::ReadFileBytes(png);
  if (!thumbnail) return {};
  return Concat({Be32(1), Be32(1600), Be32(1200), Be32(256), Be32(256), Be32(5), Be32(7),
                 Be32(static_cast<std::int32_t>(thumbnail->size())), *thumbnail});
}

// A server that describes that image and then never sends a tile: the slowest of servers.
class SlowServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    description_ = DescriptionWithThumbnail(dir_);
    ASSERT_FALSE(description_.empty());
    server_ = std::make_unique<FakeKtqServer>([this](platform::ServerConnection& c, const std::string& line) {
      if (IsLoad(line)) c.Write(LoadAnswer(NumberOf(line), description_));
    });
    platform::PlatformOptions options;
    options.width = 400;
    options.height = 300;
    options.settingsFile = dir_.File("settings.ini");
    std::string error;
    platform_ = platform::CreatePlatform(options, error);
    ASSERT_TRUE(platform_) << error;
  }

  std::string Url() const { return "ktq://127.0.0.1:" + std::to_string(server_->Port()) + "/slow.ktq"; }
  // The first frame at level pixels (600, 450), with "showthumbnail" as given.
  std::unique_ptr<ViewImage> FirstFrame(const char* showThumbnail) {
    ViewWindow window(*platform_, {{"CustomErrorHandling", "yes"}, {"showthumbnail", showThumbnail}});
    std::string error;
    EXPECT_TRUE(window.Open(Url() + ",600,450,1,left", error)) << error;
    window.View().Present();
    EXPECT_GT(window.View().PendingTileCount(), 0);
    return window.View().CaptureImage(0, 0, 400, 300);
  }

  TempDir dir_;
  Bytes description_;
  std::unique_ptr<FakeKtqServer> server_;
  std::unique_ptr<platform::Platform> platform_;
};

}  // namespace

// The window shows level pixels 600 to 1000 across, so the halves of the picture meet at
// x = 200 of the window; the navigator sits in the bottom-right corner.
TEST_F(SlowServerTest, TheFirstFrameShowsTheThumbnailWhereNoTileHasArrived) {
  auto frame = FirstFrame("yes");
  ASSERT_TRUE(frame);
  const Rgb red{255, 0, 0}, blue{0, 0, 255};
  for (int y : {20, 150, 220}) {
    EXPECT_TRUE(Near(At(*frame, 40, y), red, 8)) << "left of the seam at y " << y;
    EXPECT_TRUE(Near(At(*frame, 180, y), red, 8)) << "left of the seam at y " << y;
    EXPECT_TRUE(Near(At(*frame, 220, y), blue, 8)) << "right of the seam at y " << y;
    EXPECT_TRUE(Near(At(*frame, 320, y), blue, 8)) << "right of the seam at y " << y;
  }
  // The navigator: 66 x 50 at (331, 235) with its white frame, the thumbnail inside.
  EXPECT_TRUE(Near(At(*frame, 331, 260), {255, 255, 255}, 0));
  EXPECT_TRUE(Near(At(*frame, 396, 245), {255, 255, 255}, 0));
  EXPECT_TRUE(Near(At(*frame, 340, 275), red, 8));
  EXPECT_TRUE(Near(At(*frame, 390, 245), blue, 8));
}

// Without the thumbnail in view the draft still comes from it; the navigator is left out
// when the page says "no".
TEST_F(SlowServerTest, TheNavigatorFollowsShowThumbnail) {
  auto frame = FirstFrame("no");
  ASSERT_TRUE(frame);
  EXPECT_TRUE(Near(At(*frame, 331, 260), {0, 0, 255}, 8));
  EXPECT_TRUE(Near(At(*frame, 340, 275), {0, 0, 255}, 8));
}

// Pressing on the navigator centres the view on that place of the level; dragging follows
// the pointer (held inside the level), and the view itself does not pan meanwhile.
TEST_F(SlowServerTest, DraggingOnTheNavigatorMovesTheViewToTheMatchingPlace) {
  ViewWindow window(*platform_, {{"CustomErrorHandling", "yes"}, {"showthumbnail", "yes"}});
  std::string error;
  ASSERT_TRUE(window.Open(Url() + ",0,0,1,left", error)) << error;
  FlipMapView& view = window.View();
  view.Present();
  const unsigned left = platform::kModLeftButton;
  view.OnMouseMove(331 + 33, 235 + 25, 0, 100);
  view.OnLButtonDown(331 + 33, 235 + 25, left, 110);  // level point (800, 600)
  EXPECT_EQ(view.ViewX(), 600);
  EXPECT_EQ(view.ViewY(), 450);
  view.OnMouseMove(331 + 16, 235 + 10, left, 150);  // level point (387, 240)
  EXPECT_EQ(view.ViewX(), 187);
  EXPECT_EQ(view.ViewY(), 90);
  view.OnMouseMove(331 + 65, 235 + 49, left, 200);  // the far corner: held inside the level
  EXPECT_EQ(view.ViewX(), 1200);
  EXPECT_EQ(view.ViewY(), 900);
  view.OnLButtonUp(331 + 65, 235 + 49, 0, 260);
  view.OnMouseMove(331 + 20, 235 + 20, 0, 300);  // released: moving does nothing
  EXPECT_EQ(view.ViewX(), 1200);
  EXPECT_EQ(view.ViewY(), 900);
}

namespace {

// A server of the same image whose tiles (all green) come at once while it answers; while
// it does not, it keeps the requests and answers them with the next request it answers.
// The view's clock moves only as the test moves it.
class GatedServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    description_ = DescriptionWithThumbnail(dir_);
    tile_ = PictureBytes("xc:#00FF00", "jpg", 256);
    ASSERT_FALSE(description_.empty() || tile_.empty());
    server_ = std::make_unique<FakeKtqServer>([this](platform::ServerConnection& c, const std::string& line) {
      if (IsLoad(line)) c.Write(LoadAnswer(NumberOf(line), description_));
      if (line.find("GETTILE") == std::string::npos) return;
      std::lock_guard lock(mutex_);
      kept_.push_back(NumberOf(line));
      if (!answering_) return;
      for (std::int32_t number : kept_) c.Write(Frame(0, number, tile_));
      kept_.clear();
    });
    platform::PlatformOptions options;
    options.width = 400;
    options.height = 300;
    options.clock = clock_;
    options.settingsFile = dir_.File("settings.ini");
    std::string error;
    platform_ = platform::CreatePlatform(options, error);
    ASSERT_TRUE(platform_) << error;
  }

  void Answer(bool answering) {
    std::lock_guard lock(mutex_);
    answering_ = answering;
  }
  // Lets the window's loop run, the clock standing still, until the frame is complete.
  bool RunUntilComplete(ViewWindow& window) {
    for (int i = 0; i < 500 && !window.FrameComplete(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      Host().RunPending();
    }
    return window.View().PendingTileCount() == 0;
  }
  // Moves the view to tiles not asked for yet and draws at once, as a drag does.
  static void MoveAndDraw(FlipMapView& view, int x, int y) {
    view.SetPosition(x, y, false, false);
    view.Redraw();
  }
  static std::unique_ptr<ViewImage> Shown(FlipMapView& view) { return view.CaptureImage(0, 0, 400, 300); }
  platform::HeadlessWindowHost& Host() { return static_cast<platform::HeadlessWindowHost&>(platform_->Window()); }

  TempDir dir_;
  Bytes description_, tile_;
  std::mutex mutex_;
  bool answering_ = true;
  std::vector<std::int32_t> kept_;
  std::unique_ptr<FakeKtqServer> server_;
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(1000);
  std::unique_ptr<platform::Platform> platform_;
};

}  // namespace

// Tiles that lately came at once are waited for: the frame after a move keeps showing the
// last one until they come, for 24 ms at most, and then shows its drafts. Once tiles have
// taken 200 ms, the frame after a move shows its drafts at once.
TEST_F(GatedServerTest, AFrameWaitsBrieflyForTilesThatLatelyCameQuickly) {
  ViewWindow window(*platform_, {{"CustomErrorHandling", "yes"}, {"showthumbnail", "no"}});
  FlipMapView& view = window.View();
  std::string error;
  ASSERT_TRUE(window.Open("ktq://127.0.0.1:" + std::to_string(server_->Port()) + "/gated.ktq,0,0,1,left", error))
      << error;
  ASSERT_TRUE(RunUntilComplete(window));
  const auto green = Shown(view);
  // The opening's tiles may all be in before its first frame is drawn; a move whose frame
  // misses its tiles, which then come at once, is what teaches the view how quick they are.
  MoveAndDraw(view, 600, 0);
  ASSERT_TRUE(RunUntilComplete(window));

  Answer(false);
  MoveAndDraw(view, 1200, 0);
  EXPECT_GT(view.PendingTileCount(), 0);
  EXPECT_TRUE(SamePixels(*green, *Shown(view))) << "the frame did not wait";
  clock_->Advance(23);
  Host().RunPending();
  EXPECT_TRUE(SamePixels(*green, *Shown(view))) << "the frame waited less than 24 ms";
  clock_->Advance(2);  // the window's own timers are not due yet
  Host().RunPending();
  EXPECT_FALSE(SamePixels(*green, *Shown(view))) << "the drafts did not show when the wait ended";

  clock_->Advance(175);
  Answer(true);
  MoveAndDraw(view, 0, 800);  // the tiles kept come with these, 200 ms late
  ASSERT_TRUE(RunUntilComplete(window));
  EXPECT_TRUE(SamePixels(*green, *Shown(view)));
  Answer(false);
  MoveAndDraw(view, 1200, 800);
  EXPECT_GT(view.PendingTileCount(), 0);
  EXPECT_FALSE(SamePixels(*green, *Shown(view))) << "the frame waited for slow tiles";
}
