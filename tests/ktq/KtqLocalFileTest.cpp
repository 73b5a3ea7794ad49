#include "tiles/KtqLocalFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "tests/ktq/KtqTestFiles.h"
#include "tests/support/TestSupport.h"
#include "tiles/KtqFormat.h"
#include "tiles/KtqWriter.h"

namespace zolvex {
namespace {

using test::HandMadeKtq;
using test::PutLE32;

const qmRGBQuad kRed = qmMakeColor(200, 0, 0);
const qmRGBQuad kGreen = qmMakeColor(0, 200, 0);

// Two levels: one 4 x 3 tile, then 2 x 3 tiles of 4 x 3 pixels in distinct colours.
HandMadeKtq TwoLevelFile() {
  HandMadeKtq file;
  file.levels.push_back({1, 1, {test::SolidStream(4, 3, kRed)}});
  HandMadeKtq::Level big{2, 3, {}};
  for (int k = 0; k < 6; ++k) big.tiles.push_back(test::SolidStream(4, 3, qmMakeColor(k * 40, 100, 0)));
  file.levels.push_back(big);
  return file;
}

class KtqLocalFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::vector<std::uint8_t>& bytes, const std::string& name = "image.ktq") {
    std::string path = dir_.File(name);
    test::WriteBytes(path, bytes);
    return path;
  }
  test::TempDir dir_;
};

TEST_F(KtqLocalFileTest, ReadsLevelsAndTilesOfAFileWithoutThumbnail) {
  HandMadeKtq made = TwoLevelFile();
  auto bytes = made.Bytes();
  ASSERT_EQ(made.directoryAt, 20);  // T = 0: the level count sits at offset 16
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(Write(bytes))) << file.LastError();
  EXPECT_FALSE(file.IsScrambled());
  EXPECT_EQ(file.Codec(), qmFormatBmp);
  EXPECT_EQ(file.Thumbnail(), nullptr);
  ASSERT_EQ(file.LevelCount(), 2);
  EXPECT_EQ(file.Level(0), (LevelInfo{4, 3, 4, 3, 1, 1}));
  EXPECT_EQ(file.Level(1), (LevelInfo{12, 6, 4, 3, 2, 3}));
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(file.ReadLocalTile(1, k % 3, k / 3), made.levels[1].tiles[k]) << k;
    auto tile = file.DecodeTile(1, k % 3, k / 3);
    ASSERT_TRUE(tile);
    EXPECT_EQ(test::Rgb(tile->getPixelColor(1, 1)), test::Rgb(qmMakeColor(k * 40, 100, 0)));
  }
  EXPECT_FALSE(file.ReadLocalTile(1, 3, 0));
  EXPECT_FALSE(file.ReadLocalTile(1, 0, 2));
  EXPECT_FALSE(file.ReadLocalTile(2, 0, 0));
  EXPECT_FALSE(file.ReadLocalTile(-1, 0, 0));
}

// The index read at opening and the tiles read later come from the same file, even when
// another file takes its name meanwhile (a picture rebuilt and moved into place).
TEST_F(KtqLocalFileTest, TilesComeFromTheFileThatWasOpened) {
  HandMadeKtq made = TwoLevelFile();
  const std::string path = Write(made.Bytes());
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(path)) << file.LastError();
  HandMadeKtq other;
  other.levels.push_back({1, 1, {test::SolidStream(4, 3, kGreen)}});
  std::filesystem::rename(Write(other.Bytes(), "rebuilt.ktq"), path);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(file.ReadLocalTile(1, k % 3, k / 3), made.levels[1].tiles[k]) << k;
  KtqLocalFile moved = std::move(file);
  std::filesystem::remove(path);
  auto tile = moved.DecodeTile(0, 0, 0);
  ASSERT_TRUE(tile);
  EXPECT_EQ(test::Rgb(tile->getPixelColor(0, 0)), test::Rgb(kRed));
}

