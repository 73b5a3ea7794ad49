#include <gtest/gtest.h>

#include "documents/MapDocument.h"
#include "objects/CComponentRect.h"
#include "objects/LineObject.h"
#include "platform/headless/RecordingServices.h"
#include "tests/xmml/XmmlTestBase.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

constexpr platform::Color kRed = platform::MakeColor(255, 0, 0);
constexpr platform::Color kGreen = platform::MakeColor(0, 255, 0);
constexpr platform::Color kBlue = platform::MakeColor(0, 0, 255);
constexpr platform::Color kYellow = platform::MakeColor(255, 255, 0);
constexpr platform::Color kCyan = platform::MakeColor(0, 255, 255);
constexpr platform::Color kMagenta = platform::MakeColor(255, 0, 255);
constexpr platform::Color kBrown = platform::MakeColor(0x80, 0x40, 0x20);

// Shapes of an XMML map drawn into the headless view's back buffer; the shapes are in
// screen coordinates so that their pixels do not depend on the level the view opens at.
class ShapeRenderTest : public XmmlTest {
 protected:
  void Open(const std::string& shapes) {
    WriteText(File("shapes.xmml"), "<XMML><BODY><BASEMAP><KTQ SRC=\"a.ktq\"/></BASEMAP><map>" + shapes +
                                       "</map></BODY></XMML>");
    ASSERT_FALSE(view_->OpenUrl(File("shapes.xmml"), true, 0, 0, 0).empty());
    view_->DrawFrame(false);
  }
  platform::Color At(int x, int y) { return platform::ColorFromPixel(view_->BackBuffer()->PixelAt(x, y)); }
};

TEST_F(ShapeRenderTest, MapShapesAreMadeAndDrawn) {
  Open(R"(<rect co-ordinate="screen" x="20" y="20" width="60" height="40" fillcolor="#00ff00" color="#ff0000"/>
          <ellipse co-ordinate="screen" x="100" y="20" bx="160" by="80" fillcolor="#0000ff" outline="no"/>
          <ellipse co-ordinate="screen" x="200" y="20" bx="260" by="80" drawpie="yes" radicalx1="260"
                   radicaly1="50" radicalx2="230" radicaly2="20" fillcolor="#ffff00" color="#ffff00"/>
          <line co-ordinate="screen" x1="20" y1="150" x2="120" y2="150" arrow="tail" arrowlength="10"
                thickness="3" color="#ff00ff"/>
          <box co-ordinate="screen" x="200" y="120" bx="260" by="180" angle="45" colorfill="#00ffff"
               color="#00ffff"/>
          <polyvector co-ordinate="screen" color="#804020" thickness="3">
            <POINT x="20" y="200"/><POINT x="120" y="200"/><POINT x="120" y="260"/>
          </polyvector>)");
  // rectangle: fill inside, outline on its edge
  EXPECT_EQ(At(50, 40), kGreen);
  EXPECT_EQ(At(20, 40), kRed);
  EXPECT_EQ(At(79, 40), kRed);
  EXPECT_NE(At(81, 40), kRed);
  // ellipse: filled without outline, the corners of its box untouched
  EXPECT_EQ(At(130, 50), kBlue);
  EXPECT_NE(At(102, 22), kBlue);
  // pie: the quarter from the east ray counter-clockwise to the north ray
  EXPECT_EQ(At(245, 35), kYellow);
  EXPECT_NE(At(215, 65), kYellow);
  EXPECT_NE(At(245, 65), kYellow);
  // line and its arrow head at the second end
  EXPECT_EQ(At(70, 150), kMagenta);
  EXPECT_EQ(At(70, 151), kMagenta);
  EXPECT_NE(At(70, 155), kMagenta);
  EXPECT_EQ(At(115, 153), kMagenta);
  EXPECT_NE(At(105, 158), kMagenta);
  // the box turned by 45 degrees: a diamond
  EXPECT_EQ(At(230, 150), kCyan);
  EXPECT_EQ(At(230, 112), kCyan);
  EXPECT_NE(At(203, 123), kCyan);
  // polyline
  EXPECT_EQ(At(70, 200), kBrown);
  EXPECT_EQ(At(120, 230), kBrown);
  EXPECT_NE(At(70, 230), kBrown);
}

