#include <gtest/gtest.h>

#include "control/ControlLogo.h"
#include "control/ControlToolbar.h"
#include "documents/MapDocument.h"
#include "tests/control/ControlFixture.h"
#include "view/ClipTools.h"

namespace zolvex::test {

using platform::MouseAction;
using platform::MouseButton;

// ---- Mouse --------------------------------------------------------------------------------

TEST_F(ControlTest, MouseMessagesReachThePageWithTheirNumbersBeforeTheView) {
  Control().SetProperty("ShowToolbar", "no");
  CreateWith("a.ktq");
  sink_.events.clear();
  Mouse(MouseAction::Move, MouseButton::None, 200, 150);
  // The click zooms in, and the zoom's animation moves the clock on.
  const auto pressed = static_cast<long long>(clock_->NowMs());
  Click(200, 150);
  Mouse(MouseAction::Down, MouseButton::Right, 50, 60);
  Mouse(MouseAction::Up, MouseButton::Right, 50, 60);
  Mouse(MouseAction::DoubleClick, MouseButton::Left, 7, 8);
  Mouse(MouseAction::Down, MouseButton::Middle, 7, 8);
  Mouse(MouseAction::DoubleClick, MouseButton::Right, 7, 8);
  std::vector<std::pair<std::string, int>> fired;
  for (const auto& event : sink_.events) {
    if (event.name != "OnBrowserEvent") fired.emplace_back(event.name, event.dispatchId);
  }
  const std::vector<std::pair<std::string, int>> expected{
      {"OnMouseMove", 4},   {"OnLButtonDown", 6},   {"OnLButtonUp", 5},   {"OnRButtonDown", 8},
      {"OnRButtonUp", 7},   {"OnLButtonDblClk", 13}, {"OnMButtonDown", 11}, {"OnRButtonDblClk", 14}};
  EXPECT_EQ(fired, expected);
  const ControlEvent& down = *sink_.Find("OnLButtonDown");
  ASSERT_EQ(down.arguments.size(), 4u);
  EXPECT_EQ(std::get<long long>(down.arguments[0]), 200);
  EXPECT_EQ(std::get<long long>(down.arguments[1]), 150);
  EXPECT_EQ(std::get<long long>(down.arguments[2]) & platform::kModLeftButton, platform::kModLeftButton);
  EXPECT_EQ(std::get<long long>(down.arguments[3]), pressed);
}

TEST_F(ControlTest, APageThatClearsProcessEventKeepsThePressFromTheView) {
  Control().SetProperty("ShowToolbar", "no");
  CreateWith("a.ktq");
  const int level = Control().GetCurrentLevel();
  sink_.onEvent = [&](const ControlEvent& event) {
    if (event.name == "OnLButtonDown") Control().SetBrowserProperty("Process_Event", "no");
  };
  Click(200, 150);
  EXPECT_EQ(Control().GetCurrentLevel(), level) << "the view never saw the press";
  sink_.onEvent = nullptr;
  Click(200, 150);
  EXPECT_EQ(Control().GetCurrentLevel(), level + 1) << "an ordinary click zooms in";
}

TEST_F(ControlTest, AMiddleReleaseTogglesSnappingToPages) {
  CreateWith("a.ktq");
  MapDocument& document = *Control().View()->GetDocument();
  Mouse(MouseAction::Up, MouseButton::Middle, 10, 10);
  EXPECT_EQ(document.GetParam("snappage"), "yes");
  Mouse(MouseAction::Up, MouseButton::Middle, 10, 10);
  EXPECT_EQ(document.GetParam("snappage"), "no");
  sink_.onEvent = [&](const ControlEvent& event) {
    if (event.name == "OnMButtonUp") Control().SetBrowserProperty("Process_Event", "no");
  };
  Mouse(MouseAction::Up, MouseButton::Middle, 10, 10);
  EXPECT_EQ(document.GetParam("snappage"), "no");
}

TEST_F(ControlTest, TheWheelRunsTheWheelCommandUnlessThePageTurnedItOff) {
  CreateWith("a.ktq");
  Control().SetBrowserProperty("WheelAction", "zoom");
  const int level = Control().GetCurrentLevel();
  platform::WheelEvent wheel;
  wheel.point = {200, 150};
  wheel.delta = 120;
  Host().InjectWheel(wheel);
  Pump();
  EXPECT_EQ(Control().GetCurrentLevel(), level + 1);
  Control().SetBrowserProperty("EnableMouseWheel", "no");
  EXPECT_FALSE(Control().IsMouseWheelEnabled());
  Host().InjectWheel(wheel);
  Pump();
  EXPECT_EQ(Control().GetCurrentLevel(), level + 1);
}

TEST_F(ControlTest, ALinkObjectClickedThroughProcessEventOpensItsTarget) {
  CreateWith("a.ktq");
  const std::string ids =
      Control().AddXMML(R"(<XMML><rect x="0" y="0" width="2048" height="2048" href=")" + File("b.ktq") + R"("/></XMML>)");
  ASSERT_FALSE(ids.empty());
  Control().View()->Redraw();
  Control().ProcessEvent("lbuttondown", 100, 100, 1, 0);
  Control().ProcessEvent("lbuttonup", 100, 100, 0, 0);
  Pump();
  EXPECT_EQ(Control().GetLevelCount(), 2) << Control().GetCurrentURL();
  EXPECT_EQ(sink_.Names().back(), "OnLoaded");
}

// ---- Keys ---------------------------------------------------------------------------------

TEST_F(ControlTest, EveryKeyReachesThePageFirst) {
  CreateWith("a.ktq");
  Pump();
  sink_.events.clear();
  Key(platform::kKeyRight, platform::kModShift);
  ASSERT_FALSE(sink_.events.empty());
  const ControlEvent& key = sink_.events[0];
  EXPECT_EQ(key.arguments, (std::vector<EventArgument>{std::string("key"), std::string("39"), std::string("4")}));
}

TEST_F(ControlTest, KeyboardLinksGoThroughTheControlsKeyHandling) {
  CreateWith("a.ktq");
  sink_.events.clear();
  Control().View()->OpenUrl("keyboard:112", false, 0, 0, 0);  // F1
  Pump();
  ASSERT_FALSE(sink_.BrowserEvents().empty());
  EXPECT_EQ(sink_.BrowserEvents().back(), "key");
  auto records = Dialogs().Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, "message");
  EXPECT_NE(records[0].text.find("Zolvex version"), std::string::npos);
}

