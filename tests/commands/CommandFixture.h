#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/MapDocument.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "tests/support/TestSupport.h"
#include "view/BrowserPropertyRules.h"
#include "view/CommandInterpreter.h"
#include "view/FlipMapView.h"

namespace zolvex::test {

// The view with the command interpreter and the property rules wired in: link commands,
// commands and browser properties reach them as they do in the viewer.
class WiredView : public FlipMapView {
 public:
  explicit WiredView(platform::Platform& platform)
      : FlipMapView(platform),
        interpreter_(std::make_unique<CommandInterpreter>(*this)),
        rules_(std::make_unique<BrowserPropertyRules>(*this, *interpreter_)) {}
  CommandInterpreter& Interpreter() { return *interpreter_; }
  BrowserPropertyRules& Rules() { return *rules_; }

  bool Execute(const std::string& command, const std::string& argument) override {
    return interpreter_ && interpreter_->Execute(command, argument);
  }
  std::string GetBrowserProperty(const std::string& name) override {
    if (rules_) {
      if (auto answer = rules_->Read(name)) return *answer;
    }
    return FlipMapView::GetBrowserProperty(name);
  }
  void SetBrowserProperty(const std::string& name, const std::string& value) override {
    if (!rules_ || rules_->Write(name, value)) FlipMapView::SetBrowserProperty(name, value);
    if (rules_) rules_->AfterStore(name, value);
  }

 protected:
  void RunLinkCommand(const std::string& url) override { interpreter_->RunLink(url); }

 private:
  std::unique_ptr<CommandInterpreter> interpreter_;
  std::unique_ptr<BrowserPropertyRules> rules_;
};

// A headless 400 x 300 wired view over a real tiled image of 1024 x 768 pixels (four
// levels), with the events the view posts collected in order.
class CommandFixture : public ::testing::Test {
 protected:
  static constexpr int kImageWidth = 1024;
  static constexpr int kImageHeight = 768;
  static constexpr int kViewWidth = 400;
  static constexpr int kViewHeight = 300;

  static void SetUpTestSuite() {
    images_ = new TempDir();
    std::string png = images_->File("picture.png");
    ASSERT_TRUE(MagickRun("-size " + std::to_string(kImageWidth) + "x" + std::to_string(kImageHeight) +
                          " gradient:red-blue -depth 8 '" + png + "'"));
    ASSERT_EQ(RunCommand(std::string(KTQTOOL_PROGRAM) + " build '" + png + "' '" + images_->File("picture.ktq") +
                         "' --tile 128 --codec png >/dev/null 2>&1"),
              0);
  }
  static void TearDownTestSuite() {
    delete images_;
    images_ = nullptr;
  }

  void SetUp() override {
    platform::PlatformOptions options;
    options.width = kViewWidth;
    options.height = kViewHeight;
    options.settingsFile = settings_.File("settings.ini");
    options.clock = clock_;
    std::string error;
    platform_ = platform::CreatePlatform(options, error);
    ASSERT_TRUE(platform_) << error;
    view_ = std::make_unique<WiredView>(*platform_);
    interpreter_ = &view_->Interpreter();
    rules_ = &view_->Rules();
    view_->SetBrowserProperty("CustomErrorHandling", "yes");
    view_->InitSurfaces(kViewWidth, kViewHeight);
    view_->SetEventHandlers([this](const ViewEvent& event) { events_.push_back(event); }, {});
  }

  void TearDown() override {
    rules_ = nullptr;
    interpreter_ = nullptr;
    view_.reset();
  }

  std::string ImageUrl() const { return images_->File("picture.ktq"); }
  // Opens the picture with pages of the given size (0: no page size set).
  void Open(int pageWidth = 0, int pageHeight = 0) {
    if (pageWidth > 0) SetProperty("pagewidth", std::to_string(pageWidth));
    if (pageHeight > 0) SetProperty("pageheight", std::to_string(pageHeight));
    ASSERT_FALSE(view_->OpenUrl(ImageUrl(), true, 0, 0, 0).empty());
    ASSERT_TRUE(view_->HasValidDocument());
  }
  // Moves to a position of a 1-based level.
  void At(int x, int y, int level) { view_->MoveTo(x, y, level, "left"); }
  platform::Point Position() const { return {view_->ViewX(), view_->ViewY()}; }
  int Level() const { return view_->GetDocument()->GetLevel(); }

  bool Execute(const std::string& command, const std::string& argument = "") {
    return interpreter_->Execute(command, argument);
  }
  std::string GetProperty(const std::string& name) { return view_->GetBrowserProperty(name); }
  void SetProperty(const std::string& name, const std::string& value) { view_->SetBrowserProperty(name, value); }

  // Delivers what the view posted and answers the events, forgetting them.
  std::vector<ViewEvent> TakeEvents() {
    Window().RunPending();
    std::vector<ViewEvent> taken;
    taken.swap(events_);
    return taken;
  }
  // The names of the delivered events other than the level and page reports.
  std::vector<std::string> CommandEventNames() {
    std::vector<std::string> names;
    for (const ViewEvent& event : TakeEvents()) {
      if (event.name != "levelchanged" && event.name != "pagechanged") names.push_back(event.name);
    }
    return names;
  }
  platform::HeadlessWindowHost& Window() { return static_cast<platform::HeadlessWindowHost&>(platform_->Window()); }

  static TempDir* images_;
  TempDir settings_;
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(10000);
  std::unique_ptr<platform::Platform> platform_;
  std::unique_ptr<WiredView> view_;
  CommandInterpreter* interpreter_ = nullptr;
  BrowserPropertyRules* rules_ = nullptr;
  std::vector<ViewEvent> events_;
};

inline TempDir* CommandFixture::images_ = nullptr;

}  // namespace zolvex::test

namespace zolvex::platform {
inline std::ostream& operator<<(std::ostream& out, const Point& point) {
  return out << "(" << point.x << ", " << point.y << ")";
}
}  // namespace zolvex::platform
