// Compiled into every test program: the program, and every program it runs, keeps its
// settings, data and cache in a temporary folder of its own, never in the user's. An
// interrupted test therefore leaves nothing behind that a real start would read.
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace {

class PrivateHome {
 public:
  PrivateHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zolvex-test-home-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    folder_ = pattern;
    for (const auto& [variable, name] : {std::pair{"XDG_CONFIG_HOME", "config"}, std::pair{"XDG_DATA_HOME", "data"},
                                         std::pair{"XDG_CACHE_HOME", "cache"}}) {
      const std::filesystem::path path = folder_ / name;
      std::error_code ignored;
      std::filesystem::create_directories(path, ignored);
      setenv(variable, path.c_str(), 1);
    }
  }
  ~PrivateHome() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  PrivateHome(const PrivateHome&) = delete;
  PrivateHome& operator=(const PrivateHome&) = delete;

 private:
  std::filesystem::path folder_;
};

const PrivateHome privateHome;

}  // namespace
