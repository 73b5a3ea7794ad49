#include <gtest/gtest.h>

#include <vector>

#include "view/FrameTileWait.h"

using zolvex::FrameTileWait;

namespace {

// One frame laid out: the tiles it misses, when, whether its caller could leave it for
// later, and whether it is held back.
struct Frame {
  int missing;
  long long atMs;
  bool mayHold;
  bool held;
};

struct Timeline {
  const char* name;
  std::vector<Frame> frames;
};

class FrameTileWaitTimelines : public ::testing::TestWithParam<Timeline> {};

}  // namespace

TEST_P(FrameTileWaitTimelines, HoldsAFrameOnlyWhileItsTilesAreDueWithinTheWait) {
  FrameTileWait wait;
  const auto& frames = GetParam().frames;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const Frame& frame = frames[i];
    EXPECT_EQ(wait.HoldsBack(frame.missing, frame.atMs, frame.mayHold), frame.held) << "frame " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameTileWaitTimelines,
    ::testing::Values(
        // Nothing is known of the tiles at first: the frame shows its drafts.
        Timeline{"UnknownTilesShowDrafts", {{3, 0, true, false}, {3, 5, true, false}, {0, 10, true, false}}},
        // Tiles that came within 10 ms: the next frame waits for its own, up to 24 ms from
        // the first frame that missed them, and then shows what it has.
        Timeline{"QuickTilesAreWaitedForUntilTheDeadline",
                 {{3, 0, true, false},
                  {0, 10, true, false},
                  {2, 100, true, true},
                  {2, 123, true, true},
                  {2, 124, true, false},
                  {0, 130, true, false},
                  {4, 200, true, true}}},
        // A caller that cannot leave a frame for later composes it with drafts.
        Timeline{"ACallerThatCannotWaitGetsDrafts", {{3, 0, true, false}, {0, 10, true, false}, {3, 50, false, false}}},
        // Tiles that took 100 ms: frames show drafts at once, until quick tiles bring the
        // typical wait back down (100, then 77, 60, 47, 37, 30, 25, 21 ms).
        Timeline{"SlowTilesShowDraftsUntilTilesAreQuickAgain",
                 {{3, 0, true, false},     {0, 100, true, false},  {3, 200, true, false}, {0, 210, true, false},
                  {3, 300, true, false},   {0, 310, true, false},  {3, 400, true, false}, {0, 410, true, false},
                  {3, 500, true, false},   {0, 510, true, false},  {3, 600, true, false}, {0, 610, true, false},
                  {3, 700, true, false},   {0, 710, true, false},  {3, 800, true, false}, {0, 810, true, false},
                  {3, 900, true, true}}}),
    [](const ::testing::TestParamInfo<Timeline>& info) { return info.param.name; });
