#pragma once
#include <map>
#include <string>
#include <vector>

namespace zolvex {

class PropertyBag;

// One property of the control's dispatch interface.
struct ControlPropertySpec {
  const char* name;          // the dispatch name, also the persisted name
  const char* defaultValue;
  const char* browserName;   // the view's browser property it writes; null: none
  int yesNoCode;             // the automation error of a yes/no property; 0: any value
  bool storedOnly;           // reaches the view only when the control window is created
};

// The control's property values, all strings, with their defaults, the yes/no check and
// the exchange with the host's property bag. Besides the dispatch properties it keeps the
// persisted values that have no property ("printoffset", "flipsoundurl", the two values of
// the Zolvex2 object, ...). Names compare without regard to case.
class ControlProperties {
 public:
  static constexpr const char* kVersionName = "_Version";
  static constexpr const char* kVersion = "1.1";
  static constexpr const char* kSkinUrl = "Zolvex2.SkinURL";
  static constexpr const char* kCustomErrorHandling = "Zolvex2.CustomErrorHandling";

  ControlProperties();

  // The dispatch properties in dispatch order.
  static const std::vector<ControlPropertySpec>& Table();
  static const ControlPropertySpec* Find(const std::string& name);
  // The persisted names in exchange order.
  static const std::vector<const char*>& PersistedOrder();
  // Raises the property's AutomationError when a yes/no property gets another value.
  static void CheckValue(const ControlPropertySpec& spec, const std::string& value);

  // Any kept value by name (dispatch or persisted-only); "" for names it does not keep.
  std::string Get(const std::string& name) const;
  bool Has(const std::string& name) const;
  // Stores a value under a kept name; false (nothing stored) for other names.
  bool Set(const std::string& name, const std::string& value);

  // Reads every persisted value the bag holds (the others keep their values), then puts
  // ports outside 1 to 65535 back to their defaults.
  void Load(const PropertyBag& bag);
  // Writes the version, then every persisted value in exchange order.
  void Save(PropertyBag& bag) const;

 private:
  static std::string Key(const std::string& name);
  void CorrectPort(const char* name, const char* fallback);

  std::map<std::string, std::string> values_;  // lower-case name -> value
};

}  // namespace zolvex
