#pragma once
#include <string>
#include <vector>

#include "image/qmImage.h"
#include "tiles/KtqWriter.h"

namespace zolvex::test {

// A tile whose colours vary with its address and with the position inside it, so that
// tiles mixed up or decoded wrongly show.
inline qmImage PatternTile(int size, int level, int column, int row) {
  qmImage tile(size, size, 24);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      tile.setPixelColor(x, y, qmMakeColor((column * 60 + x * 4) & 255, (row * 60 + y * 4) & 255, level * 70));
  return tile;
}

// Writes a local tiled image of `levels` levels; level i is (i + 1) x (i + 1) tiles.
inline bool WriteTestImage(const std::string& path, int levels, int tileSize, int codec = qmFormatJpeg,
                           bool scrambled = false) {
  KtqWriter writer({.codec = codec, .scrambled = scrambled, .jpegQuality = 90});
  auto thumbnail = writer.Encode(PatternTile(8, 0, 0, 0));
  if (!writer.Begin(path, levels, thumbnail)) return false;
  for (int level = 0; level < levels; ++level) {
    int count = level + 1;
    if (!writer.BeginLevel(count, count)) return false;
    for (int row = 0; row < count; ++row)
      for (int column = 0; column < count; ++column)
        if (!writer.AddTile(PatternTile(tileSize, level, column, row))) return false;
  }
  return writer.Finish();
}

// True when both images have the same size and pixels.
inline bool SamePixels(const qmImage& a, const qmImage& b) {
  if (a.getWidth() != b.getWidth() || a.getHeight() != b.getHeight()) return false;
  for (int y = 0; y < a.getHeight(); ++y)
    for (int x = 0; x < a.getWidth(); ++x)
      if (!(a.getPixelColor(x, y) == b.getPixelColor(x, y))) return false;
  return true;
}

}  // namespace zolvex::test
