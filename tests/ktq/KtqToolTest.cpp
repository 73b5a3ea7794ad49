#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "image/qmImageUtils.h"
#include "tests/ktq/KtqTestFiles.h"
#include "tests/support/TestSupport.h"
#include "tiles/KtqFormat.h"
#include "tiles/KtqLocalFile.h"
#include "tiles/MosaicIndex.h"

namespace zolvex {
namespace {

struct ToolRun {
  int status;
  std::string output;  // stdout and stderr
};

ToolRun RunTool(const std::string& arguments) {
  ToolRun run;
  run.status = test::RunCommand(std::string("'") + KTQTOOL_PATH + "' " + arguments + " 2>&1", &run.output);
  return run;
}

// A level assembled from its decoded tiles and cropped to width x height, as RGBA.
test::MagickPixels AssembleLevel(const KtqLocalFile& file, int level, int width, int height) {
  test::MagickPixels pixels{width, height, std::vector<std::uint8_t>(static_cast<size_t>(width) * height * 4, 255)};
  const LevelInfo& info = file.Level(level);
  for (int row = 0; row < info.rows; ++row) {
    for (int column = 0; column < info.columns; ++column) {
      auto tile = file.DecodeTile(level, column, row);
      if (!tile) continue;
      for (int y = 0; y < info.tileHeight && row * info.tileHeight + y < height; ++y) {
        for (int x = 0; x < info.tileWidth && column * info.tileWidth + x < width; ++x) {
          auto colour = tile->getPixelColor(x, y);
          size_t at = (static_cast<size_t>(row * info.tileHeight + y) * width + column * info.tileWidth + x) * 4;
          pixels.rgba[at] = colour.red;
          pixels.rgba[at + 1] = colour.green;
          pixels.rgba[at + 2] = colour.blue;
        }
      }
    }
  }
  return pixels;
}

test::MagickPixels FromImage(const qmImage& image) {
  test::MagickPixels pixels{image.getWidth(), image.getHeight(), {}};
  for (int y = 0; y < image.getHeight(); ++y) {
    for (int x = 0; x < image.getWidth(); ++x) {
      auto c = image.getPixelColor(x, y);
      pixels.rgba.insert(pixels.rgba.end(), {c.red, c.green, c.blue, 255});
    }
  }
  return pixels;
}

class KtqToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (test::MagickCommand().empty()) GTEST_SKIP() << "ImageMagick is not installed";
    input_ = dir_.File("input.png");
    ASSERT_TRUE(test::MagickRun("-size 600x400 gradient:red-blue -swirl 180 -fill white -draw 'circle 300,200 330,230' "
                                "-fill black -draw 'rectangle 20,20 90,60' -depth 8 -type TrueColor '" + input_ + "'"));
  }
  test::TempDir dir_;
  std::string input_;
};

TEST_F(KtqToolTest, BuildKeepsThePixelsAndHalvesLikeAnAreaAverage) {
  std::string ktq = dir_.File("lossless.ktq");
  auto run = RunTool("build '" + input_ + "' '" + ktq + "' --tile 128 --codec png");
  ASSERT_EQ(run.status, 0) << run.output;
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(ktq)) << file.LastError();
  EXPECT_EQ(test::ReadBytes(ktq).at(0), 'K');
  ASSERT_EQ(file.LevelCount(), 4);  // 600 x 400, 300 x 200, 150 x 100, 75 x 50
  // The file records the picture's real size; the edge tiles reach past it.
  EXPECT_TRUE(file.HasRecordedExtent());
  EXPECT_EQ(file.Level(3), (LevelInfo{600, 400, 128, 128, 4, 5}));
  EXPECT_EQ(file.Level(0), (LevelInfo{75, 50, 128, 128, 1, 1}));

  auto original = test::MagickRead(input_);
  ASSERT_TRUE(original);
  EXPECT_EQ(test::MaxChannelDifference(AssembleLevel(file, 3, 600, 400), *original), 0);
  // Beyond the picture an edge tile repeats the picture's last column and row.
  auto edge = file.DecodeTile(3, 4, 3);  // covers x 512-599 and y 384-399 of the picture
  ASSERT_TRUE(edge);
  for (const auto& [x, y, fromX, fromY] : {std::array{127, 5, 87, 5}, std::array{40, 127, 40, 15},
                                           std::array{127, 127, 87, 15}}) {
    EXPECT_EQ(test::Rgb(edge->getPixelColor(x, y)), test::Rgb(edge->getPixelColor(fromX, fromY))) << x << "," << y;
  }

  const char* scales[] = {"12.5%", "25%", "50%"};
  for (int level = 0; level < 3; ++level) {
    std::string reduced = dir_.File("reduced" + std::to_string(level) + ".png");
    ASSERT_TRUE(test::MagickRun("'" + input_ + "' -scale " + scales[level] + " '" + reduced + "'"));
    auto expected = test::MagickRead(reduced);
    ASSERT_TRUE(expected);
    auto actual = AssembleLevel(file, level, expected->width, expected->height);
    EXPECT_LE(test::MaxChannelDifference(actual, *expected), 3) << "level " << level;
  }

  ASSERT_NE(file.Thumbnail(), nullptr);
  EXPECT_EQ(file.Thumbnail()->getWidth(), 160);
  EXPECT_EQ(file.Thumbnail()->getHeight(), 106);
}