TEST_F(KtqLocalFileTest, DecodesTheThumbnailAndReadsTheRawBlockOfAnotherFile) {
  HandMadeKtq made = TwoLevelFile();
  made.thumbnail = test::SolidStream(7, 5, kGreen);
  std::string path = Write(made.Bytes(), "with thumbnail.ktq");
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(dir_.Path() + "/with%20thumbnail.ktq")) << file.LastError();
  ASSERT_NE(file.Thumbnail(), nullptr);
  EXPECT_EQ(file.Thumbnail()->getWidth(), 7);
  EXPECT_EQ(test::Rgb(file.Thumbnail()->getPixelColor(3, 3)), test::Rgb(kGreen));
  EXPECT_EQ(KtqLocalFile::ReadThumbnailBlock(path), made.thumbnail);

  HandMadeKtq none = TwoLevelFile();
  EXPECT_TRUE(KtqLocalFile::ReadThumbnailBlock(Write(none.Bytes(), "none.ktq")).empty());
  EXPECT_TRUE(KtqLocalFile::ReadThumbnailBlock(dir_.File("missing.ktq")).empty());
  auto negative = none.Bytes();
  PutLE32(negative, 12, -5);
  EXPECT_TRUE(KtqLocalFile::ReadThumbnailBlock(Write(negative, "negative.ktq")).empty());
}

// The declared thumbnail length is checked against the file before anything is allocated:
// a 100-byte file that declares 2,000,000,000 bytes costs nothing.
TEST_F(KtqLocalFileTest, AThumbnailLengthBeyondTheFileIsRefusedBeforeAllocating) {
  auto bytes = TwoLevelFile().Bytes();
  PutLE32(bytes, 12, 2'000'000'000);
  std::string path = Write(bytes, "liar.ktq");
  std::vector<std::uint8_t> block{1};
  EXPECT_LT(test::PeakMemoryGrowthMb([&] { block = KtqLocalFile::ReadThumbnailBlock(path); }), 64);
  EXPECT_TRUE(block.empty());
}

// The probe tile sets a level's tile size; a later tile that declares a larger picture is
// refused instead of costing up to the whole-picture cap.
TEST_F(KtqLocalFileTest, ATileLargerThanItsLevelsTileSizeIsRefused) {
  HandMadeKtq made = TwoLevelFile();
  made.levels[1].tiles[4] = test::SolidStream(8, 3, kRed);
  made.levels[1].tiles[5] = test::BmpHeaderOnly(16384, 16384);
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(Write(made.Bytes()))) << file.LastError();
  EXPECT_TRUE(file.DecodeTile(1, 0, 1));
  EXPECT_FALSE(file.DecodeTile(1, 1, 1));
  std::unique_ptr<ViewImage> bomb;
  EXPECT_LT(test::PeakMemoryGrowthMb([&] { bomb = file.DecodeTile(1, 2, 1); }), 64);
  EXPECT_FALSE(bomb);
}

TEST_F(KtqLocalFileTest, AOneTileLevelRunsToTheNextLevelHeaderAndTheLastToTheEndOfTheFile) {
  HandMadeKtq made = TwoLevelFile();
  auto bytes = made.Bytes();
  bytes.insert(bytes.end(), {1, 2, 3});  // trailing bytes belong to the last tile
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(Write(bytes))) << file.LastError();
  EXPECT_EQ(file.Extent(0, 0, 0)->length, made.headerAt[1] - made.dataAt[0]);
  auto last = file.Extent(1, 2, 1);
  EXPECT_EQ(last->length, static_cast<std::int64_t>(made.levels[1].tiles[5].size()) + 3);
  EXPECT_EQ(made.dataAt[1] + last->offset + last->length, static_cast<std::int64_t>(bytes.size()));
}

