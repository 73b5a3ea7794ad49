#include "view/History.h"

#include "platform/TextValues.h"

namespace zolvex {

void History::RecordPosition(int x, int y, int levelIndex) {
  if (entries_.empty() || entries_.back().find(',') != std::string::npos) return;
  entries_.back() += "," + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(levelIndex + 1);
}

void History::Add(const std::string& url) {
  if (url.empty()) return;
  if (!entries_.empty()) {
    const std::string& last = entries_.back();
    std::string lastUrl = last.substr(0, last.find(','));
    if (StartsWithNoCase(url, lastUrl)) return;
  }
  entries_.push_back(url);
}

std::string History::PopLast() {
  if (entries_.empty()) return {};
  std::string last = entries_.back();
  entries_.pop_back();
  return last;
}

}  // namespace zolvex
