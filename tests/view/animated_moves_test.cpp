// Animated moves on a manual clock: the gliding scroll, the pan before a snap zoom and
// PanTo's flight through the levels. Every frame an animation shows is recorded with
// the clock's time and the view's position.
#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "tests/view/ViewTestSupport.h"
#include "view/CommandInterpreter.h"
#include "view/ScrollAnimation.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

struct Step {
  std::uint64_t time;
  int x, y;
  bool operator==(const Step&) const = default;
};

// The window: each frame shown at once is a step of the animation.
class StepRecorder : public platform::WindowListener {
 public:
  StepRecorder(MapView& view, platform::Clock& clock) : view_(view), clock_(clock) {}
  const platform::Surface* OnPaint() override {
    steps.push_back({clock_.NowMs(), view_.ViewX(), view_.ViewY()});
    return nullptr;
  }
  std::vector<Step> steps;

 private:
  MapView& view_;
  platform::Clock& clock_;
};

class AnimatedMovesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DocumentConstructors make;
    make.tiledImage = [this](MapView&, const std::string& url) {
      auto document = std::make_unique<GridDocument>(FiveLevels(), url);
      document_ = document.get();
      return document;
    };
    view().SetDocumentFactory(std::make_unique<DocumentFactory>(make));
    view().OpenUrl("/data/grid.ktq", true, 0, 0, 0);
    // Frames take no time: the clock moves by the animations' own pauses only.
    Window().SetFrameIntervalMs(0);
    Window().SetListener(&recorder_);
    document_->SetLevel(4);  // 4096 × 3072, full resolution
    view().SetPosition(0, 0, false, false);
    harness_.DeliverEvents().clear();
  }
  void TearDown() override { Window().SetListener(nullptr); }

  TestView& view() { return *harness_.view; }
  platform::HeadlessWindowHost& Window() {
    return static_cast<platform::HeadlessWindowHost&>(harness_.platform->Window());
  }
  std::vector<Step> ScrollFrom(platform::Point from, platform::Point to, bool animate = true) {
    view().SetPosition(from.x, from.y, false, false);
    recorder_.steps.clear();
    view().ScrollTo(to.x, to.y, animate);
    return recorder_.steps;
  }
  // The levels the view passed through, 1-based, from the "levelchanged" reports.
  std::vector<std::string> LevelChanges() {
    std::vector<std::string> levels;
    for (const ViewEvent& event : harness_.DeliverEvents()) {
      if (event.name == "levelchanged") levels.push_back(event.param2);
    }
    harness_.events.clear();
    return levels;
  }

  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(5000);
  ViewHarness harness_{640, 480, clock_};
  StepRecorder recorder_{*harness_.view, *clock_};
  GridDocument* document_ = nullptr;
};

}  // namespace

TEST_F(AnimatedMovesTest, ScrollStepsAndDelayFollowTheirPropertiesWithDefaultsBelowOne) {
  struct Case {
    const char* steps;
    const char* delay;
    int expectedSteps;
    std::uint64_t expectedDelay;
  } cases[] = {
      {"0", "", 15, 10},
      {"-2", "0", 15, 10},
      {"4", "25", 4, 25},
      {"1", "7", 1, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.steps) + " / " + c.delay);
    view().SetBrowserProperty("scrollstep", c.steps);
    view().SetBrowserProperty("scrolldelay", c.delay);
    const std::uint64_t start = clock_->NowMs();
    // More than two pages (without a page size, the window is the page): every step.
    const std::vector<Step> steps = ScrollFrom({0, 0}, {1300, 150});
    ASSERT_EQ(steps.size(), static_cast<size_t>(c.expectedSteps));
    const int n = c.expectedSteps;
    for (int k = 1; k <= n; ++k) {
      // x1 - dx × (n - k) ÷ n, truncated: the last step lands exactly on the target.
      EXPECT_EQ(steps[k - 1], (Step{start + (k - 1) * c.expectedDelay, 1300 - 1300 * (n - k) / n, 150 - 150 * (n - k) / n}))
          << "step " << k;
    }
    EXPECT_EQ(clock_->NowMs() - start, n * c.expectedDelay);
  }
}

