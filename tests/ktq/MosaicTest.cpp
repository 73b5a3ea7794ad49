#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tiles/MosaicIndex.h"
#include "documents/MosaicLayout.h"

namespace zolvex {
namespace {

TEST(MosaicIndex, NumbersCellsRowMajorFromOneAndJoinsTheIndexFolder) {
  EXPECT_EQ(MosaicIndex::KeyFor(0, 0, 2), "File1");
  EXPECT_EQ(MosaicIndex::KeyFor(1, 2, 2), "File6");  // bottom-right of 2 columns x 3 rows
  const char* text =
      "; a mosaic\r\n"
      "[info]\r\n"
      "width = 2\r\n"
      "HEIGHT=3\r\n"
      "[Files]\r\n"
      "File1=a.ktq\r\n"
      "file2 = \"b c.ktq\"\r\n"
      "File4=\r\n"
      "File6=sub/f.ktq\r\n"
      "File6=ignored.ktq\r\n"
      "File7=outside.ktq\r\n";
  auto index = MosaicIndex::Parse(text, "C:\\maps\\set/index.mon");
  ASSERT_TRUE(index);
  EXPECT_EQ(index->Columns(), 2);
  EXPECT_EQ(index->Rows(), 3);
  EXPECT_EQ(index->Cell(0, 0), "C:\\maps\\set/a.ktq");
  EXPECT_EQ(index->Cell(1, 0), "C:\\maps\\set/b c.ktq");
  EXPECT_EQ(index->Cell(0, 1), "");  // missing
  EXPECT_EQ(index->Cell(1, 1), "");  // empty
  EXPECT_EQ(index->Cell(1, 2), "C:\\maps\\set/sub/f.ktq");
  EXPECT_EQ(index->Cell(2, 0), "");  // outside the grid

  auto bare = MosaicIndex::Parse("[Info]\nWidth=1\nHeight=1\n[Files]\nFile1=x.ktq\n", "index.mon");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->Cell(0, 0), "x.ktq");
  auto noGrid = MosaicIndex::Parse("[Files]\nFile1=x.ktq\n", "index.mon");
  ASSERT_TRUE(noGrid);
  EXPECT_EQ(noGrid->Columns() * noGrid->Rows(), 0);
  EXPECT_FALSE(MosaicIndex::Parse("[Info]\nWidth=100000\nHeight=100000\n", "index.mon"));
}

TEST(MosaicIndex, SavesWhatItLoads) {
  test::TempDir dir;
  MosaicIndex index(3, 2);
  index.SetCell(0, 0, "first.ktq");
  index.SetCell(2, 1, "last.ktq");
  ASSERT_TRUE(index.Save(dir.File("m.mon")));
  auto loaded = MosaicIndex::Load(dir.File("m.mon"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Columns(), 3);
  EXPECT_EQ(loaded->Rows(), 2);
  EXPECT_EQ(loaded->Cell(0, 0), dir.File("first.ktq"));
  EXPECT_EQ(loaded->Cell(2, 1), dir.File("last.ktq"));
  EXPECT_EQ(loaded->Cell(1, 0), "");
  EXPECT_FALSE(MosaicIndex::Load(dir.File("missing.mon")));
}

TEST(MosaicLayout, GridSizeCoversAttributesAndChildren) {
  MosaicLayout layout({0, 500, 3, 2}, {{"a.ktq", 0, 0}, {"b.ktq", 4, 1}});
  EXPECT_TRUE(layout.IsGrid());
  EXPECT_EQ(layout.GridColumns(), 5);  // largest column 4
  EXPECT_EQ(layout.GridRows(), 2);     // height 2
  MosaicLayout empty({0, 0, 0, 0}, {});
  EXPECT_EQ(empty.GridColumns(), 1);
  EXPECT_EQ(empty.GridRows(), 1);
}

TEST(MosaicLayout, FreeArrangementHasAVirtualPyramidAndScaledPlaces) {
  MosaicLayout layout({1001, 600, 0, 0}, {{"a.ktq", 0, 0, 400, 300}});
  EXPECT_FALSE(layout.IsGrid());
  using Size = MosaicLayout::Size;
  EXPECT_EQ(layout.VirtualLevels(4), (std::vector<Size>{{125, 75}, {250, 150}, {500, 300}, {1001, 600}}));
  auto place = MosaicLayout::PlaceAtLevel(layout.Children()[0], {250, 100}, {1000, 800});
  EXPECT_EQ(place, (MosaicLayout::Point{100, 37}));  // 400 x 1/4, 300 x 1/8 truncated
}

}  // namespace
}  // namespace zolvex
