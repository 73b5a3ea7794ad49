#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "image/ViewImage.h"
#include "image/qmImageUtils.h"
#include "objects/BoxObject.h"
#include "objects/CComponentRect.h"
#include "objects/EllipseObject.h"
#include "objects/LineObject.h"
#include "objects/PolyVectorObject.h"
#include "objects/ShapeMaker.h"
#include "tests/objects/RecordingView.h"
#include "tests/support/TestSupport.h"

namespace zolvex {
namespace {

using test::RecordingView;

ShapeElement Element(std::string tag, std::vector<std::pair<std::string, std::string>> attributes,
                     std::vector<platform::Point> points = {}) {
  return {std::move(tag), std::move(attributes), std::move(points)};
}

class ShapeMakerTest : public ::testing::Test {
 protected:
  // A maker whose pictures come from the test's folder and that counts its fetches.
  ShapeMakerTest()
      : maker([this](const std::string& url) -> std::optional<std::vector<std::uint8_t>> {
          fetched.push_back(url);
          std::ifstream in(url, std::ios::binary);
          if (!in) return std::nullopt;
          return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }) {
    view.ShowDocument(1000, 1000, 1.0);
  }
  void WritePicture(const std::string& name, int width, int height) {
    ViewImage picture(width, height, 24);
    ASSERT_TRUE(qmImageUtils::saveImage(picture, dir.File(name)));
  }
  template <class T>
  std::unique_ptr<T> Make(const ShapeElement& element) {
    std::unique_ptr<MapObject> object = maker.Make(element, dir.Path() + "/", &view);
    T* typed = dynamic_cast<T*>(object.get());
    EXPECT_NE(typed, nullptr) << element.tagName;
    if (!typed) return nullptr;
    object.release();
    return std::unique_ptr<T>(typed);
  }