TEST_F(AnimatedMovesTest, MovesShorterThanTwoPagesTakeFewerSteps) {
  view().SetBrowserProperty("pagewidth", "800");
  view().SetBrowserProperty("pageheight", "600");
  struct Case {
    platform::Point to;
    size_t steps;
  } cases[] = {
      {{400, 0}, 7},     // 15 × 400 ÷ 800
      {{1600, 0}, 15},   // two pages or more: all of them
      {{1599, 0}, 15},   // 29 by the ratio, but never more than the steps asked for
      {{0, 300}, 7},     // 15 × 300 ÷ 600
      {{400, 100}, 7},   // the longer axis decides
      {{10, 0}, 1},      // at least one
      {{-400, 0}, 0},    // already at the left edge: nothing to do
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.to.x) + "," + std::to_string(c.to.y));
    EXPECT_EQ(ScrollFrom({0, 0}, c.to).size(), c.steps);
    EXPECT_EQ(view().ViewX(), std::max(c.to.x, 0));
  }
  // At half the scale the page is 400 level pixels: 400 pixels are a whole page.
  document_->SetLevel(3);
  EXPECT_EQ(ScrollFrom({0, 0}, {400, 0}).size(), 15u);
}

TEST_F(AnimatedMovesTest, WithoutAnimationTheViewJumpsAndAMoveToThePresentPlaceDoesNothing) {
  auto paints = [&] {
    Window().RunPending();
    return Window().PaintCount();
  };
  const int before = paints();
  view().SetBrowserProperty("PageAnimation", "No");
  EXPECT_TRUE(ScrollFrom({0, 0}, {500, 200}).empty());
  EXPECT_EQ(view().ViewX(), 500);
  EXPECT_EQ(paints(), before + 1);
  view().SetBrowserProperty("PageAnimation", "");
  EXPECT_TRUE(ScrollFrom({0, 0}, {500, 200}, false).empty());
  EXPECT_EQ(paints(), before + 2);
  // The target is clamped first: a place beyond the content that clamps to here is here.
  EXPECT_TRUE(ScrollFrom({4096 - 640, 0}, {9000, 0}).empty());
  EXPECT_EQ(paints(), before + 2);
}

TEST_F(AnimatedMovesTest, TheDragtoCommandGlidesAndNeedsTwoNumbers) {
  CommandInterpreter& commands = view().Commands();
  recorder_.steps.clear();
  EXPECT_TRUE(commands.Execute("DragTo", "600,90"));
  EXPECT_EQ(recorder_.steps.size(), 14u);  // 15 × 600 ÷ 640: under two windows
  EXPECT_EQ(recorder_.steps.back(), (Step{clock_->NowMs() - 10, 600, 90}));
  recorder_.steps.clear();
  EXPECT_TRUE(commands.Execute("dragto", "50"));
  EXPECT_TRUE(recorder_.steps.empty());
  EXPECT_EQ(view().ViewX(), 600);
}

TEST(SnapPan, TheShiftTakesASecondButNeverLessThanTheMinimumSpeed) {
  struct Case {
    platform::Point shift;
    double vx, vy;
    int duration;
  } cases[] = {
      {{100, 0}, 0.2, 0, 500},      // 0.1 px/ms is raised to 0.2
      {{500, 0}, 0.5, 0, 1000},
      {{100, 20}, 1.0, 0.2, 100},   // the slower axis is raised, the other in proportion
      {{0, -100}, 0, -0.2, 500},
      {{-13, 0}, -0.2, 0, 65},
      {{284, 0}, 0.284, 0, 1000},   // a whole second, whatever binary fractions say
      {{0, 0}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.shift.x) + "," + std::to_string(c.shift.y));
    const SnapPan pan(c.shift);
    EXPECT_NEAR(pan.VelocityX(), c.vx, 1e-9);
    EXPECT_NEAR(pan.VelocityY(), c.vy, 1e-9);
    EXPECT_EQ(pan.DurationMs(), c.duration);
    EXPECT_EQ(pan.OffsetAt(100000), c.shift);  // never beyond the shift
  }
  EXPECT_EQ(SnapPan({100, 20}).OffsetAt(50), (platform::Point{50, 10}));
}

