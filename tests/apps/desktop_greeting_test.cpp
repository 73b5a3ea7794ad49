#include <gtest/gtest.h>

#include "apps/zolvex/DesktopGreeting.h"
#include "platform/Surface.h"
#include "tests/control/ControlFixture.h"

using namespace zolvex;
using host::DesktopGreeting;

namespace {

constexpr platform::Color kPanel = 0x2E3440;

class DesktopGreetingTest : public test::ControlTest {
 protected:
  void StartGreeting() {
    greeting_ = std::make_unique<DesktopGreeting>(Control(), Host());
    sink_.onEvent = [this](const ControlEvent& event) { greeting_->OnEvent(event); };
    greeting_->Start();
    Pump();
  }
  void TearDown() override {
    sink_.onEvent = nullptr;
    greeting_.reset();
    ControlTest::TearDown();
  }
  // A pixel above the middle of the window, inside the message's panel when one is shown.
  platform::Color PanelProbe() {
    Control().View()->Redraw();
    return Control().View()->BackBuffer()->PixelAt(200, 100) & 0xFFFFFF;
  }
  std::unique_ptr<DesktopGreeting> greeting_;
};

}  // namespace

TEST(DesktopGreetingTitle, NamesTheDocumentWithoutItsPathOrPosition) {
  const std::pair<const char*, const char*> cases[] = {
      {"ktq://host:30777/maps/a.ktq,100,200,3", "a.ktq \u2014 Zolvex"},
      {"C:\\maps\\b.mon", "b.mon \u2014 Zolvex"},
      {"/data/scans/", "scans \u2014 Zolvex"},
      {"", "Zolvex"},
  };
  for (const auto& [url, title] : cases) EXPECT_EQ(DesktopGreeting::TitleFor(url), title) << url;
}

TEST_F(DesktopGreetingTest, AnEmptyWindowSaysHowToOpenAPicture) {
  Create();
  StartGreeting();
  EXPECT_EQ(Host().Title(), "Zolvex");
  EXPECT_EQ(greeting_->ShownText(), DesktopGreeting::StartHint());
  EXPECT_NE(greeting_->ShownText().find("Ctrl+O"), std::string::npos);
  EXPECT_EQ(PanelProbe(), kPanel);
}

TEST_F(DesktopGreetingTest, AFailedLoadLeavesItsReasonAndALoadedOneClearsIt) {
  Create();
  StartGreeting();
  Control().SetProperty("Url", File("missing.ktq"));
  Pump();
  const std::string shown = greeting_->ShownText();
  EXPECT_EQ(shown.rfind("Cannot open missing.ktq\n", 0), 0u) << shown;
  EXPECT_NE(shown.find("not found"), std::string::npos) << shown;
  EXPECT_EQ(Host().Title(), "Zolvex");
  EXPECT_EQ(PanelProbe(), kPanel);

  Control().SetProperty("Url", File("a.ktq"));
  Pump();
  EXPECT_EQ(greeting_->ShownText(), "");
  EXPECT_EQ(Host().Title(), "a.ktq \u2014 Zolvex");
  EXPECT_NE(PanelProbe(), kPanel);
}

TEST_F(DesktopGreetingTest, AFirstUrlThatFailsKeepsItsReasonOverTheStartHint) {
  CreateWith("missing.ktq");
  greeting_ = std::make_unique<DesktopGreeting>(Control(), Host());
  for (const ControlEvent& event : sink_.events) greeting_->OnEvent(event);
  greeting_->Start();
  EXPECT_EQ(greeting_->ShownText().rfind("Cannot open missing.ktq", 0), 0u) << greeting_->ShownText();
}
