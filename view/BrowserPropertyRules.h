#pragma once
#include <optional>
#include <string>

namespace zolvex {

class CommandInterpreter;
class MapView;

// The browser properties that are more than stored text: names the view answers from its
// own state, and names that act when they are written. The view's store keeps the rest.
class BrowserPropertyRules {
 public:
  BrowserPropertyRules(MapView& view, CommandInterpreter& interpreter);

  // The answer for a name the view answers itself; nothing for a name read from the store.
  std::optional<std::string> Read(const std::string& name);
  // Acts on a written name before it is stored; answers whether the value belongs in the store.
  bool Write(const std::string& name, const std::string& value);
  // Acts on a written name after it is stored (and after the view took its level limits).
  void AfterStore(const std::string& name, const std::string& value);

  bool ShowsProgressBar() const { return progressBar_; }
  bool UsesMouseWheel() const { return mouseWheel_; }
  bool IsFirewalled() const { return firewalled_; }
  bool SnapsPages() const { return snapPage_; }
  bool ShowsThumbnail() const { return showThumbnail_; }
  bool IsTouchScreen() const { return touchScreen_; }
  bool DrawsCenterMarker() const { return centerMarker_; }

 private:
  void KeepLevelInLimits(const std::string& name);

  MapView& view_;
  CommandInterpreter& interpreter_;
  bool progressBar_ = false;
  bool mouseWheel_ = false;
  bool firewalled_ = false;
  bool snapPage_ = false;
  bool showThumbnail_ = true;
  bool touchScreen_ = false;
  bool centerMarker_ = false;
};

}  // namespace zolvex