  test::TempDir dir;
  RecordingView view;
  std::vector<std::string> fetched;
  ShapeMaker maker;
};

TEST_F(ShapeMakerTest, RectangleSizesFallBackFromCornersToSizeToPictureToTen) {
  WritePicture("p40x30.bmp", 40, 30);
  const struct {
    std::vector<std::pair<std::string, std::string>> attributes;
    platform::Rect expected;
  } cases[] = {
      {{{"x", "100"}, {"y", "100"}}, platform::Rect::FromSize(95, 95, 10, 10)},
      {{{"x", "100"}, {"y", "100"}, {"src", "p40x30.bmp"}}, platform::Rect::FromSize(80, 85, 40, 30)},
      {{{"x", "10"}, {"y", "20"}, {"bx", "50"}, {"by", "60"}}, platform::Rect::FromSize(10, 20, 40, 40)},
      // bx before x: a negative width falls back to width and height
      {{{"x", "60"}, {"y", "20"}, {"bx", "50"}, {"by", "60"}, {"width", "30"}, {"height", "25"}},
       platform::Rect::FromSize(60, 20, 30, 25)},
      {{{"x", "7"}, {"y", "9"}, {"width", "-5"}, {"height", "25"}}, platform::Rect::FromSize(2, 4, 10, 10)},
      {{{"x", "x"}, {"y", ""}, {"width", "abc"}}, platform::Rect::FromSize(-5, -5, 10, 10)},
      // huge corners are kept within 2^30 and their difference saturates
      {{{"x", "-99999999999"}, {"y", "0"}, {"bx", "2147483647"}, {"by", "5"}},
       platform::Rect::FromSize(-(1 << 30), 0, 2147483647, 5)},
  };
  for (const auto& c : cases) {
    auto rect = Make<CComponentRect>(Element("rect", c.attributes));
    ASSERT_TRUE(rect);
    EXPECT_EQ(platform::Rect::FromSize(rect->GetX(), rect->GetY(), rect->GetWidth(), rect->GetHeight()), c.expected)
        << c.attributes.size();
    EXPECT_EQ(rect->GetLayer(), 2);
  }
}

TEST_F(ShapeMakerTest, OutlineIsOnForRectanglesAndPicturesThatCouldNotBeLoaded) {
  WritePicture("p.bmp", 4, 4);
  auto plain = Make<CComponentRect>(Element("rectangle", {{"x", "1"}}));
  auto plainOff = Make<CComponentRect>(Element("rect", {{"outline", "NO"}}));
  auto picture = Make<CComponentRect>(Element("img", {{"src", "p.bmp"}}));
  auto pictureOn = Make<CComponentRect>(Element("img", {{"src", "p.bmp"}, {"outline", "yes"}, {"color", "#00ff00"}}));
  auto missing = Make<CComponentRect>(Element("img", {{"src", "missing.bmp"}, {"outline", "no"}}));
  EXPECT_TRUE(plain->HasOutline());
  EXPECT_FALSE(plainOff->HasOutline());
  EXPECT_FALSE(picture->HasOutline());
  EXPECT_NE(picture->GetNormalPicture(), nullptr);
  EXPECT_TRUE(pictureOn->HasOutline());
  EXPECT_EQ(pictureOn->GetColor(), platform::MakeColor(0, 255, 0));
  EXPECT_TRUE(missing->HasOutline());
  EXPECT_EQ(missing->GetNormalPicture(), nullptr);
  // The same source twice in a row is fetched once.
  EXPECT_EQ(std::count(fetched.begin(), fetched.end(), dir.Path() + "/p.bmp"), 1);
}

TEST_F(ShapeMakerTest, ThicknessZeroPerShape) {
  auto rect = Make<CComponentRect>(Element("rect", {{"thickness", "0"}}));
  auto box = Make<BoxObject>(Element("box", {{"thickness", "0"}}));
  auto polyline = Make<PolyVectorObject>(Element("polyvector", {{"thickness", "0"}}));
  auto polylineWidth = Make<PolyVectorObject>(Element("polyvector", {{"width", "4"}}));
  auto line = Make<LineObject>(Element("line", {{"thickness", "-3"}}));
  EXPECT_EQ(rect->GetThickness(), 1);
  EXPECT_EQ(box->GetThickness(), 0);
  EXPECT_EQ(polyline->GetThickness(), 1);
  EXPECT_EQ(polylineWidth->GetThickness(), 4);
  EXPECT_EQ(line->GetThickness(), -3);
}

TEST_F(ShapeMakerTest, CommonAttributesAndPostSteps) {
  auto rect = Make<CComponentRect>(Element(
      "RECT", {{"x", "5"}, {"minlevel", "2"}, {"halign", "right"}, {"co-ordinate", "screen"}, {"name", "a"},
               {"_extra", "v"}, {"layer", "7"}, {"eventlisten", "yes"}, {"tooltipsize", "0"}, {"href", "next.xml"}}));
  EXPECT_EQ(rect->GetMinLevel(), 1);
  EXPECT_EQ(rect->GetMaxLevel(), 9999);
  EXPECT_EQ(rect->GetProperty("maxlevel"), "10000");
  EXPECT_EQ(rect->GetAlignment(), 4 | 8);
  EXPECT_TRUE(rect->IsScreenCoordinates());
  EXPECT_EQ(rect->GetProperty("name"), "a");
  EXPECT_EQ(rect->GetProperty("_extra"), "v");
  EXPECT_EQ(rect->GetProperty("tooltipsize"), "14");
  EXPECT_EQ(rect->GetProperty("tooltipfont"), "Arial");
  EXPECT_EQ(rect->GetLayer(), 7);
  EXPECT_TRUE(rect->IsEventListening());
  EXPECT_EQ(rect->GetLink(), "next.xml");
  EXPECT_EQ(rect->GetView(), &view);
  EXPECT_EQ(maker.Make(Element("unknown", {}), "", &view), nullptr);
}

TEST_F(ShapeMakerTest, SoundLinksToItsSourceOrStopsTheAudio) {
  auto sound = Make<CComponentRect>(Element("sound", {{"src", "a.wav"}, {"x", "50"}, {"y", "50"}}));
  auto stopper = Make<CComponentRect>(Element("sound", {{"src", "a.wav"}, {"soundonmouse", "yes"}}));
  EXPECT_EQ(sound->GetLink(), dir.Path() + "/a.wav");
  EXPECT_EQ(stopper->GetLink(), "exec:stopaudio");
  EXPECT_EQ(sound->GetNormalPicture(), nullptr);
  EXPECT_EQ(platform::Rect::FromSize(sound->GetX(), sound->GetY(), sound->GetWidth(), sound->GetHeight()),
            platform::Rect::FromSize(45, 45, 10, 10));
  EXPECT_TRUE(fetched.empty());
}

TEST_F(ShapeMakerTest, BoxTurnsItsCorners) {
  auto box = Make<BoxObject>(Element("box", {{"x", "0"}, {"y", "0"}, {"bx", "100"}, {"by", "50"}, {"angle", "90"}}));
  const std::array<platform::Point, 4> expected{{{75, -25}, {75, 75}, {25, 75}, {25, -25}}};
  EXPECT_EQ(box->GetCorners(), expected);
  EXPECT_EQ(platform::Rect::FromSize(box->GetX(), box->GetY(), box->GetWidth(), box->GetHeight()),
            platform::Rect::FromSize(25, -25, 50, 100));
  EXPECT_EQ(box->GetXml(), "");
}

TEST_F(ShapeMakerTest, PieNeedsAllFourRadicals) {
  auto three = Make<EllipseObject>(
      Element("ellipse", {{"drawpie", "yes"}, {"radicalx1", "1"}, {"radicaly1", "2"}, {"radicalx2", "3"}}));
  auto four = Make<EllipseObject>(Element(
      "ellipse", {{"drawpie", "yes"}, {"radicalx1", "1"}, {"radicaly1", "2"}, {"radicalx2", "3"}, {"radicaly2", "4"}}));
  auto stored = Make<EllipseObject>(
      Element("ellipse", {{"radicalx1", "1"}, {"radicaly1", "2"}, {"radicalx2", "3"}, {"radicaly2", "4"}}));
  EXPECT_FALSE(three->IsPie());
  EXPECT_TRUE(four->IsPie());
  EXPECT_FALSE(stored->IsPie());
  EXPECT_EQ(stored->GetRadialPoint2(), (platform::Point{3, 4}));
}

TEST_F(ShapeMakerTest, LineArrowsAndBadNumbers) {
  const struct {
    std::string arrow, length;
    int expectedArrow;
    double expectedLength;
  } cases[] = {
      {"head", "0.5", LineObject::kArrowHead, 1.0},  {"TAIL", "", LineObject::kArrowTail, 20.0},
      {"both", "33.5", LineObject::kArrowBoth, 33.5}, {"sideways", "nan", LineObject::kNoArrow, 1.0},
      {"", "-8", LineObject::kNoArrow, -8.0},
  };
  for (const auto& c : cases) {
    auto line = Make<LineObject>(Element("line", {{"arrow", c.arrow}, {"arrowlength", c.length}}));
    EXPECT_EQ(line->GetArrow(), c.expectedArrow) << c.arrow;
    EXPECT_DOUBLE_EQ(line->GetArrowLength(), c.expectedLength) << c.length;
  }
}

TEST_F(ShapeMakerTest, PolylineTakesItsPointsInOrder) {
  auto polyline = Make<PolyVectorObject>(
      Element("polyvector", {{"close", "yes"}, {"isfreehand", "yes"}}, {{1, 2}, {3, 4}, {5, 6}}));
  EXPECT_EQ(polyline->GetPoints(), (std::vector<platform::Point>{{1, 2}, {3, 4}, {5, 6}}));
  EXPECT_TRUE(polyline->IsClosed());
  EXPECT_FALSE(polyline->IsPointMode());
}

}  // namespace
}  // namespace zolvex