TEST_F(ShapeRenderTest, APictureThatCannotBeLoadedShowsItsOutline) {
  Open(R"(<img co-ordinate="screen" x="50" y="50" width="40" height="30" src="missing.jpg" color="#ff0000"/>
          <img co-ordinate="screen" x="150" y="50" src="pic.jpg" outline="no"/>)");
  EXPECT_EQ(At(50, 60), kRed);
  EXPECT_EQ(At(89, 60), kRed);
  // pic.jpg: 30 x 20, blue with a white corner, centred on (150, 50)
  const platform::Color inside = At(150, 50);
  EXPECT_NEAR(platform::BlueOf(inside), 0xe0, 12);
  EXPECT_NEAR(platform::RedOf(inside), 0x20, 12);
  EXPECT_GT(platform::RedOf(At(136, 41)), 0xc0);  // the white corner
}

TEST_F(ShapeRenderTest, SavedMapShapesReadBackTheSame) {
  Open(R"(<rect x="10" y="20" width="30" height="40" href="goto:1" fillcolor="#102030"/>
          <line x1="1" y1="2" x2="300" y2="400" arrow="both" _note="kept"/>)");
  std::string saved;
  for (MapObject* object : view_->GetDocument()->GetObjectList()) saved += object->GetXml();
  EXPECT_EQ(saved,
            R"(<rect x="10" y="20" width="30" height="40" href="goto:1" outline="yes" allowediting="no" fillcolor="#102030" thickness="1"/>)"
            R"(<line  x1="1" y1="2" x2="300" y2="400" color="#3232ff" arrow="both" _note="kept"/>)");
}

// A document on disk with one object of every kind: each is made by the view's object
// factory and drawn at its place.
TEST_F(ShapeRenderTest, OneObjectOfEveryKindIsDrawnAtItsPlace) {
  Open("");
  const std::size_t ownObjects = view_->GetDocument()->GetObjectList().size();
  Open(R"(<rect co-ordinate="screen" x="10" y="10" width="40" height="30" fillcolor="#00ff00" outline="no"/>
          <img co-ordinate="screen" x="80" y="25" src="pic.jpg"/>
          <sound co-ordinate="screen" x="130" y="25" color="#ff0000"/>
          <ellipse co-ordinate="screen" x="160" y="10" bx="200" by="40" fillcolor="#0000ff" outline="no"/>
          <box co-ordinate="screen" x="220" y="10" bx="260" by="40" colorfill="#00ffff" color="#00ffff"/>
          <line co-ordinate="screen" x1="10" y1="70" x2="100" y2="70" thickness="3" color="#ff00ff"/>
          <polyvector co-ordinate="screen" color="#804020" thickness="3"><POINT x="120" y="70"/><POINT x="200" y="70"/></polyvector>
          <text co-ordinate="screen" x="10" y="100" text="WWWW" size="24" color="#ff0000"/>
          <note co-ordinate="screen" x="120" y="100" width="30" height="30"/>
          <movie co-ordinate="screen" x="200" y="100" width="60" height="40" src="clip.ogv"/>
          <flash co-ordinate="screen" x="280" y="100" width="40" height="40"/>
          <gviewer co-ordinate="screen" x="340" y="100" width="40" height="40"/>
          <unknownthing x="1" y="1"/>)");
  EXPECT_EQ(view_->GetDocument()->GetObjectList().size(), ownObjects + 12) << "all but the unknown element";
  EXPECT_EQ(At(30, 25), kGreen);
  EXPECT_NEAR(platform::BlueOf(At(80, 25)), 0xe0, 12);  // pic.jpg, 30 x 20 centred on its point
  EXPECT_EQ(At(125, 25), kRed);                         // the sound button's outline, 10 x 10
  EXPECT_EQ(At(180, 25), kBlue);
  EXPECT_EQ(At(240, 25), kCyan);
  EXPECT_EQ(At(50, 70), kMagenta);
  EXPECT_EQ(At(160, 70), kBrown);
  int textPixels = 0;
  for (int y = 100; y < 130; ++y)
    for (int x = 10; x < 100; ++x) textPixels += At(x, y) == kRed;
  EXPECT_GT(textPixels, 30) << "the text's letters";
  EXPECT_EQ(At(135, 115), platform::MakeColor(0xFF, 0xF0, 0x80));  // the note's sign
  for (int x : {230, 300, 360}) EXPECT_EQ(At(x, 120), platform::MakeColor(0, 0, 0)) << x;  // media areas
  EXPECT_EQ(platform_->Recorder()->MediaCalls(),
            (std::vector<std::string>{"open:" + File("clip.ogv"), "play:" + File("clip.ogv")}));
}

TEST_F(ShapeRenderTest, TheBackButtonShowsItsOwnPicture) {
  Open("");
  view_->SetBrowserProperty("touchscreen", "yes");
  view_->DrawFrame(false);
  // The button's picture: 48 x 48 at (10, 58), a dark disc with a white arrow; the corners
  // are its transparent colour.
  EXPECT_EQ(At(30, 62), platform::MakeColor(0x46, 0x46, 0x46));
  EXPECT_EQ(At(10 + 30, 58 + 24), platform::MakeColor(255, 255, 255));
  EXPECT_NE(At(11, 59), kMagenta);
}

}  // namespace

