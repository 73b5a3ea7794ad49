#pragma once
#include <cstdint>
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
