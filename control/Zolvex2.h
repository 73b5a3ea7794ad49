#pragma once
#include <functional>
#include <string>

namespace zolvex {

class ControlProperties;

// The control's second dispatch object: the skin's resource URL and the error handling
// mode, kept with the control's persisted values and handed to the view when the control
// window is created.
class Zolvex2 {
 public:
  Zolvex2(ControlProperties& properties, std::function<void()> modified)
      : properties_(properties), modified_(std::move(modified)) {}

  std::string GetSkinURL() const;
  void SetSkinURL(const std::string& value);
  std::string GetCustomErrorHandling() const;
  void SetCustomErrorHandling(const std::string& value);

 private:
  ControlProperties& properties_;
  std::function<void()> modified_;
};

}  // namespace zolvex
