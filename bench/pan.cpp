// Panning and zooming a 1920 x 1080 headless view over a large synthetic picture along a
// fixed path of viewports that keeps needing new tiles, waiting for every frame to
// complete, from a local file, over a direct connection to a tile server and through its
// HTTP tunnel. The server (ktqserve) runs in a process of its own, and each case runs in a
// fresh viewer process, so that the resident memory shown is the viewer's alone.
//
// Each case runs three times, the cases in turn, and the run of median length is reported.
// For each case it prints the frames per second (steps over the time the path took, each
// frame composed after the move and again once complete) and the tiles decoded per second
// (the distinct tiles the path needed, over the same time), beside the raw decode rate of
// the same tiles on one thread, and the viewer's processor time per frame and per tile
// (figures that a busy machine disturbs less than the rates); the time to the first
// complete frame (opening included); and the viewer's resident memory along the path (at
// its start, its peak and its end: it must stay flat, the tile cache bounds it).
//
//   bench_pan [SIZE] [FOLDER] [CASE...]   SIZE defaults to 32768; the picture is kept in
//                                         FOLDER; CASE is local, direct or tunnel (all three
//                                         by default; the ratios need local)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "control/ViewWindow.h"
#include "documents/MapDocument.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "tiles/CComponentTile.h"
#include "tiles/KtqLocalFile.h"

