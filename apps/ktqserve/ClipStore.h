#pragma once
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace zolvex {

// The clips that viewers upload (a form with pubpath, clipname, cat, keyword, desc,
// cliptime and clip): each valid one is kept in the folder as "<name>.clip", an XMML file
// in UTF-8 whose params carry the form's fields, and is served back by that name.
class ClipStore {
 public:
  static constexpr std::size_t kMaxClipBytes = 65536;
  static constexpr std::size_t kMaxNameLength = 64;
  // Clips of one name are kept as NAME.clip, NAME-2.clip ... up to this many; finding a free
  // name then stops, so that repeated uploads cannot make each one slower without end.
  static constexpr int kMaxClipsPerName = 1000;

  struct Result {
    int status = 200;
    std::string body;  // the stored clip's file name, or why it was refused
  };

  explicit ClipStore(std::string folder);

  // Validates and stores one upload.
  Result Receive(const std::string& formBody);
  // The text of a stored clip; none for a name that is not a stored clip's.
  std::optional<std::string> Read(const std::string& fileName) const;

  static std::map<std::string, std::string> ParseForm(std::string_view body);
  // "%XX" as the byte XX and "+" as a space; a broken escape is kept as it stands.
  static std::string PercentDecode(std::string_view text);
  // A file name that stays in the folder: letters, digits, "-" and "_" of the clip's name
  // (anything else becomes "_"), at most kMaxNameLength of them, then ".clip".
  static std::string FileNameFor(const std::string& clipName);

 private:
  std::string folder_;
  mutable std::mutex mutex_;
};

}  // namespace zolvex
