#include "control/ControlProperties.h"

#include <cerrno>
#include <cstdlib>

#include "control/AutomationError.h"
#include "control/PropertyBag.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

// Persisted values without a dispatch property, with their defaults.
const std::vector<std::pair<const char*, const char*>>& ExtraValues() {
  static const std::vector<std::pair<const char*, const char*>> extras{
      {"printoffset", "0"},
      {"printrange", "0"},
      {"usehintcursor", "no"},
      {"flipsoundurl", ""},
      {ControlProperties::kSkinUrl, ""},
      {ControlProperties::kCustomErrorHandling, "no"},
  };
  return extras;
}

// A port text is usable when its leading number, read as the sources read it, lies within
// 1 to 65535.
bool IsPort(const std::string& text) {
  errno = 0;
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  return errno == 0 && value >= 1 && value <= 65535;
}

}  // namespace

const std::vector<ControlPropertySpec>& ControlProperties::Table() {
  static const std::vector<ControlPropertySpec> table{
      {"BackgroundImage", "", nullptr, 0, false},
      {"Url", "", nullptr, 0, false},
      {"PageHeight", "0", "pageheight", 0, false},
      {"PageWidth", "0", "pagewidth", 0, false},
      {"ErrorMessage", "", "ErrorMessage", 0, false},
      {"PublisherInfo", "", "PublisherInfo", 0, false},
      {"ProductInfo", "Korvani Vantoa", "ProductInfo", 0, false},
      {"PublishedTime", "", "PublishedTime", 0, false},
      {"HTTPPort", "8080", "HTTPPort", 0, false},
      {"KTQPort", "30777", "KTQPort", 0, false},
      {"AuthenURL", "", "AuthenURL", 0, false},
      {"ClippingURL", "", nullptr, 0, true},
      {"Categories", "", nullptr, 0, true},
      {"ComicsMenu", "yes", "comicsmenu", 0, false},
      {"DefaultProtocol", "", "DefaultProtocol", 0, true},
      {"LogoLocation", "", nullptr, 0, false},
      {"LogoFile", "", nullptr, 0, true},
      {"LogoLink", "", nullptr, 0, true},
      {"PageIndexPosition", "", "PageIndexPosition", 0, true},
      {"PageIndexHeight", "", "PageIndexHeight", 0, true},
      {"PageIndexWidth", "", "PageIndexWidth", 0, true},
      {"ErrorMsgXml", "", "ErrorMsgXml", 0, true},
      {"ShowToolbar", "yes", nullptr, 0, false},
      {"Timeout", "", "timeout", 0, false},
      {"DefaultLanguage", "", nullptr, 0, false},
      {"AuthenMethod", "get", "AuthenMethod", 0, false},
      {"PrintStretch", "yes", "printstretch", 0, false},
      {"ReloadOnModified", "yes", "ReloadOnModified", 0, false},
      {"CustomOptions", "", "customoptions", 0, false},
      {"ShowThumbnail", "no", "showthumbnail", 41, false},
      {"AllowPrintAll", "no", "AllowPrintAll", 42, false},
      {"AllowClipping", "yes", "AllowClipping", 43, false},
      {"AllowBookmark", "yes", "AllowBookmark", 44, false},
      {"AllowPrinting", "yes", "AllowPrinting", 45, false},
      {"AutoFit", "no", "AutoFit", 46, false},
      {"PrintBorder", "yes", "PrintBorder", 47, false},
      {"ProgressBar", "no", "progressbar", 48, false},
      {"ShowBorder", "yes", nullptr, 49, false},
      {"BackgroundColor", "#FFFFFF", nullptr, 0, false},
      {"Zolvex2", "", nullptr, 0, false},
      {"WheelAction", "", "WheelAction", 0, false},
      {"CacheAhead", "", "CacheAhead", 0, false},
  };
  return table;
}

const std::vector<const char*>& ControlProperties::PersistedOrder() {
  static const std::vector<const char*> order{
      "Url", "BackgroundColor", "BackgroundImage", "ShowThumbnail", "AutoFit", "ProgressBar", "PageWidth",
      "PageHeight", "ErrorMessage", "AllowPrinting", "AllowPrintAll", "AllowClipping", "AllowBookmark",
      "PrintStretch", "PublisherInfo", "ProductInfo", "PublishedTime", "PrintBorder", "ShowBorder", "HTTPPort",
      "KTQPort", "ReloadOnModified", "CustomOptions", "AuthenURL", "AuthenMethod", "Categories", "ClippingURL",
      "ComicsMenu", "DefaultProtocol", "printoffset", "printrange", "usehintcursor", "flipsoundurl",
      "LogoLocation", "LogoFile", "LogoLink", "PageIndexPosition", "PageIndexHeight", "PageIndexWidth",
      "ErrorMsgXml", "ShowToolbar", kSkinUrl, kCustomErrorHandling, "Timeout", "DefaultLanguage", "WheelAction",
      "CacheAhead"};
  return order;
}

ControlProperties::ControlProperties() {
  for (const auto& spec : Table()) values_[Key(spec.name)] = spec.defaultValue;
  for (const auto& [name, value] : ExtraValues()) values_[Key(name)] = value;
}

const ControlPropertySpec* ControlProperties::Find(const std::string& name) {
  for (const auto& spec : Table()) {
    if (EqualsNoCase(spec.name, name)) return &spec;
  }
  return nullptr;
}

void ControlProperties::CheckValue(const ControlPropertySpec& spec, const std::string& value) {
  if (spec.yesNoCode == 0 || IsYes(value) || IsNo(value)) return;
  // The description of AutoFit has always named it "AllowFit"; pages may compare it.
  std::string shown = spec.yesNoCode == 46 ? "AllowFit" : spec.name;
  throw AutomationError(spec.yesNoCode, shown + " property only accept yes/no value");
}

std::string ControlProperties::Key(const std::string& name) { return ToLower(name); }

std::string ControlProperties::Get(const std::string& name) const {
  auto found = values_.find(Key(name));
  return found == values_.end() ? std::string() : found->second;
}

bool ControlProperties::Has(const std::string& name) const { return values_.count(Key(name)) != 0; }

bool ControlProperties::Set(const std::string& name, const std::string& value) {
  auto found = values_.find(Key(name));
  if (found == values_.end()) return false;
  found->second = value;
  return true;
}

void ControlProperties::Load(const PropertyBag& bag) {
  for (const char* name : PersistedOrder()) {
    if (auto value = bag.Read(name)) values_[Key(name)] = *value;
  }
  CorrectPort("HTTPPort", "8080");
  CorrectPort("KTQPort", "30777");
}

void ControlProperties::CorrectPort(const char* name, const char* fallback) {
  if (!IsPort(Get(name))) Set(name, fallback);
}

void ControlProperties::Save(PropertyBag& bag) const {
  bag.Write(kVersionName, kVersion);
  for (const char* name : PersistedOrder()) bag.Write(name, Get(name));
}

}  // namespace zolvex
