#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "documents/CReaderException.h"
#include "documents/MapDocument.h"
#include "tests/documents/GridDocument.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "platform/headless/RecordingServices.h"
#include "platform/headless/ScriptedResponder.h"
#include "view/DocumentFactory.h"
#include "view/MapView.h"
#include "view/NavigationListener.h"

namespace zolvex::test {

// A view whose drawing primitives draw nothing: these tests look at positions, documents
// and notifications, not at pixels.
class TestView : public MapView {
 public:
  using MapView::MapView;
  void DrawText(const std::string&, int, int, platform::Color) override {}
  void DrawRectOutline(int, int, int, int, platform::Color, int, int) override {}
  void DrawCircle(int, int, int, int, platform::Color, platform::Color, int, int) override {}
  void DrawRotatedRect(int, int, int, int, double, platform::Color, platform::Color, int, int) override {}
  void DrawPolygon(std::span<const platform::Point>, platform::Color, platform::Color, int, int) override {}
  void DrawEllipse(int, int, int, int, platform::Color, platform::Color, int, int) override {}
  void FillRect(int, int, int, int, platform::Color) override {}
  void BlitImage(ViewImage&, int, int, int, int, int, int, int, int, bool, bool) override {}
  void DrawArc(bool, int, int, int, int, int, int, int, int, platform::Color, platform::Color, int, int) override {}
  void DrawLine(int, int, int, int, platform::Color, int, int) override {}
  platform::Size MeasureText(const std::string& text) override { return {static_cast<int>(text.size()) * 8, 16}; }
  void SetTextFont(const std::string&, int, platform::Color, platform::Color) override {}
  void SetDrawParameter(int, int) override {}
  int GetDrawParameter(int) const override { return -1; }

  bool Execute(const std::string& command, const std::string& argument) override {
    commands.push_back(command + " " + argument);
    return false;
  }
  void RunLinkCommand(const std::string& url) override { links.push_back(url); }

  std::vector<std::string> commands;
  std::vector<std::string> links;
};

// Every notification as one line: "loading <url>", "followlink <url>", "loaded <url>",
// "error <message>".
class RecordingListener : public NavigationListener {
 public:
  void OnLoading(const std::string& url) override { log.push_back("loading " + url); }
  void OnFollowLink(const std::string& url) override { log.push_back("followlink " + url); }
  void OnLoaded(const std::string& url) override { log.push_back("loaded " + url); }
  void OnError(const CReaderException& error) override { log.push_back("error " + error.Message()); }
  std::vector<std::string> log;
};

// A headless platform, a view and the events the view posts.
class ViewHarness {
 public:
  // clock: a clock the test advances; null takes the real one.
  explicit ViewHarness(int width = 640, int height = 480, std::shared_ptr<platform::Clock> clock = nullptr) {
    platform::PlatformOptions options;
    options.width = width;
    options.height = height;
    options.clock = std::move(clock);
    std::string error;
    platform = platform::CreatePlatform(options, error);
    view = std::make_unique<TestView>(*platform);
    view->SetNavigationListener(&listener);
    view->SetEventHandlers([this](const ViewEvent& event) { events.push_back(event); },
                           [this](const ObjectEvent& event) { objectEvents.push_back(event); });
  }
  ~ViewHarness() { view.reset(); }

  // Delivers the events the view has posted so far.
  std::vector<ViewEvent>& DeliverEvents() {
    static_cast<platform::HeadlessWindowHost&>(platform->Window()).RunPending();
    return events;
  }
  std::vector<std::string> EventNames() {
    std::vector<std::string> names;
    for (const ViewEvent& event : DeliverEvents()) names.push_back(event.name);
    return names;
  }
  platform::ScriptedResponder& Dialogs() { return *platform->Responder(); }
  platform::RecordingServices& Services() { return *platform->Recorder(); }

  std::unique_ptr<platform::Platform> platform;
  RecordingListener listener;
  std::unique_ptr<TestView> view;
  std::vector<ViewEvent> events;
  std::vector<ObjectEvent> objectEvents;
};

}  // namespace zolvex::test
