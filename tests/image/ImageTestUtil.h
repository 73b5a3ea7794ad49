#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/qmImage.h"
#include "tests/support/TestSupport.h"

namespace zolvex::test {

// An image's pixels in the independent decoder's form (RGBA, top-down); alpha is the
// alpha plane or 255.
MagickPixels ToMagick(const qmImage& image);
// Largest channel difference, ignoring the colour of pixels that are fully transparent
// in both pictures; -1 when sizes differ.
int VisibleDifference(const MagickPixels& a, const MagickPixels& b);
// The independent decoder's reading of a file (with an optional "[frame]" suffix) in the
// orientation the file declares.
std::optional<MagickPixels> MagickReadOriented(const std::string& file);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// A 24-bit image filled from a function of (x, y) giving 0xRRGGBB.
qmImage MakeImage(int width, int height, std::uint32_t (*color)(int x, int y));

}  // namespace zolvex::test
