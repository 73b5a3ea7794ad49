#include <gtest/gtest.h>

#include "net/KeptAnswers.h"

namespace zolvex {
namespace {

KeptAnswers::Answer Bytes(std::size_t count) { return std::make_shared<const std::vector<std::uint8_t>>(count, 7); }

TEST(KeptAnswers, KeepsWithinBudgetDroppingLeastRecentlyUsed) {
  KeptAnswers kept(100);
  kept.Keep("a", Bytes(40));
  kept.Keep("b", Bytes(40));
  ASSERT_TRUE(kept.Find("a"));  // "b" is now the least recently used
  kept.Keep("c", Bytes(40));
  EXPECT_TRUE(kept.Find("a"));
  EXPECT_FALSE(kept.Find("b"));
  EXPECT_TRUE(kept.Find("c"));
  EXPECT_EQ(kept.KeptBytes(), 80u);
}

TEST(KeptAnswers, ReplacingAnAnswerCountsItOnce) {
  KeptAnswers kept(100);
  kept.Keep("a", Bytes(60));
  kept.Keep("a", Bytes(30));
  EXPECT_EQ(kept.KeptBytes(), 30u);
  EXPECT_EQ(kept.Find("a")->size(), 30u);
}

TEST(KeptAnswers, KeepsNothingBeyondItsBudget) {
  struct Case {
    std::size_t budget, answer;
    bool kept;
  };
  for (const Case& c : {Case{0, 1, false}, Case{10, 11, false}, Case{10, 10, true}, Case{10, 0, true}}) {
    KeptAnswers kept(c.budget);
    kept.Keep("a", Bytes(c.answer));
    EXPECT_EQ(kept.Find("a") != nullptr, c.kept) << c.budget << " " << c.answer;
  }
}

TEST(KeptAnswers, SmallerBudgetForgetAndClearLetGo) {
  KeptAnswers kept(100);
  kept.Keep("a", Bytes(40));
  kept.Keep("b", Bytes(40));
  kept.SetBudget(50);
  EXPECT_FALSE(kept.Find("a"));
  EXPECT_TRUE(kept.Find("b"));
  kept.Keep("c", Bytes(10));
  kept.Forget("c");
  kept.Forget("never kept");
  EXPECT_FALSE(kept.Find("c"));
  EXPECT_EQ(kept.KeptBytes(), 40u);
  kept.Clear();
  EXPECT_FALSE(kept.Find("b"));
  EXPECT_EQ(kept.KeptBytes(), 0u);
}

}  // namespace
}  // namespace zolvex
