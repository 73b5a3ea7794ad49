// Feeds every kept input of every fuzz target (its seed corpus and the inputs that once
// crashed it) through the target's entry point. A target aborts on a broken property, and
// the sanitizer build catches memory faults, so a regression fails this test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define ZOLVEX_FUZZ_ENTRY(name) extern "C" int zolvexFuzzEntry_##name(const std::uint8_t* data, std::size_t size);
#include "FuzzEntries.inc"
#undef ZOLVEX_FUZZ_ENTRY

namespace {

namespace fs = std::filesystem;
using Entry = int (*)(const std::uint8_t*, std::size_t);

struct FuzzTarget {
  std::string name;
  Entry entry;
};

const std::vector<FuzzTarget>& Targets() {
#define ZOLVEX_FUZZ_ENTRY(name) {#name, &zolvexFuzzEntry_##name},
  static const std::vector<FuzzTarget> targets = {
#include "FuzzEntries.inc"
  };
#undef ZOLVEX_FUZZ_ENTRY
  return targets;
}

std::vector<fs::path> InputsOf(const std::string& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  if (!fs::is_directory(folder, error)) return files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename().string().front() != '.') files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzReplay : public testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplay, KeptInputsPass) {
  const FuzzTarget& target = GetParam();
  const std::string root = ZOLVEX_FUZZ_DIR;
  std::vector<fs::path> seeds = InputsOf(root + "/corpus/" + target.name);
  std::vector<fs::path> regressions = InputsOf(root + "/regressions/" + target.name);
  // Every target starts from seeds; an empty folder would leave its parser untested here.
  ASSERT_FALSE(seeds.empty()) << "no seed inputs for " << target.name;
  seeds.insert(seeds.end(), regressions.begin(), regressions.end());
  for (const fs::path& file : seeds) {
    SCOPED_TRACE(file.string());
    std::vector<std::uint8_t> bytes = ReadAll(file);
    EXPECT_EQ(target.entry(bytes.data(), bytes.size()), 0);
  }
  // The empty input is the first one every fuzzer tries.
  EXPECT_EQ(target.entry(nullptr, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, testing::ValuesIn(Targets()),
                         [](const testing::TestParamInfo<FuzzTarget>& info) { return info.param.name; });

}  // namespace
