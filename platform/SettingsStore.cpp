#include "platform/SettingsStore.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/TextValues.h"

namespace zolvex::platform {

namespace {

// Values may hold any text; a newline or backslash is written as an escape so that each
// value stays on one line.
std::string Escape(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string Unescape(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      char next = value[++i];
      out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    } else {
      out += value[i];
    }
  }
  return out;
}

const char* kProfilePrefix = "profile\\";

}  // namespace

SettingsStore::SettingsStore(std::string userFile, std::string machineFile)
    : userFile_(std::move(userFile)), machineFile_(std::move(machineFile)) {
  user_ = Load(userFile_);
  if (!machineFile_.empty()) machine_ = Load(machineFile_);
}

std::string SettingsStore::DefaultUserFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && *config) {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "/tmp") + "/.config";
  }
  return base + "/zolvex/settings.ini";
}

std::string SettingsStore::DefaultMachineFile() { return "/etc/zolvex/settings.ini"; }

std::string SettingsStore::NormaliseKey(const std::string& keyPath) {
  std::string key = ToLower(keyPath);
  std::replace(key.begin(), key.end(), '/', '\\');
  while (!key.empty() && key.back() == '\\') key.pop_back();
  while (!key.empty() && key.front() == '\\') key.erase(key.begin());
  return key;
}

SettingsStore::Sections SettingsStore::Load(const std::string& file) {
  Sections sections;
  std::ifstream in(file);
  std::string line;
  Section* current = nullptr;
  while (std::getline(in, line)) {
    std::string text = Trim(line);
    if (text.empty() || text[0] == ';' || text[0] == '#') continue;
    if (text.front() == '[' && text.back() == ']') {
      current = &sections[NormaliseKey(text.substr(1, text.size() - 2))];
      continue;
    }
    size_t eq = text.find('=');
    if (!current || eq == std::string::npos) continue;
    (*current)[ToLower(Trim(text.substr(0, eq)))] = Unescape(Trim(text.substr(eq + 1)));
  }
  return sections;
}

bool SettingsStore::Save() const {
  std::error_code ec;
  std::filesystem::path path(userFile_);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  std::string temporary = userFile_ + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    if (!out) return false;
    for (const auto& [key, values] : user_) {
      out << '[' << key << "]\n";
      for (const auto& [name, value] : values) out << name << '=' << Escape(value) << '\n';
      out << '\n';
    }
    if (!out) return false;
  }
  // Replacing the file in one step keeps the old settings whole if writing fails.
  std::filesystem::rename(temporary, userFile_, ec);
  if (!ec && saveListener_) saveListener_(userFile_);
  return !ec;
}

void SettingsStore::SetSaveListener(std::function<void(const std::string& userFile)> listener) {
  std::lock_guard lock(mutex_);
  saveListener_ = std::move(listener);
}

std::optional<std::string> SettingsStore::GetString(const std::string& keyPath, const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto section = user_.find(NormaliseKey(keyPath));
  if (section != user_.end()) {
    auto value = section->second.find(ToLower(name));
    if (value != section->second.end()) return value->second;
  }
  auto machine = machine_.find(NormaliseKey(keyPath));
  if (machine != machine_.end()) {
    auto value = machine->second.find(ToLower(name));
    if (value != machine->second.end()) return value->second;
  }
  return std::nullopt;
}

std::optional<std::string> SettingsStore::GetMachineString(const std::string& keyPath, const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto machine = machine_.find(NormaliseKey(keyPath));
  if (machine == machine_.end()) return std::nullopt;
  auto value = machine->second.find(ToLower(name));
  if (value == machine->second.end()) return std::nullopt;
  return value->second;
}

std::optional<std::uint32_t> SettingsStore::GetNumber(const std::string& keyPath, const std::string& name) const {
  auto text = GetString(keyPath, name);
  if (!text || text->empty()) return std::nullopt;
  char* end = nullptr;
  unsigned long value = std::strtoul(text->c_str(), &end, 0);
  if (end == text->c_str()) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

bool SettingsStore::SetString(const std::string& keyPath, const std::string& name, const std::string& value) {
  std::lock_guard lock(mutex_);
  user_[NormaliseKey(keyPath)][ToLower(name)] = value;
  return Save();
}

bool SettingsStore::SetNumber(const std::string& keyPath, const std::string& name, std::uint32_t value) {
  return SetString(keyPath, name, std::to_string(value));
}

bool SettingsStore::DeleteValue(const std::string& keyPath, const std::string& name) {
  std::lock_guard lock(mutex_);
  auto section = user_.find(NormaliseKey(keyPath));
  if (section == user_.end() || section->second.erase(ToLower(name)) == 0) return false;
  return Save();
}

std::vector<std::pair<std::string, std::string>> SettingsStore::GetValues(const std::string& keyPath) const {
  std::lock_guard lock(mutex_);
  auto section = user_.find(NormaliseKey(keyPath));
  if (section == user_.end()) return {};
  return {section->second.begin(), section->second.end()};
}

std::string SettingsStore::GetProfileString(const std::string& section, const std::string& key,
                                            const std::string& fallback) const {
  return GetString(kProfilePrefix + section, key).value_or(fallback);
}

bool SettingsStore::SetProfileString(const std::string& section, const std::string& key, const std::string& value) {
  return SetString(kProfilePrefix + section, key, value);
}

}  // namespace zolvex::platform