TEST_F(ControlTest, HelpListsClippingAndPrintingOnlyWhereAllowed) {
  Create();
  EXPECT_NE(Control().HelpText().find("Ctrl+C"), std::string::npos);
  EXPECT_NE(Control().HelpText().find("F9"), std::string::npos);
  Control().SetProperty("AllowClipping", "no");
  Control().SetProperty("AllowPrinting", "no");
  EXPECT_EQ(Control().HelpText().find("Ctrl+C"), std::string::npos);
  EXPECT_EQ(Control().HelpText().find("F9"), std::string::npos);
  EXPECT_NE(Control().HelpText().find("Ctrl+O"), std::string::npos);
}

TEST_F(ControlTest, CtrlOOpensTheUrlTheUserGives) {
  CreateWith("a.ktq");
  Dialogs().QueueText(File("b.ktq"));
  Key('O', platform::kModControl);
  EXPECT_EQ(Control().GetLevelCount(), 2);
  ASSERT_EQ(Dialogs().Records().size(), 1u);
  EXPECT_EQ(Dialogs().Records()[0].kind, "prompt");
  Key('O', platform::kModControl);  // cancelled: nothing changes
  EXPECT_EQ(Control().GetLevelCount(), 2);
}

TEST_F(ControlTest, SelectorKeyAndCopyFollowTheClippingPermission) {
  CreateWith("a.ktq");
  Key(platform::kKeyF1 + 6);  // F7
  EXPECT_EQ(Control().GetBrowserProperty("selector"), "yes");
  Control().Execute("copy", "");
  EXPECT_EQ(platform_->Recorder()->ClipboardImage().width, 0) << "Execute(copy) is ignored";
  Control().SetProperty("AllowClipping", "no");
  Key(platform::kKeyF1 + 6);
  EXPECT_EQ(Control().GetBrowserProperty("selector"), "yes") << "F7 without permission changes nothing";
}

