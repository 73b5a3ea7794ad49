#include "control/Zolvex2.h"

#include "control/ControlProperties.h"

namespace zolvex {

std::string Zolvex2::GetSkinURL() const { return properties_.Get(ControlProperties::kSkinUrl); }

void Zolvex2::SetSkinURL(const std::string& value) {
  properties_.Set(ControlProperties::kSkinUrl, value);
  modified_();
}

std::string Zolvex2::GetCustomErrorHandling() const { return properties_.Get(ControlProperties::kCustomErrorHandling); }

void Zolvex2::SetCustomErrorHandling(const std::string& value) {
  properties_.Set(ControlProperties::kCustomErrorHandling, value);
  modified_();
}

}  // namespace zolvex
