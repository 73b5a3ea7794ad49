#pragma once
#include <stdexcept>
#include <string>
#include <vector>

namespace zolvex::ktqtool {

// Input that cannot be read or output that cannot be written; the tool prints the reason
// and exits with 1.
class ToolFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The tool's commands. Each takes the words after its name and answers the exit status;
// it throws UsageError for a bad command line and ToolFailure when the work fails.
class KtqCommands {
 public:
  static int Build(const std::vector<std::string>& words);
  static int Info(const std::vector<std::string>& words);
  static int Tile(const std::vector<std::string>& words);
  static int Thumb(const std::vector<std::string>& words);
  static int Mosaic(const std::vector<std::string>& words);
  static int Synth(const std::vector<std::string>& words);
};

}  // namespace zolvex::ktqtool
