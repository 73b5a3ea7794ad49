#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace {

using zolvex::test::RunCommand;

// A tiled picture of 1200 x 900 with lossless tiles, and the zolvex program saving its areas.
class SaveAreaProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    png_ = dir_.File("picture.png");
    ktq_ = dir_.File("picture.ktq");
    ASSERT_TRUE(zolvex::test::MagickRun("-size 1200x900 gradient:yellow-navy -swirl 90 -depth 8 '" + png_ + "'"));
    ASSERT_EQ(RunCommand(std::string(KTQTOOL_PROGRAM) + " build '" + png_ + "' '" + ktq_ +
                         "' --tile 256 --codec png >/dev/null 2>&1"),
              0);
  }
  int Save(const std::string& arguments, std::string* output = nullptr) {
    return RunCommand(std::string(ZOLVEX_PROGRAM) + " --headless --save-area " + arguments + " 2>&1", output);
  }
  zolvex::test::TempDir dir_;
  std::string png_;
  std::string ktq_;
};

// Level 4 of 4 is the full picture: the saved area is ImageMagick's crop of the source,
// exactly for PNG and BMP, closely for JPEG.
TEST_F(SaveAreaProgram, TheSavedAreaIsTheSourcePicturesCrop) {
  const std::string reference = dir_.File("reference.png");
  ASSERT_TRUE(zolvex::test::MagickRun("'" + png_ + "' -crop 700x500+300+200 +repage '" + reference + "'"));
  const auto expected = zolvex::test::MagickRead(reference);
  ASSERT_TRUE(expected);
  for (const char* name : {"out.png", "out.bmp", "out.jpg"}) {
    const std::string out = dir_.File(name);
    std::string output;
    ASSERT_EQ(Save("300,200,700,500,4 '" + out + "' '" + ktq_ + "'", &output), 0) << output;
    EXPECT_EQ(output, out + "\n");
    auto saved = zolvex::test::MagickRead(out);
    ASSERT_TRUE(saved) << name;
    if (std::string(name) == "out.jpg") {
      EXPECT_GT(zolvex::test::Psnr(*saved, *expected), 40.0);
    } else {
      EXPECT_EQ(zolvex::test::MaxChannelDifference(*saved, *expected), 0) << name;
    }
  }
}

TEST_F(SaveAreaProgram, AFileThatCannotBeMadeExitsOneWithAMessage) {
  struct Case {
    std::string arguments;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"0,0,10,10,5 '" + dir_.File("a.png") + "' '" + ktq_ + "'", 1, "level 5 does not exist"},
      {"0,0,10,10,1 /nonexistent-folder/a.png '" + ktq_ + "'", 1, "Cannot write /nonexistent-folder/a.png"},
      {"0,0,10,10,1 '" + dir_.File("a.png") + "' '" + dir_.File("missing.ktq") + "'", 1, "not found"},
      {"0,0,10,10,1 '" + dir_.File("a.png") + "'", 1, "needs an image"},
      {"0,0,0,10,1 '" + dir_.File("a.png") + "' '" + ktq_ + "'", 2, "--save-area takes"},
      {"0,0,10,10,0 '" + dir_.File("a.png") + "' '" + ktq_ + "'", 2, "--save-area takes"},
      {"0,0,10,10 '" + dir_.File("a.png") + "' '" + ktq_ + "'", 2, "--save-area takes"},
      {"0,0,10,10,1", 2, "needs a value"},
  };
  for (const Case& c : cases) {
    std::string output;
    EXPECT_EQ(Save(c.arguments, &output), c.status) << c.arguments;
    EXPECT_NE(output.find(c.message), std::string::npos) << c.arguments << ": " << output;
  }
  EXPECT_NE(RunCommand("test -e '" + dir_.File("a.png") + "'"), 0);
}

}  // namespace