TEST_F(KtqLocalFileTest, UnscramblesTilesWithTheirOffsetWithinTheLevel) {
  // Tile 0 is a picture padded to 250 bytes, so tile 1 starts at relative offset 250.
  auto first = test::SolidStream(2, 2, kRed);
  ASSERT_LT(first.size(), 250u);
  first.resize(250, 0);
  std::vector<std::uint8_t> plain = {10, 20, 30, 40, 50, 60, 70, 80};
  auto scrambled = plain;
  KtqFormat::Scramble(first.data(), first.size(), 0);
  for (size_t i = 0; i < scrambled.size(); ++i) scrambled[i] ^= static_cast<std::uint8_t>((250 + i) % 256);
  EXPECT_EQ(scrambled[0], 10 ^ 250);
  EXPECT_EQ(scrambled[1], 20 ^ 251);
  EXPECT_EQ(scrambled[6], 70);  // 256 mod 256 = 0

  HandMadeKtq made;
  made.magic = "B$41";
  made.thumbnail = test::SolidStream(3, 3, kGreen);  // never scrambled
  made.levels.push_back({1, 2, {first, scrambled}});
  KtqLocalFile file;
  ASSERT_TRUE(file.ReadLocalFile(Write(made.Bytes()))) << file.LastError();
  EXPECT_TRUE(file.IsScrambled());
  ASSERT_NE(file.Thumbnail(), nullptr);
  EXPECT_EQ(file.Extent(0, 1, 0)->offset, 250);
  EXPECT_EQ(file.ReadLocalTile(0, 1, 0), plain);
  auto tile = file.DecodeTile(0, 0, 0);
  ASSERT_TRUE(tile);
  EXPECT_EQ(test::Rgb(tile->getPixelColor(0, 0)), test::Rgb(kRed));
}

TEST_F(KtqLocalFileTest, RefusesDamagedFilesWithAReason) {
  using Kind = KtqLocalFile::ErrorKind;
  struct Case {
    const char* name;
    std::function<void(HandMadeKtq&, std::vector<std::uint8_t>&)> damage;
    Kind expected;
  };
  const Case cases[] = {
      {"unknown signature", [](auto&, auto& b) { b[0] = 'X'; }, Kind::NotKtq},
      {"shorter than the header", [](auto&, auto& b) { b.resize(10); }, Kind::Damaged},
      {"thumbnail past the end", [](auto&, auto& b) { PutLE32(b, 12, 1 << 30); }, Kind::Damaged},
      {"zero levels", [](auto& m, auto& b) { PutLE32(b, m.directoryAt - 4, 0); }, Kind::Damaged},
      {"negative levels", [](auto& m, auto& b) { PutLE32(b, m.directoryAt - 4, -3); }, Kind::Damaged},
      {"absurd level count", [](auto& m, auto& b) { PutLE32(b, m.directoryAt - 4, 1 << 30); }, Kind::Damaged},
      {"header past the end", [](auto& m, auto& b) { PutLE32(b, m.directoryAt + 8, 1 << 30); }, Kind::Damaged},
      {"negative header", [](auto& m, auto& b) { PutLE32(b, m.directoryAt, -8); }, Kind::Damaged},
      {"negative data start", [](auto& m, auto& b) { PutLE32(b, m.directoryAt + 12, -100); }, Kind::Damaged},
      {"data after the next header", [](auto& m, auto& b) { PutLE32(b, m.directoryAt + 4, m.headerAt[1] + 1); },
       Kind::Damaged},
      {"no rows", [](auto& m, auto& b) { PutLE32(b, m.headerAt[1], 0); }, Kind::Damaged},
      {"rows x columns overflow", [](auto& m, auto& b) { PutLE32(b, m.headerAt[1], 65536), PutLE32(b, m.headerAt[1] + 4, 65536); },
       Kind::Damaged},
      {"tile table past the end", [](auto& m, auto& b) { PutLE32(b, m.headerAt[1], 100000); }, Kind::Damaged},
      {"negative tile offset", [](auto& m, auto& b) { PutLE32(b, m.headerAt[1] + 8 + 4, -1); }, Kind::Damaged},
      {"negative tile length", [](auto& m, auto& b) { PutLE32(b, m.headerAt[1] + 8 + 8, 1); }, Kind::Damaged},
      {"offset past the level data", [](auto& m, auto& b) { PutLE32(b, m.headerAt[1] + 8 + 20, 1 << 20); },
       Kind::Damaged},
      {"probe tile does not decode", [](auto& m, auto& b) { b[m.dataAt[1]] = 'Q'; }, Kind::CannotDecodeTile},
  };
  for (const auto& c : cases) {
    HandMadeKtq made = TwoLevelFile();
    auto bytes = made.Bytes();
    c.damage(made, bytes);
    KtqLocalFile file;
    EXPECT_FALSE(file.ReadLocalFile(Write(bytes))) << c.name;
    EXPECT_EQ(file.LastErrorKind(), c.expected) << c.name << ": " << file.LastError();
    EXPECT_FALSE(file.LastError().empty()) << c.name;
    EXPECT_EQ(file.LevelCount(), 0) << c.name;
  }
  KtqLocalFile file;
  EXPECT_FALSE(file.ReadLocalFile(dir_.File("missing.ktq")));
  EXPECT_EQ(file.LastErrorKind(), KtqLocalFile::ErrorKind::CannotOpen);

  HandMadeKtq made = TwoLevelFile();
  auto bytes = made.Bytes();
  bytes[made.dataAt[1]] = 'Q';
  ASSERT_FALSE(file.ReadLocalFile(Write(bytes)));
  EXPECT_EQ(file.LastError(), "7. Cannot decode tile");
}

