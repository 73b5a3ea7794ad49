// The clip server's upload form: percent-escaped fields, the clip's XMML and its name. Every
// upload is stored whole under a name that stays in the folder, and what is stored reads
// back as well-formed XMML; every other upload is refused with 400, 409 or 413.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "apps/ktqserve/ClipStore.h"
#include "documents/XmlReader.h"
#include "fuzz/FuzzSupport.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own for this process, emptied before each input so that names never
// collide with earlier inputs, and removed when the process ends.
const fs::path& ClipFolder() {
  static const fs::path folder = fs::temp_directory_path() / ("zolvex-fuzz-clips-" + std::to_string(std::random_device()()));
  // Registered after the path is made, so that it runs before the path is destroyed.
  static const int removeAtExit = std::atexit([] {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  });
  (void)removeAtExit;
  return folder;
}

bool StaysInFolder(const std::string& name) {
  if (name.size() <= 5 || name.substr(name.size() - 5) != ".clip") return false;
  for (std::size_t i = 0; i + 5 < name.size(); ++i) {
    const char c = name[i];
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!plain) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zolvex;
  std::error_code ignored;
  fs::remove_all(ClipFolder(), ignored);
  fs::create_directories(ClipFolder(), ignored);
  ClipStore store(ClipFolder().string());
  const ClipStore::Result result = store.Receive(std::string(fuzz::AsText(data, size)));
  if (result.status != 200) {
    fuzz::Require(result.status == 400 || result.status == 413 || result.status == 409,
                  "a refused upload answers 400, 409 or 413", result.body);
    return 0;
  }
  const std::string name = result.body.substr(0, result.body.find('\n'));
  fuzz::Require(StaysInFolder(name), "a stored clip's name stays in the folder", name);
  const auto stored = store.Read(name);
  fuzz::Require(stored.has_value(), "a stored clip reads back", name);
  XmlReader reader;
  fuzz::Require(reader.Parse(*stored), "a stored clip is well-formed XMML", *stored);
  return 0;
}
