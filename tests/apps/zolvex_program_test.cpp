#include <gtest/gtest.h>

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
  EXPECT_EQ(RunCommand(Program() + " --bogus >/dev/null 2>&1"), 2);
  EXPECT_EQ(RunCommand(Program() + " --param novalue >/dev/null 2>&1"), 2);
}
