// A comic fetches the pages around the one shown before the reader turns to them.
#include <gtest/gtest.h>

#include <set>

#include "documents/modes/ComicsDocument.h"
#include "tests/modes/ModesFixture.h"
#include "view/FlipMapView.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

// Twenty pages of 200 × 200 in a row; at level 0 each page is one tile column of 100 pixels,
// and a window of 100 × 100 shows one page.
const TileGrid kTwentyPages = {{20, 1}, {40, 2}};
const std::string kRow = Params({{"pagewidth", "200"}, {"pageheight", "200"}, {"direction", "horizontal"}});

class ComicsPrefetchTest : public ModesFixture {
 protected:
  void SetUp() override {
    server_ = std::make_unique<FakeKtqServer>(DescriptionOnly(kTwentyPages));
    url_ = "ktq://127.0.0.1:" + std::to_string(server_->Port()) + "/comic.ktq";
  }
  bool OpenComic(const std::string& localContent) {
    if (!Open("comics", kRow, url_, 100, 100, {{"PageAnimation", "no"}})) return false;
    // Opening a source sets it: "yes" for a local file, else "no".
    if (!localContent.empty()) View().SetBrowserProperty("localcontent", localContent);
    return dynamic_cast<ComicsDocument*>(View().GetDocument()) != nullptr;
  }
  // Draws, lets the requests go out, and answers the pages (1-based) asked for at level 0
  // in the lines from the fromLine-th on.
  std::set<int> PagesAsked(std::size_t fromLine = 0) {
    View().DrawFrame(false);
    std::set<int> pages;
    for (int i = 0; i < 20; ++i) {
      RunFor(20);
      std::set<int> now;
      for (int column : ColumnsAsked(*server_, 0, fromLine)) now.insert(column + 1);
      if (now == pages && i > 2) break;
      pages = now;
    }
    return pages;
  }

  std::unique_ptr<FakeKtqServer> server_;
  std::string url_;
};

TEST_F(ComicsPrefetchTest, ThePagesAroundTheOneShownAreFetchedAhead) {
  ASSERT_TRUE(OpenComic(""));
  // Opening is a jump to page 1: the three pages after it.
  EXPECT_EQ(PagesAsked(), (std::set<int>{1, 2, 3, 4}));
  // A step forward: the next three pages, so page 5 is asked before the reader turns to it.
  View().Execute("nextpage", "");
  EXPECT_EQ(PagesAsked(), (std::set<int>{1, 2, 3, 4, 5}));
  // A jump: three pages on either side.
  View().Execute("gotopage", "12");
  EXPECT_EQ(PagesAsked(), (std::set<int>{1, 2, 3, 4, 5, 9, 10, 11, 12, 13, 14, 15}));
  // A step back: the previous three.
  View().Execute("prevpage", "");
  EXPECT_EQ(PagesAsked(), (std::set<int>{1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, 14, 15}));
}

TEST_F(ComicsPrefetchTest, LocalContentFetchesOnlyThePagesShown) {
  ASSERT_TRUE(OpenComic("yes"));
  PagesAsked();  // the first frame came before the property was set
  const std::size_t from = server_->Lines().size();
  View().Execute("gotopage", "12");
  EXPECT_EQ(PagesAsked(from), (std::set<int>{12}));
  View().Execute("nextpage", "");
  EXPECT_EQ(PagesAsked(from), (std::set<int>{12, 13}));
}

}  // namespace
