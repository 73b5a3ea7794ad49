#pragma once
#include <cstdint>
#include <ctime>
#include <string>

namespace zolvex {

namespace platform {
class SettingsStore;
}

// The reader's place in each comic and the play settings, kept per user in the settings
// store. A comic's values are named after its id (lower case) with the endings "_mode",
// "_mark", "_total" and "_date".
class ComicsBookmarks {
 public:
  static constexpr const char* kSavedKey = "Software\\Korvani\\comics\\Saved";
  static constexpr const char* kSettingsKey = "Software\\Korvani\\comics";
  // Beyond this many comics the oldest bookmarks are dropped.
  static constexpr int kKeptComics = 10;

  struct Mark {
    int mode = 0;
    int total = -1;  // page count when the mark was saved; -1: never saved
    int mark = 1;
  };
  struct PlaySettings {
    int speed = 5;
    bool snapPage = true;
  };

  ComicsBookmarks(platform::SettingsStore& store, const std::string& id);

  Mark Load() const;
  void Save(int mark, int total, std::uint32_t stamp);
  void SaveMode(int mode);

  PlaySettings LoadPlaySettings() const;
  void SavePlaySettings(const PlaySettings& settings);

  // Drops the bookmarks of all but about the ten most recently read comics once more than
  // ten are kept; their "_mode" values stay.
  static void Prune(platform::SettingsStore& store);
  // ((((year × 12 + month) × 30 + day) × 24 + hour) × 60 + minute) of a local time.
  static std::uint32_t Stamp(const std::tm& local);
  static std::uint32_t StampNow();
  // A mark saved against total pages, moved to the same place among count pages (rounded
  // up past a half) and kept in 1 .. count.
  static int Rescale(int mark, int total, int count);

 private:
  int Read(const char* ending, int fallback) const;
  void Write(const char* ending, long long value);

  platform::SettingsStore& store_;
  std::string id_;
};

}  // namespace zolvex