// The clipping keys: Ctrl+C copies the frame's area, F8 saves it through the save dialog,
// F6 makes the wallpaper, Ctrl+S starts clip editing, and the panel's "Save" opens the clip
// dialog unless the page saves clips itself.
TEST_F(ControlTest, ClippingKeysCopySaveSetTheWallpaperAndOpenTheClipDialog) {
  CreateWith("a.ktq");
  auto& recorder = *platform_->Recorder();
  Key('C', platform::kModControl);
  EXPECT_EQ(recorder.ClipboardImage().width, 0) << "no frame, no copy";
  Key(platform::kKeyF1 + 6);  // F7 shows the frame
  Key('C', platform::kModControl);
  EXPECT_GT(recorder.ClipboardImage().width, 0);
  Dialogs().QueueSaveFile(settings_.File("f8.jpg"));
  Key(platform::kKeyF1 + 7);  // F8
  EXPECT_TRUE(MagickRead(settings_.File("f8.jpg")));
  Key(platform::kKeyF1 + 5);  // F6
  EXPECT_EQ(recorder.Wallpapers().size(), 1u);

  Control().SetProperty("ClippingURL", "http://127.0.0.1:1/clips");
  Control().SetProperty("Categories", "news;");
  Key('S', platform::kModControl);
  ASSERT_TRUE(Control().View()->Clipping().Panel().PanelObject());
  EXPECT_TRUE(Control().View()->Clipping().Panel().PanelObject()->IsVisible());
  Dialogs().ClearRecords();
  Control().Execute("clipsave", "");
  Pump();
  const auto records = Dialogs().Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].caption, "Clipping Dialog");
  EXPECT_TRUE(Control().View()->Clipping().Panel().PanelObject()->IsVisible()) << "cancelled: editing goes on";

  Control().SetBrowserProperty("customclipsave", "yes");
  sink_.events.clear();
  Control().Execute("clipsave", "");
  Pump();
  const auto names = sink_.BrowserEvents();
  EXPECT_NE(std::find(names.begin(), names.end(), "ClipSave"), names.end());
}

TEST_F(ControlTest, ViewEventsReachThePageAsBrowserEvents) {
  CreateWith("a.ktq");
  sink_.events.clear();
  Control().Execute("zoomin", "");
  Pump();
  auto names = sink_.BrowserEvents();
  EXPECT_NE(std::find(names.begin(), names.end(), "levelchanged"), names.end());
}

TEST_F(ControlTest, ResetReopensTheContentWhereTheViewWas) {
  CreateWith("a.ktq");
  Control().MoveTo(300, 200, 3);
  sink_.events.clear();
  Control().Execute("reset", "");
  Pump();
  EXPECT_EQ(sink_.Names(), (std::vector<std::string>{"OnLoading", "OnLoaded"}));
  EXPECT_EQ(Control().GetCurrentLevel(), 3);
  EXPECT_EQ(Control().GetViewportX(), 300);
  EXPECT_EQ(Control().GetViewportY(), 200);
}

// ---- Toolbar ------------------------------------------------------------------------------

