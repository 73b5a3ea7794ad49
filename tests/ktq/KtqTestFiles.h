#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/qmImage.h"

namespace zolvex::test {

// A small solid-colour picture encoded in formatId (BMP by default: lossless and exact).
std::vector<std::uint8_t> SolidStream(int width, int height, qmRGBQuad colour, int formatId = 37900);

// "r,g,b" of a colour, for comparisons that ignore the alpha byte.
std::string Rgb(qmRGBQuad colour);

// A local tiled file laid out byte by byte, independently of the library's writer, so that
// tests can place and damage every field.
struct HandMadeKtq {
  struct Level {
    int rows = 1;
    int columns = 1;
    std::vector<std::vector<std::uint8_t>> tiles;  // row-major, stored as given
  };
  std::string magic = "KMTQ";
  std::int32_t codec = 37900;
  std::vector<std::uint8_t> thumbnail;
  std::vector<Level> levels;

  // Positions filled by Bytes(): directory, level headers H(i) and data starts D(i).
  std::int64_t directoryAt = 0;
  std::vector<std::int64_t> headerAt;
  std::vector<std::int64_t> dataAt;

  std::vector<std::uint8_t> Bytes();
};

void PutLE32(std::vector<std::uint8_t>& bytes, std::int64_t at, std::int32_t value);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& path);

}  // namespace zolvex::test

namespace zolvex::test {

// How far (in MB) running f raised the process's peak resident memory. The peak only
// grows, so this shows an allocation that a hostile header provoked.
std::int64_t PeakMemoryGrowthMb(const std::function<void()>& f);

// The bytes of a BMP file header that declares width x height at 24 bits and carries no
// pixels: what a picture bomb looks like.
std::vector<std::uint8_t> BmpHeaderOnly(std::int32_t width, std::int32_t height);

}  // namespace zolvex::test
