#include "tests/support/TestSupport.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <sys/wait.h>

namespace zolvex::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zolvex-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) std::abort();
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

int RunCommand(const std::string& command, std::string* output) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::array<char, 65536> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    if (output) output->append(buffer.data(), n);
  }
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string MagickCommand() {
  static const std::string command = [] {
    if (RunCommand("command -v magick >/dev/null 2>&1") == 0) return std::string("magick");
    if (RunCommand("command -v convert >/dev/null 2>&1") == 0) return std::string("convert");
    return std::string();
  }();
  return command;
}

bool MagickRun(const std::string& arguments) {
  if (MagickCommand().empty()) return false;
  return RunCommand(MagickCommand() + " " + arguments + " 2>/dev/null") == 0;
}

std::optional<MagickPixels> MagickRead(const std::string& file) {
  if (MagickCommand().empty()) return std::nullopt;
  std::string size;
  if (RunCommand("identify -format '%w %h' '" + file + "' 2>/dev/null", &size) != 0) return std::nullopt;
  MagickPixels pixels;
  if (std::sscanf(size.c_str(), "%d %d", &pixels.width, &pixels.height) != 2) return std::nullopt;
  std::string bytes;
  if (RunCommand(MagickCommand() + " '" + file + "' -depth 8 rgba:- 2>/dev/null", &bytes) != 0) return std::nullopt;
  if (bytes.size() != static_cast<size_t>(pixels.width) * pixels.height * 4) return std::nullopt;
  pixels.rgba.assign(bytes.begin(), bytes.end());
  return pixels;
}

int MaxChannelDifference(const MagickPixels& a, const MagickPixels& b) {
  if (a.width != b.width || a.height != b.height || a.rgba.size() != b.rgba.size()) return -1;
  int worst = 0;
  for (size_t i = 0; i < a.rgba.size(); ++i) worst = std::max(worst, std::abs(a.rgba[i] - b.rgba[i]));
  return worst;
}

double Psnr(const MagickPixels& a, const MagickPixels& b) {
  if (MaxChannelDifference(a, b) < 0) return 0;
  double sum = 0;
  size_t count = 0;
  for (size_t i = 0; i < a.rgba.size(); ++i) {
    if (i % 4 == 3) continue;
    double d = double(a.rgba[i]) - double(b.rgba[i]);
    sum += d * d;
    ++count;
  }
  if (sum == 0) return std::numeric_limits<double>::infinity();
  double mse = sum / double(count);
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace zolvex::test
