#include <gtest/gtest.h>

#include "view/TransitionRequest.h"

using namespace zolvex;

namespace {

unsigned Fixed0() { return 0; }

}  // namespace

TEST(TransitionRequestTest, NamesDurationsAndFieldsResolveByTheTable) {
  struct Case {
    const char* request;
    const char* effect;
    int direction;
    bool onePage;
    int duration;
  } cases[] = {
      {"pageturn:800", "pageturn", 0, false, 800},
      {"pageturnback", "pageturn", 1, false, 500},
      {"alphablend:400", "alpha", 0, false, 400},
      {"OnePageTurn:250:ignored", "pageturn", 0, true, 250},
      {"ONEPAGETURNBACK:0", "pageturn", 1, true, 500},
      {"pageturn:-20", "pageturn", 0, false, 500},
      {"pageturn:", "pageturn", 0, false, 500},
      {"pageturn:12ms", "pageturn", 0, false, 12},
      {"alphablend:3$00", "alpha", 0, false, 3},  // "$" is a ":" inside the field
      {"page$turn:700", "", 0, false, 700},        // "page:turn" names nothing
      {"curl:300", "", 0, false, 300},
      {"fade", "", 0, false, 500},
      {"fenceflip:300", "", 0, false, 300},  // an effect name, not a request name
      {"", "", 0, false, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    TransitionRequest t = ReadTransitionRequest(c.request, Fixed0);
    EXPECT_EQ(t.effect, c.effect);
    EXPECT_EQ(t.direction, c.direction);
    EXPECT_EQ(t.onePage, c.onePage);
    EXPECT_EQ(t.durationMs, c.duration);
  }
}

TEST(TransitionRequestTest, RandomPicksFadeCurlOrOnePageCurlNeverBackward) {
  const std::pair<const char*, bool> expected[] = {{"alpha", false}, {"pageturn", false}, {"pageturn", true}};
  for (unsigned value = 0; value < 30; ++value) {
    SCOPED_TRACE(value);
    TransitionRequest t = ReadTransitionRequest("Random:900", [value] { return value * 7 + 1000003u; });
    const auto& want = expected[(value * 7 + 1000003u) % 3];
    EXPECT_EQ(t.effect, want.first);
    EXPECT_EQ(t.onePage, want.second);
    EXPECT_EQ(t.direction, 0);
    EXPECT_EQ(t.durationMs, 900);
  }
}
