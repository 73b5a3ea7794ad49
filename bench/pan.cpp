// Panning and zooming a 1920 x 1080 headless view over a large synthetic picture along a
// fixed path of viewports, waiting for every frame to complete, from a local file, over a
// direct connection to a tile server and through its HTTP tunnel. Prints tiles per second,
// frames per second and resident memory along the path (it must stay flat: the tile cache
// bounds it), beside the raw decode rate of the same tiles.
//
//   bench_pan [SIZE] [FOLDER]    SIZE defaults to 32768; the picture is kept in FOLDER
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "apps/ktqserve/KtqServer.h"
#include "control/ViewWindow.h"
#include "documents/MapDocument.h"
#include "platform/Platform.h"
#include "tiles/KtqLocalFile.h"

namespace {

using namespace zolvex;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1920, kHeight = 1080, kSteps = 200;

long ResidentKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  }
  return -1;
}

// Step i of the path: a slow diagonal pan at the top level with a zoom out and back in
// every 50 steps.
struct Viewport {
  int x, y, level;
};
Viewport PathStep(int i, int levels, int fullSize) {
  int level = levels - ((i % 50) >= 45 ? 2 : 1);
  int scale = levels - level;  // 1 at the top level
  int x = (i * 701) % std::max(1, fullSize - kWidth * 2);
  int y = (i * 433) % std::max(1, fullSize - kHeight * 2);
  return {x >> (scale - 1), y >> (scale - 1), level + 1};
}

struct RunFigures {
  double seconds = 0;
  long tiles = 0;
};

RunFigures Run(const std::string& label, const std::string& url, std::vector<std::pair<std::string, std::string>> properties,
               int fullSize) {
  platform::PlatformOptions options;
  options.width = kWidth;
  options.height = kHeight;
  options.settingsFile = (std::filesystem::temp_directory_path() / "zolvex-bench-pan.ini").string();
  std::string error;
  auto platform = platform::CreatePlatform(options, error);
  properties.emplace_back("CustomErrorHandling", "yes");
  const auto opened = Clock::now();
  ViewWindow window(*platform, properties);
  if (!window.Open(url, error)) {
    std::printf("%s: cannot open %s: %s\n", label.c_str(), url.c_str(), error.c_str());
    return {};
  }
  while (!window.FrameComplete()) platform->Window().RunFor(5);
  std::printf("%-8s first complete frame after %.0f ms\n", label.c_str(),
              std::chrono::duration<double, std::milli>(Clock::now() - opened).count());
  const int levels = window.View().GetDocument()->GetLevelCount();
  RunFigures figures;
  auto start = Clock::now();
  for (int i = 0; i < kSteps; ++i) {
    Viewport v = PathStep(i, levels, fullSize);
    window.View().MoveTo(v.x, v.y, v.level, "left");
    while (!window.FrameComplete()) platform->Window().RunFor(5);
    figures.tiles += static_cast<long>(window.View().VisibleItems().size());
    if ((i + 1) % 50 == 0) {
      std::printf("  %-8s step %3d  resident %6ld kB  peak %6ld kB\n", label.c_str(), i + 1, ResidentKb("VmRSS:"),
                  ResidentKb("VmHWM:"));
    }
  }
  figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%-8s %6.1f frames/s  %8.0f tiles/s drawn\n", label.c_str(), kSteps / figures.seconds,
              figures.tiles / figures.seconds);
  return figures;
}

double RawDecodeRate(const std::string& path) {
  KtqLocalFile file;
  if (!file.Open(path)) return 0;
  const int level = file.LevelCount() - 1;
  const LevelInfo& info = file.Level(level);
  auto start = Clock::now();
  int decoded = 0;
  for (int row = 0; row < std::min(info.rows, 16); ++row) {
    for (int column = 0; column < std::min(info.columns, 16); ++column) decoded += file.DecodeTile(level, column, row) != nullptr;
  }
  return decoded / std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int size = argc > 1 ? std::atoi(argv[1]) : 32768;
  const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "zolvex-bench";
  std::filesystem::create_directories(folder);
  const std::string picture = (folder / ("pan" + std::to_string(size) + ".ktq")).string();
  if (!std::filesystem::exists(picture)) {
    std::printf("making %s (%d x %d)\n", picture.c_str(), size, size);
    std::string command = std::string(KTQTOOL_PROGRAM) + " synth '" + picture + "' --size " + std::to_string(size);
    if (std::system(command.c_str()) != 0) return 1;
  }
  std::printf("raw decode of the top level's tiles: %.0f tiles/s\n", RawDecodeRate(picture));

  KtqServer::Options serverOptions;
  serverOptions.root = folder.string();
  serverOptions.port = 0;
  serverOptions.httpPort = 0;
  KtqServer server(serverOptions);
  std::string error;
  if (!server.Start(error)) {
    std::printf("cannot start the tile server: %s\n", error.c_str());
    return 1;
  }
  const std::string name = std::filesystem::path(picture).filename().string();
  Run("local", picture, {}, size);
  Run("direct", "ktq://127.0.0.1:" + std::to_string(server.Port()) + "/" + name, {}, size);
  Run("tunnel", "ktq://127.0.0.1/" + name, {{"firewalled", "yes"}, {"HTTPPort", std::to_string(server.HttpPort())}},
      size);
  server.Stop();
  return 0;
}
