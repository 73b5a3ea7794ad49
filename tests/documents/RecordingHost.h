#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "documents/CReaderException.h"
#include "documents/DocumentHost.h"
#include "documents/MapDocument.h"
#include "documents/ObjectFactory.h"
#include "objects/ViewEvent.h"
#include "tests/objects/RecordingView.h"
#include "tests/support/TestSupport.h"

namespace zolvex::platform {
class Platform;
}

namespace zolvex::test {

// A host that records what documents ask of their view: posted commands and events, URLs
// opened, errors reported and the sub-documents requested. Its geometry and browser
// properties are set by the test; sub-documents come from subDocuments when it is set.
class RecordingHost : public DocumentHost {
 public:
  // A headless platform of its own when none is given.
  explicit RecordingHost(platform::Platform* platform = nullptr);
  ~RecordingHost() override;

  // Geometry and properties, as the test sets them.
  int viewWidth = 640;
  int viewHeight = 480;
  int viewX = 0;
  int viewY = 0;
  std::map<std::string, std::string> properties;  // lower-case names
  std::function<std::unique_ptr<MapDocument>(const SubDocumentRequest&)> subDocuments;

  // Records.
  RecordingView objectView;
  ObjectFactory objects;
  int dirtyMarks = 0;
  std::vector<std::pair<std::string, std::string>> commands;
  std::vector<ViewEvent> events;
  std::vector<std::string> opened;
  std::vector<std::string> errors;
  std::vector<SubDocumentRequest> requests;
  std::vector<std::pair<int, int>> scrolls;  // every ScrollTo, which also moves viewX, viewY
  MouseHook* mouseHook = nullptr;
  KeyHook* keyHook = nullptr;

  ViewPrimitives& ObjectView() override { return objectView; }
  ObjectFactory& Objects() override { return objects; }
  platform::Platform& GetPlatform() override { return *platform_; }
  std::string GetBrowserProperty(const std::string& name) override;
  void SetBrowserProperty(const std::string& name, const std::string& value) override;
  int GetViewWidth() const override { return viewWidth; }
  int GetViewHeight() const override { return viewHeight; }
  int ViewX() const override { return viewX; }
  int ViewY() const override { return viewY; }
  void ScrollTo(int x, int y) override {
    scrolls.emplace_back(x, y);
    viewX = x;
    viewY = y;
  }
  void SetMouseHook(MouseHook* hook) override { mouseHook = hook; }
  MouseHook* GetMouseHook() const override { return mouseHook; }
  void SetKeyHook(KeyHook* hook) override { keyHook = hook; }
  KeyHook* GetKeyHook() const override { return keyHook; }
  void MarkDirty() override { ++dirtyMarks; }
  void PostCommand(const std::string& command, const std::string& argument) override {
    commands.emplace_back(command, argument);
  }
  void PostViewEvent(const ViewEvent& event) override { events.push_back(event); }
  std::string OpenUrl(const std::string& url, bool, int, int, int) override {
    opened.push_back(url);
    return {};
  }
  void ReportErrorAfterLoading(const std::string& message) override { errors.push_back(message); }
  std::unique_ptr<MapDocument> OpenSubDocument(const SubDocumentRequest& request) override;

 private:
  TempDir settingsDir_;
  std::unique_ptr<platform::Platform> ownPlatform_;
  platform::Platform* platform_;
};

}  // namespace zolvex::test
