#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zolvex::platform {

// The registry of the current user (and, read-only, of the machine): values by key path
// ("Software\Korvani\comics") and value name, kept in an INI-like file. Key paths compare
// without regard to case or separator. Profile (INI) strings live in the same file under
// "Profile\<section>". Every write is saved at once.
class SettingsStore {
 public:
  // userFile is written; machineFile (may be empty) is only read, and answers a value
  // the user file lacks.
  SettingsStore(std::string userFile, std::string machineFile = {});

  // The default locations: $XDG_CONFIG_HOME/zolvex/settings.ini and /etc/zolvex/settings.ini.
  static std::string DefaultUserFile();
  static std::string DefaultMachineFile();

  std::optional<std::string> GetString(const std::string& keyPath, const std::string& name) const;
  std::optional<std::uint32_t> GetNumber(const std::string& keyPath, const std::string& name) const;
  std::optional<std::string> GetMachineString(const std::string& keyPath, const std::string& name) const;
  bool SetString(const std::string& keyPath, const std::string& name, const std::string& value);
  bool SetNumber(const std::string& keyPath, const std::string& name, std::uint32_t value);
  bool DeleteValue(const std::string& keyPath, const std::string& name);
  // The names (lower case) and values of the user's key, ordered by name; empty when the
  // key does not exist.
  std::vector<std::pair<std::string, std::string>> GetValues(const std::string& keyPath) const;

  // Called after each successful save with the user file, on the thread that wrote; a
  // store kept elsewhere (the browser's storage of a web page) copies the file from there.
  void SetSaveListener(std::function<void(const std::string& userFile)> listener);

  std::string GetProfileString(const std::string& section, const std::string& key, const std::string& fallback) const;
  bool SetProfileString(const std::string& section, const std::string& key, const std::string& value);

 private:
  using Section = std::map<std::string, std::string>;  // value name (lower case) -> value
  using Sections = std::map<std::string, Section>;     // key path (normalised) -> values
  static Sections Load(const std::string& file);
  bool Save() const;
  static std::string NormaliseKey(const std::string& keyPath);

  std::function<void(const std::string&)> saveListener_;
  std::string userFile_;
  std::string machineFile_;
  Sections user_;
  Sections machine_;
  mutable std::mutex mutex_;
};

}  // namespace zolvex::platform
