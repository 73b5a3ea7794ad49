#pragma once
#include <emscripten/val.h>

#include <memory>
#include <string>

#include "control/CZolvexCtrl.h"
#include "control/ControlDispatch.h"
#include "control/ControlEvent.h"
#include "control/ControlSite.h"
#include "platform/Platform.h"

namespace zolvex::web {

// One control on a web page: the viewer drawing on the page's canvas, reached by the page's
// script through the dispatch interface's names, its events handed to a function of the
// page ("fire(name, [arguments])").
class WebControl : public ControlSite, public ControlEventSink {
 public:
  // properties: the page's settings by property name; those the control persists load
  // as its property bag, any other name becomes a browser property of the view.
  WebControl(const std::string& canvasId, int width, int height, const std::string& pageUrl,
             emscripten::val properties, emscripten::val fire);
  ~WebControl() override;

  emscripten::val Get(const std::string& name) const;
  // null, or { code, description } for a refused value.
  emscripten::val Put(const std::string& name, emscripten::val value);
  emscripten::val Invoke(const std::string& method, emscripten::val arguments);

  // Input from the page's listeners, in canvas pixels; actions and buttons by name.
  void Mouse(const std::string& action, const std::string& button, int x, int y, int modifiers);
  void Wheel(int x, int y, int delta, int modifiers);
  void Key(bool down, int key, int modifiers, int character);
  void Resize(int width, int height);

  // What the page measures: frames copied to the canvas, and tiles the frame still waits for.
  int PresentCount() const;
  int PendingTiles() const;
  // What a benchmark drives, as bench_pan does natively: the view moved without composing
  // a frame, and one frame composed and shown at once, answering the tiles it lacked (the
  // control composes the frame again when they are in; PendingTiles then answers 0).
  void MoveView(int x, int y, int level);
  int ShowFrame();

  std::string PageUrl() const override { return pageUrl_; }
  void ShowBorder(bool) override {}
  void Fire(const ControlEvent& event) override;

 private:
  std::string pageUrl_;
  emscripten::val fire_;
  std::unique_ptr<platform::Platform> platform_;
  std::unique_ptr<CZolvexCtrl> control_;
  std::unique_ptr<ControlDispatch> dispatch_;
};

}  // namespace zolvex::web