// Every prefix of a real file and many single-byte corruptions either open or are refused;
// nothing is read out of bounds (the sanitizer build checks that).
TEST_F(KtqLocalFileTest, TruncatedAndCorruptedFilesFailCleanly) {
  std::string path = dir_.File("real.ktq");
  KtqWriter writer({.codec = qmFormatBmp, .scrambled = true});
  ASSERT_TRUE(writer.Begin(path, 2, test::SolidStream(3, 2, kGreen)));
  ASSERT_TRUE(writer.BeginLevel(1, 1));
  auto tile = test::SolidStream(4, 4, kRed);
  ASSERT_TRUE(writer.AddTileStream(tile.data(), tile.size()));
  ASSERT_TRUE(writer.BeginLevel(2, 2));
  for (int k = 0; k < 4; ++k) ASSERT_TRUE(writer.AddTileStream(tile.data(), tile.size()));
  ASSERT_TRUE(writer.Finish()) << writer.LastError();
  const auto original = test::ReadBytes(path);

  auto tryFile = [&](const std::vector<std::uint8_t>& bytes) {
    KtqLocalFile file;
    if (!file.ReadLocalFile(Write(bytes, "damaged.ktq"))) return false;
    for (int level = 0; level < file.LevelCount(); ++level) {
      for (int row = 0; row < file.Level(level).rows; ++row) {
        for (int column = 0; column < file.Level(level).columns; ++column) file.DecodeTile(level, column, row);
      }
    }
    return true;
  };
  ASSERT_TRUE(tryFile(original));
  int opened = 0;
  int tried = 0;
  // Every cut inside the header and tables, then every fifth one through the tile data.
  for (size_t length = 0; length < original.size(); length += length < 200 ? 1 : 5, ++tried) {
    opened += tryFile(std::vector<std::uint8_t>(original.begin(), original.begin() + length));
  }
  EXPECT_LT(opened, tried);
  std::uint32_t seed = 12345;
  for (int round = 0; round < 200; ++round) {
    auto bytes = original;
    seed = seed * 1103515245 + 12345;
    size_t at = (seed >> 8) % bytes.size();
    bytes[at] = static_cast<std::uint8_t>(seed >> 24);
    tryFile(bytes);
  }
}

}  // namespace
}  // namespace zolvex
