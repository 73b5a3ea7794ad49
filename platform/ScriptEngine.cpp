#include "platform/ScriptEngine.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace zolvex::platform {

std::string ScriptText(const ScriptValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
  if (const auto* number = std::get_if<double>(&value)) {
    if (std::isfinite(*number) && std::trunc(*number) == *number && std::fabs(*number) < 1e15) {
      return std::to_string(static_cast<long long>(*number));
    }
    return std::to_string(*number);
  }
  return {};
}

long long ScriptInteger(const ScriptValue& value) {
  double number = 0;
  if (const auto* text = std::get_if<std::string>(&value)) {
    number = std::strtod(text->c_str(), nullptr);
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    number = *flag ? 1 : 0;
  } else if (const auto* held = std::get_if<double>(&value)) {
    number = *held;
  }
  if (!std::isfinite(number)) return 0;
  constexpr double kLimit = static_cast<double>(std::numeric_limits<long long>::max() / 2);
  if (number > kLimit) return static_cast<long long>(kLimit);
  if (number < -kLimit) return static_cast<long long>(-kLimit);
  return static_cast<long long>(number);
}

}  // namespace zolvex::platform
