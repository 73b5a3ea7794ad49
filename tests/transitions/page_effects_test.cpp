// The effects on their own: pages of one colour each, a host whose clock moves a fixed
// step per shown frame and by each pause, and every shown frame kept.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "view/PageCurl.h"
#include "view/PageTransition.h"
#include "view/SurfaceBlend.h"

using namespace zolvex;

namespace {

constexpr int kWidth = 160, kHeight = 100;
constexpr platform::Color kOld = platform::MakeColor(230, 20, 20);   // red
constexpr platform::Color kNew = platform::MakeColor(20, 20, 230);   // blue
constexpr std::uint64_t kFrameStepMs = 10;

enum class Shade { Old, New, Other };

Shade ShadeOf(platform::Pixel p) {
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (r > b + 60 && r > g + 60) return Shade::Old;
  if (b > r + 60 && b > g + 60) return Shade::New;
  return Shade::Other;
}

struct Frame {
  std::uint64_t elapsed;
  std::vector<platform::Pixel> pixels;
  Shade At(int x, int y) const { return ShadeOf(pixels[static_cast<size_t>(y) * kWidth + x]); }
};

class RecordingHost : public TransitionHost {
 public:
  explicit RecordingHost(const platform::Surface& frame) : frame_(frame) {}
  std::uint64_t NowMs() override { return now_; }
  void ShowFrame() override {
    Frame f{now_, {}};
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) f.pixels.push_back(frame_.PixelAt(x, y));
    frames.push_back(std::move(f));
    now_ += kFrameStepMs;
  }
  void Pause(std::uint32_t ms) override { now_ += ms; }
  void PlayFlipSound() override { sounds.push_back(now_); }

  std::vector<Frame> frames;
  std::vector<std::uint64_t> sounds;

 private:
  const platform::Surface& frame_;
  std::uint64_t now_ = 0;
};

class PageEffectsTest : public ::testing::Test {
 protected:
  PageEffectsTest() : frame_(kWidth, kHeight), oldPage_(kWidth, kHeight), newPage_(kWidth / 2, kHeight / 2), host_(frame_) {
    frame_.Fill(frame_.Bounds(), platform::MakeColor(0, 0, 0));
    oldPage_.Fill(oldPage_.Bounds(), kOld);
    // The new page is rendered at half size, as a page flip renders it at the cache level.
    newPage_.Fill(newPage_.Bounds(), kNew);
  }
  TransitionStage Stage() {
    return {frame_, oldPage_, newPage_, {0, 0}, {kWidth, kHeight}, {kWidth / 2, kHeight / 2}, kPixelFormat32};
  }
  void Play(const std::string& effect, int direction, double duration, bool onePage) {
    PlayTransitionEffect(effect, direction, duration, onePage, Stage(), host_);
  }
  const std::vector<Frame>& Frames() const { return host_.frames; }

  platform::Surface frame_;
  platform::Surface oldPage_;
  platform::Surface newPage_;
  RecordingHost host_;
};

}  // namespace

TEST_F(PageEffectsTest, EveryEffectStartsOnTheOldPageAndEndsOnTheNew) {
  struct Case {
    const char* effect;
    int direction;
    bool onePage;
  } cases[] = {{"alpha", 0, false},    {"ALPHA", 0, true},      {"pageturn", 0, false}, {"pageturn", 1, false},
               {"pageturn", 0, true},  {"pageturn", 1, true},   {"fenceflip", 0, false}, {"fenceflip", 1, false},
               {"fenceflip", 2, false}, {"fenceflip", 3, false}, {"fenceflip", 0, true},  {"fenceflip", 3, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.effect) + " " + std::to_string(c.direction) + (c.onePage ? " one page" : ""));
    host_.frames.clear();
    Play(c.effect, c.direction, 400, c.onePage);
    ASSERT_GE(Frames().size(), 3u);
    const Frame& first = Frames().front();
    const Frame& last = Frames().back();
    for (auto [x, y] : {std::pair{kWidth / 4, kHeight / 2}, {kWidth * 3 / 4, kHeight / 2}, {kWidth / 2, 10}}) {
      EXPECT_EQ(first.At(x, y), Shade::Old) << x << "," << y;
      EXPECT_EQ(last.At(x, y), Shade::New) << x << "," << y;
    }
  }
}

TEST_F(PageEffectsTest, DurationsHoldByTheClockAndTheFadeTakesTwice) {
  struct Case {
    const char* effect;
    double duration;
    std::uint64_t lasts;
  } cases[] = {{"alpha", 400, 800}, {"pageturn", 800, 800}, {"fenceflip", 250, 250}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.effect);
    RecordingHost host(frame_);
    PlayTransitionEffect(c.effect, 0, c.duration, false, Stage(), host);
    ASSERT_GE(host.frames.size(), 2u);
    // The last frame is the first drawn at or after the end; the one before it is earlier.
    EXPECT_GE(host.frames.back().elapsed, c.lasts);
    EXPECT_LT(host.frames[host.frames.size() - 2].elapsed, c.lasts);
  }
}

