#include "apps/zolvex/ControlContainer.h"

#include "apps/zolvex/PageScript.h"

namespace zolvex::host {

namespace {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace

std::string ControlContainer::EventJson(const ControlEvent& event) {
  std::string json = "{\"event\":" + JsonString(event.name) + ",\"id\":" + std::to_string(event.dispatchId) + ",\"args\":[";
  for (std::size_t i = 0; i < event.arguments.size(); ++i) {
    if (i > 0) json += ",";
    const EventArgument& argument = event.arguments[i];
    if (const auto* number = std::get_if<long long>(&argument)) {
      json += std::to_string(*number);
    } else {
      json += JsonString(std::get<std::string>(argument));
    }
  }
  return json + "]}";
}

void ControlContainer::Fire(const ControlEvent& event) {
  if (event.name == "OnError") {
    lastError_ = std::get<std::string>(event.arguments[0]);
    std::fprintf(stderr, "zolvex: %s\n", lastError_.c_str());
  }
  if (printEvents_) {
    std::printf("%s\n", EventJson(event).c_str());
    std::fflush(stdout);
  }
  if (script_) script_->Fire(event);
}

}  // namespace zolvex::host
