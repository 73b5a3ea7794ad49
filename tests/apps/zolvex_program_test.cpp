#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/TestSupport.h"

using zolvex::test::RunCommand;

namespace {
std::string Program() { return ZOLVEX_PROGRAM; }
}  // namespace

TEST(ZolvexProgram, SnapshotOfAnEmptyViewHasTheBackgroundColour) {
  zolvex::test::TempDir dir;
  std::string out = dir.File("out.png");
  ASSERT_EQ(RunCommand(Program() + " --headless --size 320x200 --param BackgroundColor=#336699 --snapshot " + out +
                       " >/dev/null 2>&1"),
            0);
  auto pixels = zolvex::test::MagickRead(out);
  ASSERT_TRUE(pixels);
  EXPECT_EQ(pixels->width, 320);
  EXPECT_EQ(pixels->height, 200);
  for (auto [x, y] : {std::pair{0, 0}, {319, 199}, {160, 100}}) {
    EXPECT_EQ(pixels->R(x, y), 0x33);
    EXPECT_EQ(pixels->G(x, y), 0x66);
    EXPECT_EQ(pixels->B(x, y), 0x99);
  }
}

TEST(ZolvexProgram, SnapshotFormatFollowsTheExtension) {
  zolvex::test::TempDir dir;
  for (std::string name : {"frame.bmp", "frame.jpg"}) {
    std::string out = dir.File(name);
    ASSERT_EQ(RunCommand(Program() + " --headless --size 64x48 --param BackgroundColor=#FF0000 --snapshot " + out +
                         " >/dev/null 2>&1"),
              0);
    auto pixels = zolvex::test::MagickRead(out);
    ASSERT_TRUE(pixels) << name;
    EXPECT_EQ(pixels->width, 64);
    EXPECT_GE(pixels->R(10, 10), 250) << name;
    EXPECT_LE(pixels->G(10, 10), 5) << name;
  }
}

TEST(ZolvexProgram, HelpListsTheOptionsAndBadUsageExitsTwo) {
  std::string help;
  EXPECT_EQ(RunCommand(Program() + " --help", &help), 0);
  for (const char* option : {"--headless", "--size", "--param", "--snapshot", "--timeout", "--help"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  std::string hint;
  EXPECT_EQ(RunCommand(Program() + " --size big 2>&1", &hint), 2);
  EXPECT_EQ(std::count(hint.begin(), hint.end(), '\n'), 1) << hint;
  // Numbers beyond int do not wrap into a small size.
  for (const char* size : {"4294967297x2", "2x4294967298", "0x5", "-1x5", "16385x10", "10x", "x10", "10x10x", "1e3x5"}) {
    EXPECT_EQ(RunCommand(Program() + " --headless --size " + size + " --snapshot /dev/null >/dev/null 2>&1"), 2)
        << size;
  }
  EXPECT_EQ(RunCommand(Program() + " --timeout 99999999999999999999 >/dev/null 2>&1"), 2);
  EXPECT_EQ(RunCommand(Program() + " --bogus >/dev/null 2>&1"), 2);
  EXPECT_EQ(RunCommand(Program() + " --param novalue >/dev/null 2>&1"), 2);
}

// A mosaic index with more cells than allowed exists: the message says it is too large and
// what the limit is, not that the file is missing.
TEST(ZolvexProgram, AMosaicWithTooManyCellsIsReportedAsTooLarge) {
  zolvex::test::TempDir dir;
  std::string index = dir.File("huge.mon");
  std::ofstream(index) << "[Info]\nWidth=100000\nHeight=100000\n[Files]\nFile1=a.ktq\n";
  std::string output;
  EXPECT_EQ(RunCommand(Program() + " --headless --timeout 5 --snapshot " + dir.File("out.png") + " '" + index +
                           "' 2>&1",
                       &output),
            1);
  EXPECT_NE(output.find("too large"), std::string::npos) << output;
  EXPECT_NE(output.find("1048576"), std::string::npos) << output;
  EXPECT_EQ(output.find("not found"), std::string::npos) << output;
}
