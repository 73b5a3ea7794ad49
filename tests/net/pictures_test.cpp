#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "net/Pictures.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TestSupport.h"

namespace zolvex {
namespace {

using test::HttpTestServer;
using Response = HttpTestServer::Response;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Largest channel difference between a decoded picture and ImageMagick's reading.
int DifferenceFromMagick(const ViewImage& image, const test::MagickPixels& expected) {
  if (image.getWidth() != expected.width || image.getHeight() != expected.height) return 1000;
  int worst = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      qmRGBQuad c = image.getPixelColor(x, y);
      worst = std::max({worst, std::abs(c.red - expected.R(x, y)), std::abs(c.green - expected.G(x, y)),
                        std::abs(c.blue - expected.B(x, y))});
    }
  }
  return worst;
}

// One small gradient in each format, written once by ImageMagick for the whole suite.
class Pictures : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (test::MagickCommand().empty()) return;
    dir_ = new test::TempDir;
    for (std::string ext : {"jpg", "png", "gif", "bmp"}) {
      if (!test::MagickRun("-size 24x16 gradient:red-blue -depth 8 " + ext + ":" + Path(ext))) return;
    }
    ready_ = true;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (!ready_) GTEST_SKIP() << "ImageMagick is not installed or cannot write the pictures";
  }
  static std::string Path(const std::string& ext) { return dir_->File("p." + ext); }
  static inline test::TempDir* dir_ = nullptr;
  static inline bool ready_ = false;
};

TEST(FormatFromExtension, ChoosesByTheLastFourCharacters) {
  EXPECT_EQ(FormatFromExtension("a.GIF"), 37766);
  EXPECT_EQ(FormatFromExtension("http://h/a.tga"), 37721);
  EXPECT_EQ(FormatFromExtension("a.Bmp"), 37900);
  for (const char* name : {"a.png", "a.tif", "a.jpg", "a.jpeg", "gif", ""}) EXPECT_EQ(FormatFromExtension(name), 37732) << name;
}

TEST_F(Pictures, LoadsByUrlAndDecodesByTheUrlsExtension) {
  HttpTestServer server;
  for (const char* ext : {"jpg", "png", "gif", "bmp"}) server.Route(std::string("/p.") + ext, Response::Text(ReadText(Path(ext))));

  auto jpeg = LoadPictureFromUrl(server.Url("/p.jpg"));
  ASSERT_TRUE(jpeg);
  EXPECT_LE(DifferenceFromMagick(*jpeg, *test::MagickRead(Path("jpg"))), 3);
  auto gif = LoadPictureFromUrl(server.Url("/p.gif"));
  ASSERT_TRUE(gif);
  EXPECT_EQ(DifferenceFromMagick(*gif, *test::MagickRead(Path("gif"))), 0);
  auto bmp = LoadPictureFromUrl("file://" + Path("bmp"));
  ASSERT_TRUE(bmp);
  EXPECT_EQ(DifferenceFromMagick(*bmp, *test::MagickRead(Path("bmp"))), 0);
  // ".png" names the JPEG decoder, but the data's own signature decides.
  auto png = LoadPictureFromUrl(server.Url("/p.png"));
  ASSERT_TRUE(png);
  EXPECT_EQ(DifferenceFromMagick(*png, *test::MagickRead(Path("png"))), 0);
  EXPECT_FALSE(LoadPictureFromUrl(server.Url("/missing.jpg")));
  EXPECT_FALSE(LoadPictureFromUrl("a.j"));
}

TEST_F(Pictures, DecodesFromMemoryAndFiles) {
  std::string png = ReadText(Path("png"));
  auto bytes = reinterpret_cast<const std::uint8_t*>(png.data());
  auto detected = DecodePicture(bytes, png.size(), -1);
  ASSERT_TRUE(detected);
  EXPECT_EQ(DifferenceFromMagick(*detected, *test::MagickRead(Path("png"))), 0);
  EXPECT_FALSE(DecodePicture(bytes, 0, -1));
  EXPECT_FALSE(DecodePicture(nullptr, 10, -1));
  EXPECT_FALSE(DecodePicture(bytes, png.size() / 3, 37919));

  auto fromFile = LoadPictureFromFile(Path("png"));
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(DifferenceFromMagick(*fromFile, *test::MagickRead(Path("png"))), 0);
  EXPECT_FALSE(LoadPictureFromFile(dir_->File("none.png")));
}

TEST_F(Pictures, BitmapResourcesTakeTheirTopLeftColourAsTransparent) {
  std::string bmp = ReadText(Path("bmp"));
  std::string askedFor;
  ResourceLookup module = [&](const std::string& name) -> std::optional<std::span<const unsigned char>> {
    askedFor = name;
    if (name != "IDB_TEST") return std::nullopt;
    return std::span<const unsigned char>(reinterpret_cast<const unsigned char*>(bmp.data()), bmp.size());
  };
  auto image = LoadBitmapResource("IDB_TEST", module);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->info().transparentColor.red, image->getPixelColor(0, 0).red);
  EXPECT_EQ(image->info().transparentColor.blue, image->getPixelColor(0, 0).blue);
  EXPECT_GT(image->getPixelColor(0, 0).red, 200);  // the gradient starts red

  EXPECT_FALSE(LoadBitmapResource("IDB_NO_SUCH_BITMAP", module));
  EXPECT_FALSE(LoadBitmapResource(std::string(150, 'N'), module));
  EXPECT_EQ(askedFor.size(), 99u);
  EXPECT_FALSE(LoadPictureResource("NO_SUCH_PICTURE"));
}

}  // namespace
}  // namespace zolvex
