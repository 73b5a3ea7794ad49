#include "apps/zolvex/ControlContainer.h"

#include "apps/zolvex/PageScript.h"
#include "platform/TextValues.h"

namespace zolvex::host {

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
  if (observer_) observer_(event);
}

}  // namespace zolvex::host