TEST_F(KtqToolTest, ScrambledJpegBuildStaysWithinJpegTolerance) {
  std::string ktq = dir_.File("scrambled.ktq");
  std::string unnamed = dir_.File("picture");  // no extension: found by its signature
  test::WriteBytes(unnamed, test::ReadBytes(input_));
  auto run = RunTool("build '" + unnamed + "' '" + ktq + "' --tile 256 --quality 90 --scrambled --thumb 0");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(test::ReadBytes(ktq).at(0), 'B');
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(ktq)) << file.LastError();
  EXPECT_TRUE(file.IsScrambled());
  EXPECT_EQ(file.Codec(), qmFormatJpeg);
  EXPECT_EQ(file.Thumbnail(), nullptr);
  ASSERT_EQ(file.LevelCount(), 3);
  auto original = test::MagickRead(input_);
  ASSERT_TRUE(original);
  EXPECT_GT(test::Psnr(AssembleLevel(file, 2, 600, 400), *original), 30);
}

TEST_F(KtqToolTest, InfoTileAndThumbShowWhatTheFileHolds) {
  std::string ktq = dir_.File("a.ktq");
  ASSERT_EQ(RunTool("build '" + input_ + "' '" + ktq + "' --tile 128 --codec bmp").status, 0);
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(ktq));

  auto info = RunTool("info '" + ktq + "' --json");
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_NE(info.output.find("\"variant\": \"plain\""), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("\"codec\": \"BMP\""), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("\"thumbnail\": {\"width\": 160, \"height\": 106}"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("\"extentRecorded\": true"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("{\"level\": 3, \"width\": 600, \"height\": 400, \"tileWidth\": 128, \"tileHeight\": 128, "
                             "\"rows\": 4, \"columns\": 5}"),
            std::string::npos)
      << info.output;
  auto text = RunTool("info '" + ktq + "'");
  EXPECT_NE(text.output.find("levels: 4"), std::string::npos) << text.output;
  EXPECT_NE(text.output.find("level 3: 600 x 400 pixels"), std::string::npos) << text.output;

  std::string tilePng = dir_.File("tile.png");
  ASSERT_EQ(RunTool("tile '" + ktq + "' 3 1 2 '" + tilePng + "'").status, 0);
  auto tile = test::MagickRead(tilePng);
  ASSERT_TRUE(tile);
  EXPECT_EQ(test::MaxChannelDifference(*tile, FromImage(*file.DecodeTile(3, 1, 2))), 0);

  std::string thumbPng = dir_.File("thumb.png");
  ASSERT_EQ(RunTool("thumb '" + ktq + "' '" + thumbPng + "'").status, 0);
  auto thumb = test::MagickRead(thumbPng);
  ASSERT_TRUE(thumb);
  EXPECT_EQ(test::MaxChannelDifference(*thumb, FromImage(*file.Thumbnail())), 0);
}

TEST_F(KtqToolTest, MosaicWritesAnIndexOfRelativeNames) {
  std::string a = dir_.File("a.ktq");
  ASSERT_EQ(RunTool("synth '" + a + "' --size 100 --tile 64").status, 0);
  auto run = RunTool("mosaic '" + dir_.File("m.mon") + "' --grid 2x3 '" + a + "' - - - - '" + a + "'");
  ASSERT_EQ(run.status, 0) << run.output;
  auto text = test::ReadBytes(dir_.File("m.mon"));
  EXPECT_NE(std::string(text.begin(), text.end()).find("File6=a.ktq"), std::string::npos);
  auto index = MosaicIndex::Load(dir_.File("m.mon"));
  ASSERT_TRUE(index);
  EXPECT_EQ(index->Cell(0, 0), a);
  EXPECT_EQ(index->Cell(1, 2), a);
  EXPECT_EQ(index->Cell(1, 0), "");

  EXPECT_EQ(RunTool("mosaic '" + dir_.File("n.mon") + "' --grid 1x1 '" + a + "' '" + a + "'").status, 2);
  EXPECT_EQ(RunTool("mosaic '" + dir_.File("n.mon") + "' --grid 1x1 '" + input_ + "'").status, 1);
}

TEST_F(KtqToolTest, SynthIsDeterministic) {
  std::string first = dir_.File("s1.ktq");
  std::string second = dir_.File("s2.ktq");
  ASSERT_EQ(RunTool("synth '" + first + "' --size 700 --tile 128").status, 0);
  ASSERT_EQ(RunTool("synth '" + second + "' --size 700 --tile 128").status, 0);
  EXPECT_EQ(test::ReadBytes(first), test::ReadBytes(second));
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(first)) << file.LastError();
  ASSERT_EQ(file.LevelCount(), 4);  // 700, 350, 175, 88
  EXPECT_EQ(file.Level(3), (LevelInfo{700, 700, 128, 128, 6, 6}));
  // Neighbouring tiles differ: the picture has detail everywhere.
  auto left = FromImage(*file.DecodeTile(3, 0, 0));
  auto right = FromImage(*file.DecodeTile(3, 1, 0));
  EXPECT_GT(test::MaxChannelDifference(left, right), 20);
}

