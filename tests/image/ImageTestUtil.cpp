#include "tests/image/ImageTestUtil.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace zolvex::test {

MagickPixels ToMagick(const qmImage& image) {
  MagickPixels out;
  out.width = image.getWidth();
  out.height = image.getHeight();
  out.rgba.reserve(static_cast<size_t>(out.width) * out.height * 4);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const qmRGBQuad c = image.getPixelColor(x, y);
      out.rgba.push_back(c.red);
      out.rgba.push_back(c.green);
      out.rgba.push_back(c.blue);
      out.rgba.push_back(image.getAlpha(x, y));
    }
  }
  return out;
}

int VisibleDifference(const MagickPixels& a, const MagickPixels& b) {
  if (a.width != b.width || a.height != b.height || a.rgba.size() != b.rgba.size()) return -1;
  int worst = 0;
  for (size_t i = 0; i < a.rgba.size(); i += 4) {
    const bool hidden = a.rgba[i + 3] == 0 && b.rgba[i + 3] == 0;
    for (size_t k = hidden ? 3 : 0; k < 4; ++k) worst = std::max(worst, std::abs(a.rgba[i + k] - b.rgba[i + k]));
  }
  return worst;
}

std::optional<MagickPixels> MagickReadOriented(const std::string& file) {
  if (MagickCommand().empty()) return std::nullopt;
  std::string output;
  if (RunCommand(MagickCommand() + " '" + file + "' -auto-orient -format '%w %h\\n' -write info:- -depth 8 rgba:- 2>/dev/null",
                 &output) != 0) {
    return std::nullopt;
  }
  MagickPixels pixels;
  const size_t newline = output.find('\n');
  if (newline == std::string::npos || std::sscanf(output.c_str(), "%d %d", &pixels.width, &pixels.height) != 2) {
    return std::nullopt;
  }
  if (output.size() - newline - 1 != static_cast<size_t>(pixels.width) * pixels.height * 4) return std::nullopt;
  pixels.rgba.assign(output.begin() + static_cast<long>(newline) + 1, output.end());
  return pixels;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

qmImage MakeImage(int width, int height, std::uint32_t (*color)(int x, int y)) {
  qmImage image(width, height, 24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = color(x, y);
      image.setPixelColor(x, y, qmMakeColor(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF));
    }
  }
  return image;
}

}  // namespace zolvex::test
