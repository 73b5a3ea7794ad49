#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control/ControlSite.h"
#include "control/CZolvexCtrl.h"
#include "documents/ObjectFactory.h"
#include "documents/XmlReader.h"
#include "objects/CComponentLink.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "platform/headless/RecordingServices.h"
#include "platform/headless/ScriptedResponder.h"
#include "tests/support/TestSupport.h"
#include "view/CommandInterpreter.h"
#include "view/FlipMapView.h"

namespace zolvex::test {

// Keeps every event; a handler may act on one while it is fired, as a page's would.
class RecordingSink : public ControlEventSink {
 public:
  void Fire(const ControlEvent& event) override {
    events.push_back(event);
    if (onEvent) onEvent(event);
  }
  // The names of the events other than OnBrowserEvent.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& event : events) {
      if (event.name != "OnBrowserEvent") names.push_back(event.name);
    }
    return names;
  }
  const ControlEvent* Find(const std::string& name) const {
    for (const auto& event : events) {
      if (event.name == name) return &event;
    }
    return nullptr;
  }
  // The first parameters of the OnBrowserEvent events.
  std::vector<std::string> BrowserEvents() const {
    std::vector<std::string> names;
    for (const auto& event : events) {
      if (event.name == "OnBrowserEvent") names.push_back(std::get<std::string>(event.arguments[0]));
    }
    return names;
  }
  std::vector<ControlEvent> events;
  std::function<void(const ControlEvent&)> onEvent;
};

class TestSite : public ControlSite {
 public:
  std::string PageUrl() const override { return pageUrl; }
  void ShowBorder(bool shown) override { border = shown; }
  std::string pageUrl;
  bool border = true;
};

// A link object of every "rect" element (x, y, width, height, href), for AddXMML and for
// maps; AddObject makes the same of its type "rect" and attribute text.
inline std::unique_ptr<MapObject> MakeLinkOf(XmlReader& reader) {
  auto object = std::make_unique<CComponentLink>(ParseInt(reader.GetChildAttribute("x")), ParseInt(reader.GetChildAttribute("y")),
                                                 ParseInt(reader.GetChildAttribute("width")),
                                                 ParseInt(reader.GetChildAttribute("height")),
                                                 reader.GetChildAttribute("href"), nullptr, nullptr);
  object->SetProperty("name", reader.GetChildAttribute("name"));
  if (!reader.GetChildAttribute("basepage").empty()) object->SetBasePage(ParseInt(reader.GetChildAttribute("basepage")));
  return object;
}

// The numbers of a text of IDs separated by single spaces.
inline std::vector<int> SplitIds(const std::string& ids) {
  std::vector<int> list;
  std::size_t start = 0;
  while (start < ids.size()) {
    std::size_t end = ids.find(' ', start);
    if (end == std::string::npos) end = ids.size();
    list.push_back(ParseInt(ids.substr(start, end - start)));
    start = end + 1;
  }
  return list;
}

// A headless control of 400 x 300 with a clock the test advances, its own settings file and
// two images: a.ktq (2048 x 2048, four levels) and b.ktq (512 x 512).
class ControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    for (auto [name, size] : {std::pair{"a.ktq", 2048}, {"b.ktq", 512}}) {
      ASSERT_EQ(RunCommand(std::string(KTQTOOL_PROGRAM) + " synth '" + dir_->File(name) + "' --size " +
                           std::to_string(size) + " --tile 256 --codec jpeg >/dev/null 2>&1"),
                0);
    }
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override {
    platform::PlatformOptions options;
    options.width = 400;
    options.height = 300;
    options.settingsFile = settings_.File("settings.ini");
    options.clock = clock_;
    std::string error;
    platform_ = platform::CreatePlatform(options, error);
    ASSERT_TRUE(platform_) << error;
    control_ = std::make_unique<CZolvexCtrl>(&site_);
    control_->SetEventSink(&sink_);
  }
  void TearDown() override {
    control_.reset();
  }

  // Creates the window with the properties set so far (errors reach the page, not a box).
  void Create() {
    control_->GetZolvex2().SetCustomErrorHandling("yes");
    control_->CreateControlWindow(*platform_);
    control_->View()->Objects().RegisterMaker(
        "rect", [](DocumentHost&, XmlReader& reader, const std::string&, const std::string&) { return MakeLinkOf(reader); });
  }
  void CreateWith(const std::string& file) {
    control_->SetProperty("Url", dir_->File(file));
    Create();
  }
  platform::HeadlessWindowHost& Host() { return static_cast<platform::HeadlessWindowHost&>(platform_->Window()); }
  // Runs what is posted and due, and what that posts in turn.
  void Pump() {
    for (int round = 0; round < 4; ++round) Host().RunPending();
  }
  void Advance(std::uint64_t ms) {
    clock_->Advance(ms);
    Pump();
  }
  void Mouse(platform::MouseAction action, platform::MouseButton button, int x, int y, unsigned modifiers = 0) {
    platform::MouseEvent event;
    event.action = action;
    event.button = button;
    event.point = {x, y};
    event.modifiers = modifiers;
    Host().InjectMouse(event);
    Pump();
  }
  void Click(int x, int y) {
    Mouse(platform::MouseAction::Down, platform::MouseButton::Left, x, y);
    Mouse(platform::MouseAction::Up, platform::MouseButton::Left, x, y);
  }
  void Key(int key, unsigned modifiers = 0) {
    platform::KeyEvent event;
    event.key = key;
    event.modifiers = modifiers;
    Host().InjectKey(event);
    Pump();
  }
  platform::ScriptedResponder& Dialogs() { return *platform_->Responder(); }
  CZolvexCtrl& Control() { return *control_; }
  static std::string File(const std::string& name) { return dir_->File(name); }

  static inline TempDir* dir_ = nullptr;
  TempDir settings_;
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(100000);
  std::unique_ptr<platform::Platform> platform_;
  TestSite site_;
  RecordingSink sink_;
  std::unique_ptr<CZolvexCtrl> control_;
};

}  // namespace zolvex::test
