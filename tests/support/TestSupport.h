#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zolvex::test {

// A fresh folder under the system's temporary folder, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Pixels as an independent decoder (ImageMagick) reads them: 8-bit RGBA, top-down.
struct MagickPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // width * height * 4
  std::uint8_t R(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  std::uint8_t G(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 1]; }
  std::uint8_t B(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 2]; }
  std::uint8_t A(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

// Runs a shell command; returns its exit status and, when wanted, its standard output.
int RunCommand(const std::string& command, std::string* output = nullptr);
// The ImageMagick command ("magick" or "convert"), empty when not installed.
std::string MagickCommand();
// Decodes file (with an optional "[frame]" suffix) through ImageMagick.
std::optional<MagickPixels> MagickRead(const std::string& file);
// Runs ImageMagick with arguments, e.g. MagickRun("-size 8x8 gradient: out.png").
bool MagickRun(const std::string& arguments);
// Largest channel difference between two equally sized pictures; -1 when sizes differ.
int MaxChannelDifference(const MagickPixels& a, const MagickPixels& b);
// Peak signal-to-noise ratio over RGB in dB (infinity when equal).
double Psnr(const MagickPixels& a, const MagickPixels& b);

}  // namespace zolvex::test