namespace {

constexpr unsigned kLeftDown = 1;

// Mouse editing through the view's own input handling, as the window delivers it.
class ShapeInputTest : public ShapeRenderTest {
 protected:
  void Drag(platform::Point from, platform::Point to) {
    view_->OnMouseMove(from.x, from.y, 0, ++time_);
    view_->OnLButtonDown(from.x, from.y, kLeftDown, ++time_);
    view_->OnMouseMove((from.x + to.x) / 2, (from.y + to.y) / 2, kLeftDown, time_ += 50);
    view_->OnMouseMove(to.x, to.y, kLeftDown, time_ += 50);
    view_->OnLButtonUp(to.x, to.y, 0, time_ += 50);
  }
  template <class T>
  T* Find() {
    for (MapObject* object : view_->GetDocument()->GetObjectList())
      if (auto* typed = dynamic_cast<T*>(object)) return typed;
    return nullptr;
  }
  std::uint64_t time_ = 1000;
};

TEST_F(ShapeInputTest, AnEditableRectIsResizedAndMovedWithTheMouse) {
  Open(R"(<rect co-ordinate="screen" x="100" y="100" width="80" height="60" allowediting="yes"/>)");
  view_->SetBrowserProperty("IsEditing", "yes");
  auto* rect = Find<CComponentRect>();
  ASSERT_NE(rect, nullptr);
  const int viewX = view_->ViewX();
  Drag({175, 155}, {215, 195});  // the bottom-right handle
  EXPECT_TRUE(rect->IsEditing());
  EXPECT_EQ(rect->GetWidth(), 120);
  EXPECT_EQ(rect->GetHeight(), 100);
  Drag({104, 130}, {54, 80});  // the left strip moves it
  EXPECT_EQ(rect->GetX(), 50);
  EXPECT_EQ(rect->GetY(), 50);
  EXPECT_EQ(view_->ViewX(), viewX) << "the view does not pan while an object is dragged";
  view_->DrawFrame(false);
  EXPECT_EQ(At(51, 51), platform::MakeColor(255, 255, 0)) << "the handle of the edited rect";
}

TEST_F(ShapeInputTest, ALineIsDrawnWithTheMouseAfterCreateObject) {
  Open("");
  view_->SetBrowserProperty("IsEditing", "yes");
  ASSERT_TRUE(view_->Execute("CreateObject", R"(line,co-ordinate="screen" allowediting="yes" color="#ff0000" mouseovercolor="#ff0000")"));
  EXPECT_NE(view_->GetBrowserProperty("iscreating"), "-1");
  Drag({40, 40}, {140, 90});
  auto* line = Find<LineObject>();
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->GetFirst(), (platform::Point{40, 40}));
  EXPECT_EQ(line->GetSecond(), (platform::Point{140, 90}));
  EXPECT_FALSE(line->IsBeingCreated());
  EXPECT_TRUE(line->IsEditing());
  EXPECT_EQ(view_->GetBrowserProperty("iscreating"), "-1") << "creation mode ended";
  // A later CreateObject leaves the finished line in place.
  ASSERT_TRUE(view_->Execute("CreateObject", R"(rect,co-ordinate="screen")"));
  EXPECT_EQ(Find<LineObject>(), line);
  view_->DrawFrame(false);
  EXPECT_EQ(At(90, 65), platform::MakeColor(255, 0, 0));
}

}  // namespace