TEST_F(AnimatedMovesTest, ASnapZoomFirstPansThePageIntoViewAndThenCentresOnIt) {
  // Pages of 1024 × 768: 512 × 384 pixels at level index 3, where the snap zoom starts.
  view().SetBrowserProperty("pagewidth", "1024");
  view().SetBrowserProperty("pageheight", "768");
  view().SetBrowserProperty("snapzoomlevel", "4");
  document_->SetLevel(3);
  view().SetPosition(100, 0, false, false);
  recorder_.steps.clear();
  const std::uint64_t start = clock_->NowMs();
  // The second page (512 … 1024) sticks out on the right by 1024 - 740 = 284 pixels.
  view().ZoomTo(4, 700, 100, true);
  const std::vector<Step>& steps = recorder_.steps;
  ASSERT_EQ(steps.size(), 21u);  // every 50 ms for the second the pan takes, both ends included
  for (size_t i = 0; i < steps.size(); ++i) {
    const std::uint64_t elapsed = 50 * i;
    EXPECT_EQ(steps[i], (Step{start + elapsed, 100 + static_cast<int>(elapsed * 284 / 1000), 0})) << i;
  }
  // The zoom centres on the page's middle (768, 192), doubled at the next level.
  EXPECT_EQ(document_->GetLevel(), 4);
  EXPECT_EQ(view().ViewX(), 768 * 2 - 320);
  EXPECT_EQ(view().ViewY(), 192 * 2 - 240);

  // A page already in the window: no pan, the zoom still centres on it.
  document_->SetLevel(3);
  view().SetPosition(500, 0, false, false);
  recorder_.steps.clear();
  view().ZoomTo(4, 700, 100, true);
  EXPECT_TRUE(recorder_.steps.empty());
  EXPECT_EQ(view().ViewX(), 768 * 2 - 320);
}

TEST_F(AnimatedMovesTest, PanToFliesOutAsFarAsTheWayNeedsAndBackIn) {
  struct Case {
    int level;            // index where the view starts, window centred on (320, 240)
    int x, y, target;     // PanTo's arguments: a point of the target level
    std::vector<std::string> levels;
    platform::Point end;  // where the window rests at the target level
  } cases[] = {
      // One window width away at the same level: one level out, then in again.
      {3, 960, 240, 3, {"3", "4"}, {640, 0}},
      // Three windows away: out until the way fits in the window, twice here.
      {4, 2240, 240, 4, {"3", "4", "5"}, {1920, 0}},
      // Close by at the same level: still one level out and back.
      {3, 400, 300, 3, {"3", "4"}, {80, 60}},
      // A deeper target level: zoom in level by level.
      {1, 1000, 800, 3, {"3", "4"}, {680, 560}},
      // A shallower one: one zoom out.
      {3, 256, 192, 1, {"2"}, {-64, -48}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.level) + " -> " + std::to_string(c.target));
    document_->SetLevel(c.level);
    view().SetPosition(0, 0, false, false);
    LevelChanges();
    view().PanTo(c.x, c.y, c.target);
    EXPECT_EQ(LevelChanges(), c.levels);
    EXPECT_EQ(document_->GetLevel(), c.target);
    EXPECT_EQ(view().ViewX(), c.end.x);
    EXPECT_EQ(view().ViewY(), c.end.y);
  }
}

TEST_F(AnimatedMovesTest, ThePantoCommandTakesAOneBasedLevelAndNeedsThreeNumbers) {
  CommandInterpreter& commands = view().Commands();
  document_->SetLevel(3);
  view().SetPosition(0, 0, false, false);
  EXPECT_TRUE(commands.Execute("PanTo", "960,240,4"));
  EXPECT_EQ(document_->GetLevel(), 3);
  EXPECT_EQ(view().ViewX(), 640);
  EXPECT_TRUE(commands.Execute("panto", "10,10"));
  EXPECT_EQ(view().ViewX(), 640);
  // A level beyond the pyramid is its last one.
  EXPECT_TRUE(commands.Execute("panto", "2048,1536,9"));
  EXPECT_EQ(document_->GetLevel(), 4);
  EXPECT_EQ(view().ViewX(), 2048 - 320);
}