namespace {

using namespace zolvex;
using Clock = std::chrono::steady_clock;
using TileId = std::tuple<int, int, int>;  // level, column, row

constexpr int kWidth = 1920, kHeight = 1080, kSteps = 200, kRounds = 3;

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Step i of the path: a diagonal pan at the top level, a good part of a window per step,
// with a zoom out and back in every 50 steps.
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

// What one case measured, sent from its process to the parent.
struct CaseFigures {
  bool ok = false;
  double pathSeconds = 0;
  double firstFrameMs = 0;
  long tiles = 0;  // distinct tiles drawn along the path
  long residentStartKb = 0, residentPeakKb = 0, residentEndKb = 0;
  double rawRate = 0;  // the local case only
  double cpuSeconds = 0;  // the viewer's processor time along the path, all its threads
};

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The real tiles (not drafts) of the frame just drawn.
void CollectTiles(FlipMapView& view, std::set<TileId>& seen) {
  for (MapObject* item : view.VisibleItems()) {
    auto* tile = dynamic_cast<CComponentTile*>(item);
    if (tile && tile->IsLoaded() && !tile->IsDraft()) seen.emplace(tile->Level(), tile->Column(), tile->Row());
  }
}

// Composes the frame at once, as the window does when a user moves the view (a remote
// road then shows drafts where tiles are still on their way); the window composes it
// again as soon as the last of its tiles is in, and the wait ends with that frame. The
// window's own timers still run meanwhile. The web benchmark, bench/web/web_pan.mjs, waits
// the same way, so that their frames per second compare.
void WaitForCompleteFrame(platform::Platform& platform, ViewWindow& window) {
  auto& host = static_cast<platform::HeadlessWindowHost&>(platform.Window());
  FlipMapView& view = window.View();
  while (!window.FrameComplete()) {
    // A frame still waiting after a second (a tile that failed) is composed once more.
    if (host.RunUntil([&view] { return view.PendingTileCount() == 0; }, 1000)) return;
  }
}

// Decodes the tiles one after another on this thread: tiles per second.
double RawDecodeRate(const std::string& path, const std::set<TileId>& tiles) {
  KtqLocalFile file;
  if (!file.Open(path) || tiles.empty()) return 0;
  int decoded = 0;
  auto start = Clock::now();
  for (auto [level, column, row] : tiles) decoded += file.DecodeTile(level, column, row) != nullptr;
  return decoded / SecondsSince(start);
}

CaseFigures RunCase(const std::string& label, const std::string& url,
                    std::vector<std::pair<std::string, std::string>> properties, int fullSize,
                    const std::string& picture) {
  platform::PlatformOptions options;
  options.width = kWidth;
  options.height = kHeight;
  options.settingsFile = (std::filesystem::temp_directory_path() / ("zolvex-bench-pan-" + label + ".ini")).string();
  std::filesystem::remove(options.settingsFile);
  std::string error;
  auto platform = platform::CreatePlatform(options, error);
  properties.emplace_back("CustomErrorHandling", "yes");
  ViewWindow window(*platform, properties);
  CaseFigures figures;
  auto opening = Clock::now();
  if (!window.Open(url, error)) {
    std::printf("%s: cannot open %s: %s\n", label.c_str(), url.c_str(), error.c_str());
    return figures;
  }
  WaitForCompleteFrame(*platform, window);
  figures.firstFrameMs = 1000 * SecondsSince(opening);
  const int levels = window.View().GetDocument()->GetLevelCount();
  std::set<TileId> seen, before;
  CollectTiles(window.View(), before);
  figures.residentStartKb = figures.residentPeakKb = ResidentKb();
  const double cpuAtStart = ProcessCpuSeconds();
  auto start = Clock::now();
  for (int i = 0; i < kSteps; ++i) {
    Viewport v = PathStep(i, levels, fullSize);
    window.View().MoveTo(v.x, v.y, v.level, "left");
    WaitForCompleteFrame(*platform, window);
    CollectTiles(window.View(), seen);
    const long resident = ResidentKb();
    figures.residentPeakKb = std::max(figures.residentPeakKb, resident);
    if ((i + 1) % 50 == 0) std::printf("  %-8s step %3d  resident %6ld kB\n", label.c_str(), i + 1, resident);
  }
  figures.pathSeconds = SecondsSince(start);
  figures.cpuSeconds = ProcessCpuSeconds() - cpuAtStart;
  figures.residentEndKb = ResidentKb();
  for (const TileId& tile : before) seen.erase(tile);
  figures.tiles = static_cast<long>(seen.size());
  if (label == "local") figures.rawRate = RawDecodeRate(picture, seen);
  figures.ok = true;
  return figures;
}

// Runs a case in a child process, so that its memory is measured alone.
CaseFigures RunCaseApart(const std::string& label, const std::string& url,
                         const std::vector<std::pair<std::string, std::string>>& properties, int fullSize,
                         const std::string& picture) {
  std::fflush(stdout);
  int channel[2];
  if (pipe(channel) != 0) return {};
  pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    CaseFigures figures = RunCase(label, url, properties, fullSize, picture);
    std::fflush(stdout);
    ssize_t written = write(channel[1], &figures, sizeof figures);
    _exit(written == static_cast<ssize_t>(sizeof figures) ? 0 : 1);
  }
  close(channel[1]);
  CaseFigures figures;
  if (child < 0 || read(channel[0], &figures, sizeof figures) != static_cast<ssize_t>(sizeof figures)) figures = {};
  close(channel[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return figures;
}

// The tile server in a process of its own, on free ports of the loopback.
class ServerProcess {
 public:
  bool Start(const std::string& root) {
    int channel[2];
    if (pipe(channel) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(channel[1], STDOUT_FILENO);
      close(channel[0]);
      close(channel[1]);
      execl(KTQSERVE_PROGRAM, KTQSERVE_PROGRAM, root.c_str(), "--port", "0", "--http-port", "0", "--threads", "1",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(channel[1]);
    if (pid_ < 0) return false;
    output_ = fdopen(channel[0], "r");
    char line[512];
    while ((port_ == 0 || httpPort_ == 0) && output_ && std::fgets(line, sizeof line, output_)) {
      const std::string text = line;
      const std::size_t at = text.rfind(" port ");
      if (at == std::string::npos) continue;
      (text.find("HTTP tunnel") != std::string::npos ? httpPort_ : port_) = std::atoi(text.c_str() + at + 6);
    }
    // The server logs a line per connection: its output is read on, so that it never
    // waits for a full pipe.
    if (output_) drain_ = std::thread([this] {
      while (std::fgets(line_, sizeof line_, output_)) {
      }
    });
    return port_ != 0 && httpPort_ != 0;
  }
  ~ServerProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (drain_.joinable()) drain_.join();
    if (output_) std::fclose(output_);
  }
  int Port() const { return port_; }
  int HttpPort() const { return httpPort_; }

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  std::thread drain_;
  char line_[512];
  int port_ = 0, httpPort_ = 0;
};

// Reads the file once, so that every case finds it in the page cache.
void WarmPageCache(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> block(1 << 20);
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
  }
}

// The run of median length among a case's runs (its raw rate the median of theirs); a
// failed run makes the case fail.
CaseFigures Median(std::vector<CaseFigures> runs) {
  if (runs.empty() || std::any_of(runs.begin(), runs.end(), [](const CaseFigures& f) { return !f.ok; })) return {};
  std::vector<double> rawRates;
  for (const CaseFigures& run : runs) rawRates.push_back(run.rawRate);
  std::sort(rawRates.begin(), rawRates.end());
  std::sort(runs.begin(), runs.end(), [](const CaseFigures& a, const CaseFigures& b) { return a.pathSeconds < b.pathSeconds; });
  CaseFigures median = runs[runs.size() / 2];
  median.rawRate = rawRates[rawRates.size() / 2];
  return median;
}

void Report(const std::string& label, const CaseFigures& figures, double localRate) {
  if (!figures.ok) {
    std::printf("%-8s failed\n", label.c_str());
    return;
  }
  const double rate = figures.tiles / figures.pathSeconds;
  std::printf("%-8s %5.1f frames/s, %6.0f tiles/s decoded (%d frames, %ld tiles in %.2f s)", label.c_str(),
              kSteps / figures.pathSeconds, rate, kSteps, figures.tiles, figures.pathSeconds);
  if (figures.rawRate > 0) std::printf(", %.2f of raw decoding", rate / figures.rawRate);
  if (localRate > 0) std::printf(", %.2f of local", rate / localRate);
  std::printf("\n         viewer processor time %.1f ms a frame, %.2f ms a tile; first complete frame %.0f ms; resident %ld kB at the start, peak %ld kB, %ld kB at the end\n",
              1000 * figures.cpuSeconds / kSteps, 1000 * figures.cpuSeconds / std::max(1L, figures.tiles), figures.firstFrameMs, figures.residentStartKb, figures.residentPeakKb, figures.residentEndKb);
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
  WarmPageCache(picture);

  ServerProcess server;
  if (!server.Start(folder.string())) {
    std::printf("cannot start the tile server %s\n", KTQSERVE_PROGRAM);
    return 1;
  }
  const std::string name = std::filesystem::path(picture).filename().string();
  const std::set<std::string> cases(argv + std::min(argc, 3), argv + argc);
  auto wanted = [&cases](const std::string& label) { return cases.empty() || cases.count(label) > 0; };
  std::printf("%d steps of a %d x %d window over %d x %d\n", kSteps, kWidth, kHeight, size, size);
  // The machine's speed drifts from second to second (other work shares it), so each case
  // runs kRounds times, the cases in turn, and the run of median length stands for it.
  const std::string directUrl = "ktq://127.0.0.1:" + std::to_string(server.Port()) + "/" + name;
  const std::vector<std::pair<std::string, std::string>> tunnelProperties = {
      {"firewalled", "yes"}, {"HTTPPort", std::to_string(server.HttpPort())}};
  std::vector<CaseFigures> locals, directs, tunnels;
  for (int round = 1; round <= kRounds; ++round) {
    if (wanted("local")) locals.push_back(RunCaseApart("local", picture, {}, size, picture));
    if (wanted("direct")) directs.push_back(RunCaseApart("direct", directUrl, {}, size, picture));
    if (wanted("tunnel")) {
      tunnels.push_back(RunCaseApart("tunnel", "ktq://127.0.0.1/" + name, tunnelProperties, size, picture));
    }
    std::printf("round %d:", round);
    for (const auto* runs : {&locals, &directs, &tunnels}) {
      if (!runs->empty() && runs->back().ok) std::printf(" %.0f tiles/s", runs->back().tiles / runs->back().pathSeconds);
    }
    std::printf("\n");
  }
  const CaseFigures local = Median(locals), direct = Median(directs), tunnel = Median(tunnels);
  if (local.ok) std::printf("raw decode of the same tiles, one thread: %.0f tiles/s\n", local.rawRate);
  const double localRate = local.ok ? local.tiles / local.pathSeconds : 0;
  for (const auto& [label, figures] : {std::pair{"local", local}, {"direct", direct}, {"tunnel", tunnel}}) {
    if (wanted(label)) Report(label, figures, label == std::string("local") ? 0 : localRate);
  }
  return 0;
}
