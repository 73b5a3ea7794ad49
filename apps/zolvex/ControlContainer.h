#pragma once
#include <cstdio>
#include <functional>
#include <string>

#include "control/ControlEvent.h"
#include "control/ControlSite.h"

namespace zolvex::host {

class PageScript;

// The page the zolvex program plays for the control: its URL (the script's file, so that
// relative URLs join the script's folder), and the events: each printed as one JSON line
// when asked, errors on stderr, and every event to the page script when there is one.
class ControlContainer : public ControlSite, public ControlEventSink {
 public:
  ControlContainer(std::string pageUrl, bool printEvents) : pageUrl_(std::move(pageUrl)), printEvents_(printEvents) {}

  void SetScript(PageScript* script) { script_ = script; }
  // Another part of the program that follows the events (the desktop window's greeting).
  void SetObserver(std::function<void(const ControlEvent&)> observer) { observer_ = std::move(observer); }
  const std::string& LastError() const { return lastError_; }

  std::string PageUrl() const override { return pageUrl_; }
  void ShowBorder(bool) override {}
  void Fire(const ControlEvent& event) override;

  // {"event":"OnLoaded","id":1,"args":["..."]}
  static std::string EventJson(const ControlEvent& event);

 private:
  std::string pageUrl_;
  bool printEvents_;
  PageScript* script_ = nullptr;
  std::function<void(const ControlEvent&)> observer_;
  std::string lastError_;
};

}  // namespace zolvex::host