TEST_F(ControlTest, TheToolbarHidesAfterThreeSecondsAndItsButtonsAct) {
  CreateWith("a.ktq");
  EXPECT_TRUE(Control().IsToolbarShown());
  Advance(2500);
  EXPECT_TRUE(Control().IsToolbarShown());
  Advance(600);
  EXPECT_FALSE(Control().IsToolbarShown());
  Mouse(MouseAction::Move, MouseButton::None, 300, 200);
  EXPECT_TRUE(Control().IsToolbarShown());
  const int level = Control().GetCurrentLevel();
  const platform::Rect zoomIn = Control().Toolbar().ButtonArea(0);
  sink_.events.clear();
  Click(zoomIn.left + 3, zoomIn.top + 3);
  EXPECT_EQ(Control().GetCurrentLevel(), level + 1);
  const platform::Rect zoomOut = Control().Toolbar().ButtonArea(1);
  Click(zoomOut.left + 3, zoomOut.top + 3);
  EXPECT_EQ(Control().GetCurrentLevel(), level);
  for (const auto& event : sink_.events) EXPECT_NE(event.name, "OnLButtonDown") << "the toolbar keeps its presses";
  const platform::Rect help = Control().Toolbar().ButtonArea(4);
  Click(help.left + 3, help.top + 3);
  ASSERT_EQ(Dialogs().Records().size(), 1u);
  Control().SetBrowserProperty("ShowToolbar", "no");
  EXPECT_FALSE(Control().IsToolbarShown());
}

TEST_F(ControlTest, TheToolbarAndLogoAreDrawnAboveTheFrame) {
  Control().SetProperty("BackgroundColor", "#FFFFFF");
  Create();
  const platform::Surface* frame = Control().OnPaint();
  ASSERT_TRUE(frame);
  const platform::Rect button = Control().Toolbar().ButtonArea(0);
  EXPECT_NE(frame->PixelAt(button.left + 1, button.top + 1) & 0xFFFFFF, 0xFFFFFFu);
  const platform::Rect logo = Control().Logo().Area({400, 300});
  EXPECT_EQ(logo.right, 400 - 6);
  bool logoDrawn = false;
  for (int x = logo.left; x < logo.right && !logoDrawn; ++x) {
    logoDrawn = (frame->PixelAt(x, (logo.top + logo.bottom) / 2) & 0xFFFFFF) != 0xFFFFFFu;
  }
  EXPECT_TRUE(logoDrawn);
  Control().SetProperty("LogoLocation", "disable");
  Control().SetProperty("ShowToolbar", "no");
  frame = Control().OnPaint();
  EXPECT_EQ(frame->PixelAt(button.left + 1, button.top + 1) & 0xFFFFFF, 0xFFFFFFu);
  Control().SetProperty("LogoLocation", "10,20,0");
  EXPECT_EQ(Control().Logo().Area({400, 300}).left, 10);
  EXPECT_EQ(Control().Logo().Area({400, 300}).top, 20);
  Control().SetProperty("LogoLocation", "10,20,9");
  EXPECT_EQ(Control().Logo().Anchor(), 1);
}

// ---- Connection settings ------------------------------------------------------------------

TEST_F(ControlTest, AConfirmedChangeOfConnectionSettingsIsSavedAndReopensTheContent) {
  CreateWith("a.ktq");
  Dialogs().QueueForm(std::map<std::string, std::string>{{"mode", "Behind firewall (HTTP)"}, {"httpport", "8181"}});
  sink_.events.clear();
  Control().Execute("SETUP", "");
  EXPECT_EQ(platform_->Settings().GetProfileString("Zolvex Control 1.1", "firewalled", ""), "1");
  EXPECT_EQ(platform_->Settings().GetProfileString("Zolvex Control 1.1", "https", ""), "0");
  EXPECT_EQ(Control().GetBrowserProperty("firewalled"), "yes");
  EXPECT_EQ(Control().GetProperty("HTTPPort"), "8181");
  EXPECT_EQ(Control().GetBrowserProperty("ClearScreen"), "yes");
  EXPECT_EQ(sink_.Names(), (std::vector<std::string>{"OnLoading", "OnLoaded"}));
  // Cancelled, or confirmed unchanged: nothing happens.
  sink_.events.clear();
  Key('T', platform::kModControl);
  Dialogs().QueueForm(std::map<std::string, std::string>{});
  Control().Execute("setup", "");
  EXPECT_TRUE(sink_.Names().empty());
  EXPECT_EQ(Dialogs().Records().size(), 3u);
}

}  // namespace zolvex::test
