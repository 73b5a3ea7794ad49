#include <gtest/gtest.h>

#include "control/ViewWindow.h"
#include <fstream>

#include "documents/MapDocument.h"
#include "objects/CComponentRect.h"
#include "platform/Platform.h"
#include "tests/support/TestSupport.h"

using namespace zolvex;

namespace {

// Real input from the X server: xdotool moves the pointer and presses the buttons over the
// GTK window (without a window manager the window sits at the screen's top-left corner).
class DesktopInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!platform::DisplayAvailable()) GTEST_SKIP() << "no display (scripts/test.sh runs this under Xvfb)";
    if (test::RunCommand("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is not installed";
    std::string ktq = dir_.File("synth.ktq");
    ASSERT_EQ(test::RunCommand(std::string(KTQTOOL_PROGRAM) + " synth '" + ktq + "' --size 2048 >/dev/null 2>&1"), 0);
    platform::PlatformOptions options;
    options.backend = platform::Backend::Gtk;
    options.width = 400;
    options.height = 300;
    options.settingsFile = dir_.File("settings.ini");
    std::string error;
    platform_ = platform::CreatePlatform(options, error);
    ASSERT_TRUE(platform_) << error;
    window_ = std::make_unique<ViewWindow>(*platform_, std::vector<std::pair<std::string, std::string>>{
                                                           {"CustomErrorHandling", "yes"}});
    ASSERT_TRUE(window_->Open(ktq, error)) << error;
    Pump(500);
  }
  void TearDown() override {
    window_.reset();
    platform_.reset();
  }

  void Pump(std::uint32_t ms) { platform_->Window().RunFor(ms); }
  void Xdotool(const std::string& arguments) {
    ASSERT_EQ(test::RunCommand("xdotool " + arguments + " >/dev/null 2>&1"), 0) << arguments;
    Pump(300);
  }
  MapDocument& Document() { return *window_->View().GetDocument(); }

  test::TempDir dir_;
  std::unique_ptr<platform::Platform> platform_;
  std::unique_ptr<ViewWindow> window_;
};

}  // namespace

TEST_F(DesktopInputTest, ARealClickZoomsInAndARealDragPans) {
  window_->View().MoveTo(0, 0, 3, "left");
  Pump(200);
  ASSERT_EQ(Document().GetLevel(), 2);
  Xdotool("mousemove 200 150 click 1");
  EXPECT_EQ(Document().GetLevel(), 3);

  const int x0 = window_->View().ViewX(), y0 = window_->View().ViewY();
  Xdotool("mousemove 250 200 mousedown 1");
  Xdotool("mousemove 230 190");
  Xdotool("mousemove 200 180");
  Xdotool("mouseup 1");
  EXPECT_EQ(window_->View().ViewX(), x0 + 50);
  EXPECT_EQ(window_->View().ViewY(), y0 + 20);
  EXPECT_EQ(Document().GetLevel(), 3);
}

TEST_F(DesktopInputTest, ARealDragResizesAnEditableRectangle) {
  const std::string markup = dir_.File("shapes.xmml");
  std::ofstream(markup) << "<XMML><BODY><BASEMAP><KTQ SRC=\"synth.ktq\"/></BASEMAP><map>"
                           "<rect co-ordinate=\"screen\" x=\"100\" y=\"100\" width=\"80\" height=\"60\" "
                           "allowediting=\"yes\"/></map></BODY></XMML>";
  std::string error;
  ASSERT_TRUE(window_->Open(markup, error)) << error;
  Pump(300);
  window_->View().SetBrowserProperty("IsEditing", "yes");
  CComponentRect* rect = nullptr;
  for (MapObject* object : Document().GetObjectList())
    if (auto* found = dynamic_cast<CComponentRect*>(object)) rect = found;
  ASSERT_NE(rect, nullptr);
  const int x0 = window_->View().ViewX();

  Xdotool("mousemove 175 155 mousedown 1");  // the bottom-right handle
  Xdotool("mousemove 200 180");
  Xdotool("mousemove 215 195");
  Xdotool("mouseup 1");
  EXPECT_TRUE(rect->IsEditing());
  EXPECT_EQ(rect->GetWidth(), 120);
  EXPECT_EQ(rect->GetHeight(), 100);
  EXPECT_EQ(window_->View().ViewX(), x0) << "the drag went to the rectangle, not the view";
}