TEST_F(PageEffectsTest, TheSoundComesAtStartHalfTimeOrEndByEffect) {
  struct Case {
    const char* effect;
    bool onePage;
    std::uint64_t from;  // the sound's moment lies in [from, to)
    std::uint64_t to;
  } cases[] = {{"pageturn", false, 0, 1},
               {"pageturn", true, 0, 1},
               {"fenceflip", false, 500, 500 + 2 * (kFrameStepMs + 12)},
               {"fenceflip", true, 1000, 1000 + 2 * (kFrameStepMs + 12)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.effect) + (c.onePage ? " one page" : ""));
    RecordingHost host(frame_);
    PlayTransitionEffect(c.effect, 0, 1000, c.onePage, Stage(), host);
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_GE(host.sounds[0], c.from);
    EXPECT_LT(host.sounds[0], c.to);
  }
  Play("alpha", 0, 200, false);
  EXPECT_TRUE(host_.sounds.empty());
}

TEST_F(PageEffectsTest, UnknownEffectsAndAVerticalCurlDrawNothing) {
  Play("curl", 0, 300, false);
  Play("pageturn", 2, 300, false);
  Play("pageturn", 3, 300, true);
  EXPECT_TRUE(Frames().empty());
  EXPECT_TRUE(host_.sounds.empty());
}

// One page forward: the old page stays under a blank leaf and the new page shows beyond
// the fold. Along the bottom row, the fold passes points from right to left and never
// returns.
TEST_F(PageEffectsTest, TheCurlsFoldSweepsMonotonicallyAcrossThePage) {
  Play("pageturn", 0, 600, true);
  ASSERT_GE(Frames().size(), 20u);
  const int row = kHeight - 2;
  std::vector<int> turnedAt;  // first frame at which each sample point shows the new page
  for (int x = kWidth - 8; x >= 8; x -= 16) {
    int first = -1;
    for (size_t i = 0; i < Frames().size(); ++i) {
      const bool turned = Frames()[i].At(x, row) == Shade::New;
      if (turned && first < 0) first = static_cast<int>(i);
      if (first >= 0) {
        EXPECT_TRUE(turned) << "point " << x << " turned back at frame " << i;
      }
    }
    ASSERT_GE(first, 0) << "point " << x << " never turned";
    turnedAt.push_back(first);
  }
  for (size_t i = 1; i < turnedAt.size(); ++i) EXPECT_GE(turnedAt[i], turnedAt[i - 1]);
  EXPECT_LT(turnedAt.front(), turnedAt.back());  // it does move, not jump at once
  // Between the old page and the fold lies the blank back of the leaf.
  auto light = [](platform::Pixel p) { return ((p >> 16) & 0xFF) > 150 && ((p >> 8) & 0xFF) > 150 && (p & 0xFF) > 150; };
  bool sawBlank = false;
  for (const Frame& f : Frames())
    for (int x = 0; x < kWidth; ++x) sawBlank |= light(f.pixels[static_cast<size_t>(row) * kWidth + x]);
  EXPECT_TRUE(sawBlank);
}

TEST(PageCurlTest, TheCornerTravelsFromItsRestToTheMirrorAcrossTheSpine) {
  struct Case {
    int direction;
    bool onePage;
    platform::Point rest;
    platform::Point start;
    platform::Point end;
  } cases[] = {
      {0, false, {200, 100}, {200, 100}, {0, 100}},   // spread: the right corner to the left edge
      {1, false, {0, 100}, {0, 100}, {200, 100}},     // spread backward: the left corner to the right
      {0, true, {200, 100}, {200, 100}, {-200, 100}}, // one page turns about its left edge
      {1, true, {200, 100}, {-200, 100}, {200, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.direction) + (c.onePage ? " one page" : ""));
    PageCurl curl(200, 100, c.direction, c.onePage);
    EXPECT_EQ(curl.RestCorner(), c.rest);
    for (auto [t, want] : {std::pair{0.0, c.start}, {1.0, c.end}}) {
      platform::Point p = curl.CornerAt(t);
      EXPECT_NEAR(p.x, want.x, 1);
      EXPECT_NEAR(p.y, want.y, 1);
    }
    // Half way the corner is lifted above the page's bottom, at the top of its arc.
    EXPECT_LT(curl.CornerAt(0.5).y, 100 - 15);
    EXPECT_LT(curl.CornerAt(0.5).y, curl.CornerAt(0.25).y);
  }
}

TEST(PageCurlTest, TheFoldIsThePerpendicularBisectorOfRestAndMovedCorner) {
  PageCurl curl(200, 100, 0, false);
  EXPECT_FALSE(curl.FoldFor({200, 60}));  // same x as the rest corner
  EXPECT_FALSE(curl.FoldFor({150, 100}));  // same y
  auto fold = curl.FoldFor({160, 60});
  ASSERT_TRUE(fold);
  // Both ends are as far from the moved corner as from the rest corner (200, 100).
  for (platform::PointF e : {fold->e1, fold->e2}) {
    EXPECT_NEAR(std::hypot(e.x - 160, e.y - 60), std::hypot(e.x - 200, e.y - 100), 1e-3);
  }
  EXPECT_FLOAT_EQ(fold->e1.x, 200);
  EXPECT_FLOAT_EQ(fold->e2.y, 100);
}
