// ktqtool: makes and inspects KTQ tiled images.
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "apps/ktqtool/KtqCommands.h"
#include "apps/ktqtool/ToolArgs.h"

namespace {

constexpr const char* kUsage =
    "usage: ktqtool build INPUT OUTPUT.ktq [--tile 256] [--codec jpeg|png|bmp|tga|gif|tiff] [--quality 85] "
    "[--plain|--scrambled] [--thumb 160] [--threads 1]\n"
    "       ktqtool synth OUTPUT.ktq --size N [same options as build]\n"
    "       ktqtool info FILE.ktq [--json]\n"
    "       ktqtool tile FILE.ktq LEVEL COLUMN ROW OUT.png\n"
    "       ktqtool thumb FILE.ktq OUT.png\n"
    "       ktqtool mosaic OUTPUT.mon --grid COLSxROWS FILE...\n";

using Command = std::function<int(const std::vector<std::string>&)>;

}  // namespace

int main(int argc, char** argv) {
  using namespace zolvex::ktqtool;
  const std::map<std::string, Command> commands = {
      {"build", KtqCommands::Build}, {"synth", KtqCommands::Synth},   {"info", KtqCommands::Info},
      {"tile", KtqCommands::Tile},   {"thumb", KtqCommands::Thumb},   {"mosaic", KtqCommands::Mosaic}};
  std::vector<std::string> words(argv + 1, argv + argc);
  if (!words.empty() && (words[0] == "--help" || words[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  try {
    if (words.empty()) throw UsageError("no command given (build, synth, info, tile, thumb, mosaic; --help shows usage)");
    auto command = commands.find(words[0]);
    if (command == commands.end()) throw UsageError("unknown command \"" + words[0] + "\" (build, synth, info, tile, thumb, mosaic)");
    return command->second(std::vector<std::string>(words.begin() + 1, words.end()));
  } catch (const UsageError& error) {
    std::fprintf(stderr, "ktqtool: %s\n", error.what());
    return 2;
  } catch (const ToolFailure& error) {
    std::fprintf(stderr, "ktqtool: %s\n", error.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "ktqtool: out of memory\n");
    return 1;
  }
}
