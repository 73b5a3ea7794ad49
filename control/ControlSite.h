#pragma once
#include <string>

namespace zolvex {

// What the control asks of the page that holds it.
class ControlSite {
 public:
  virtual ~ControlSite() = default;
  // The URL of the page; relative content URLs are joined to it. "" leaves them as they are.
  virtual std::string PageUrl() const = 0;
  // The control's window border: shown or removed.
  virtual void ShowBorder(bool shown) = 0;
  // In design mode the page's property listeners hear of changed properties.
  virtual bool InDesignMode() const { return false; }
  virtual void OnPropertyChanged(const std::string& /*name*/) {}
};

}  // namespace zolvex