// Reading a few rows at a time on several threads writes the same file as reading the
// picture in one piece on one thread. Odd sizes make levels whose pixels straddle two of
// the larger level's, and small tiles make the thumbnail come from the full picture.
TEST_F(KtqToolTest, StripsThreadsAndOnePieceWriteTheSameFile) {
  const std::string jpeg = dir_.File("odd.jpg");
  ASSERT_TRUE(test::MagickRun("'" + input_ + "' -resize 1001x777! -quality 92 '" + jpeg + "'"));
  const std::string whole = dir_.File("whole.ktq"), strips = dir_.File("strips.ktq");
  auto run = RunTool("build '" + jpeg + "' '" + whole + "' --tile 64 --rows 0");
  ASSERT_EQ(run.status, 0) << run.output;
  run = RunTool("build '" + jpeg + "' '" + strips + "' --tile 64 --rows 7 --threads 3");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(test::ReadBytes(whole), test::ReadBytes(strips));

  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(strips)) << file.LastError();
  ASSERT_EQ(file.LevelCount(), 5);  // 1001 x 777 down to 63 x 49
  auto original = test::MagickRead(jpeg);
  ASSERT_TRUE(original);
  EXPECT_GT(test::Psnr(AssembleLevel(file, 4, 1001, 777), *original), 35);
  // The thumbnail is the area average of the whole decoded picture.
  auto picture = qmImageUtils::loadImage(jpeg);
  ASSERT_TRUE(picture);
  qmImage small;
  ASSERT_TRUE(picture->resize(160, 124, 1, &small));
  auto stream = KtqFormat::EncodeStream(small, qmFormatJpeg, 85);
  ASSERT_TRUE(stream);
  auto expected = qmImageUtils::decodeFromMemory(stream->data(), stream->size(), qmFormatJpeg);
  ASSERT_TRUE(expected && file.Thumbnail());
  EXPECT_EQ(test::MaxChannelDifference(FromImage(*file.Thumbnail()), FromImage(*expected)), 0);
}

