#include "documents/modes/ComicsBookmarks.h"

#include <algorithm>
#include <vector>

#include "platform/SettingsStore.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr const char* kDateEnding = "_date";

bool EndsWithNoCase(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() && EqualsNoCase(text.substr(text.size() - ending.size()), ending);
}

}  // namespace

ComicsBookmarks::ComicsBookmarks(platform::SettingsStore& store, const std::string& id)
    : store_(store), id_(ToLower(id)) {}

int ComicsBookmarks::Read(const char* ending, int fallback) const {
  std::optional<std::string> text = store_.GetString(kSavedKey, id_ + ending);
  return text && !text->empty() ? ParseInt(*text) : fallback;
}

void ComicsBookmarks::Write(const char* ending, long long value) {
  store_.SetString(kSavedKey, id_ + ending, std::to_string(value));
}

ComicsBookmarks::Mark ComicsBookmarks::Load() const {
  Mark saved;
  saved.mode = Read("_mode", saved.mode);
  saved.total = Read("_total", saved.total);
  saved.mark = Read("_mark", saved.mark);
  return saved;
}

void ComicsBookmarks::Save(int mark, int total, std::uint32_t stamp) {
  Write("_mark", mark);
  Write("_total", total);
  Write(kDateEnding, stamp);
}

void ComicsBookmarks::SaveMode(int mode) { Write("_mode", mode); }

ComicsBookmarks::PlaySettings ComicsBookmarks::LoadPlaySettings() const {
  PlaySettings settings;
  if (auto speed = store_.GetString(kSettingsKey, "autoplayspeed"); speed && !speed->empty())
    settings.speed = ParseInt(*speed);
  if (auto snap = store_.GetString(kSettingsKey, "snappage"); snap && !snap->empty())
    settings.snapPage = ParseInt(*snap) != 0;
  return settings;
}

void ComicsBookmarks::SavePlaySettings(const PlaySettings& settings) {
  store_.SetString(kSettingsKey, "autoplayspeed", std::to_string(settings.speed));
  store_.SetString(kSettingsKey, "snappage", settings.snapPage ? "1" : "0");
}

void ComicsBookmarks::Prune(platform::SettingsStore& store) {
  const auto values = store.GetValues(kSavedKey);
  if (static_cast<int>(values.size() / 3) <= kKeptComics) return;
  // The ten latest dates: a later date takes the place of the oldest one kept.
  std::vector<long long> kept;
  for (const auto& [name, value] : values) {
    if (!EndsWithNoCase(name, kDateEnding)) continue;
    const long long date = ParseInt(value);
    if (static_cast<int>(kept.size()) < kKeptComics) {
      kept.push_back(date);
      continue;
    }
    auto oldest = std::min_element(kept.begin(), kept.end());
    if (*oldest < date) *oldest = date;
  }
  if (kept.empty()) return;
  const long long threshold = *std::min_element(kept.begin(), kept.end());
  for (const auto& [name, value] : values) {
    if (!EndsWithNoCase(name, kDateEnding) || ParseInt(value) >= threshold) continue;
    const std::string id = name.substr(0, name.size() - std::string(kDateEnding).size());
    for (const char* ending : {"_mark", "_total", kDateEnding}) store.DeleteValue(kSavedKey, id + ending);
  }
}

std::uint32_t ComicsBookmarks::Stamp(const std::tm& local) {
  const long long year = local.tm_year + 1900LL;
  const long long month = local.tm_mon + 1LL;
  return static_cast<std::uint32_t>(((((year * 12 + month) * 30 + local.tm_mday) * 24 + local.tm_hour) * 60) +
                                    local.tm_min);
}

std::uint32_t ComicsBookmarks::StampNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (const std::tm* converted = std::localtime(&now)) local = *converted;
  return Stamp(local);
}

int ComicsBookmarks::Rescale(int mark, int total, int count) {
  if (count < 1) return 1;
  long long page = mark;
  if (total > 0) {
    const long long scaled = static_cast<long long>(mark) * count;
    page = scaled / total;
    if (2 * (scaled % total) > total) ++page;
  }
  return static_cast<int>(std::clamp<long long>(page, 1, count));
}

}  // namespace zolvex