TEST_F(KtqToolTest, BadArgumentsExitWith2AndUnreadableInputWith1) {
  std::string ktq = dir_.File("ok.ktq");
  ASSERT_EQ(RunTool("synth '" + ktq + "' --size 64").status, 0);
  std::string notKtq = dir_.File("not.ktq");
  test::WriteBytes(notKtq, std::vector<std::uint8_t>(100, 'x'));
  struct Case {
    std::string arguments;
    int status;
  };
  const Case cases[] = {
      {"", 2},
      {"frobnicate", 2},
      {"build '" + input_ + "'", 2},
      {"build '" + input_ + "' o.ktq --tile abc", 2},
      {"build '" + input_ + "' o.ktq --tile 0", 2},
      {"build '" + input_ + "' o.ktq --codec webp", 2},
      {"build '" + input_ + "' o.ktq --quality 101", 2},
      {"build '" + input_ + "' o.ktq --plain --scrambled", 2},
      {"build '" + input_ + "' o.ktq --tile", 2},
      {"build '" + input_ + "' o.ktq --bogus", 2},
      {"build '" + input_ + "' o.ktq --threads 0", 2},
      {"synth o.ktq", 2},
      {"synth o.ktq --size -5", 2},
      {"mosaic m.mon --grid 2by3 '" + ktq + "'", 2},
      {"tile '" + ktq + "' 9 0 0 out.png", 2},
      {"tile '" + ktq + "' 0 1 0 out.png", 2},
      {"build '" + dir_.File("missing.png") + "' o.ktq", 1},
      {"build '" + notKtq + "' o.ktq", 1},
      {"info '" + notKtq + "'", 1},
      {"info '" + dir_.File("missing.ktq") + "'", 1},
      {"build '" + input_ + "' '" + dir_.File("no/such/dir/o.ktq") + "'", 1},
  };
  for (const auto& c : cases) {
    auto run = RunTool(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << c.arguments << "\n" << run.output;
    EXPECT_EQ(run.output.rfind("ktqtool: ", 0), 0u) << run.output;
  }
  EXPECT_FALSE(test::ReadBytes(dir_.File("no/such/dir/o.ktq")).size());
}

}  // namespace

// The real sizes travel in a table between the level directory and the first level, which
// the reserved field points to: every reader of the format passes over it. A table that is
// damaged, or sizes that do not fit the tiles, leave the levels as whole tiles.
TEST_F(KtqToolTest, TheRecordedExtentLiesWhereNoReaderLooks) {
  const std::string ktq = dir_.File("extent.ktq");
  ASSERT_EQ(RunTool("build '" + input_ + "' '" + ktq + "' --tile 128 --codec bmp").status, 0);
  auto bytes = test::ReadBytes(ktq);
  auto le32 = [&bytes](std::size_t at) {
    return static_cast<std::int32_t>(bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 | bytes.at(at + 3) << 24);
  };
  const std::int32_t thumbnail = le32(12), levels = le32(16 + thumbnail), tableAt = le32(8);
  EXPECT_EQ(tableAt, 20 + thumbnail + 8 * levels);
  EXPECT_LT(tableAt + 29 + 8 * levels, le32(20 + thumbnail + 8));  // before the first level's header
  EXPECT_EQ(std::string(bytes.begin() + tableAt, bytes.begin() + tableAt + 4), "KTQA");

  struct Case {
    std::size_t at;
    std::uint8_t value;
  };
  const std::size_t firstWidth = static_cast<std::size_t>(tableAt) + 8 + 4 + 13 + 4;
  for (const Case damage : {Case{static_cast<std::size_t>(tableAt), 'X'}, Case{firstWidth + 1, 0x7f}}) {
    auto damaged = bytes;
    damaged[damage.at] = damage.value;
    test::WriteBytes(ktq, damaged);
    KtqLocalFile file;
    ASSERT_TRUE(file.ReadLocalFile(ktq)) << file.LastError();
    EXPECT_FALSE(file.HasRecordedExtent());
    EXPECT_EQ(file.Level(3), (LevelInfo{640, 512, 128, 128, 4, 5}));
  }
}

// Progress into a pipe or a file comes as whole lines, without carriage returns.
TEST_F(KtqToolTest, ProgressIntoAPipeComesInWholeLines) {
  auto run = RunTool("synth '" + dir_.File("progress.ktq") + "' --size 1100 --tile 64 --codec bmp --thumb 0");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output.find('\r'), std::string::npos);
  EXPECT_NE(run.output.find("444 of 444 tiles (100%)\n"), std::string::npos) << run.output;
  const auto lines = std::count(run.output.begin(), run.output.end(), '\n');
  EXPECT_GE(lines, 5);
  EXPECT_LE(lines, 11);
}

}  // namespace zolvex
