#include "tests/ktq/KtqTestFiles.h"

#include <sys/resource.h>

#include <fstream>
#include <iterator>

#include "tiles/KtqFormat.h"

namespace zolvex::test {
namespace {

void AppendLE32(std::vector<std::uint8_t>& bytes, std::int32_t value) {
  bytes.resize(bytes.size() + 4);
  PutLE32(bytes, static_cast<std::int64_t>(bytes.size()) - 4, value);
}

}  // namespace

std::vector<std::uint8_t> SolidStream(int width, int height, qmRGBQuad colour, int formatId) {
  qmImage image(width, height, 24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.setPixelColor(x, y, colour);
  }
  return KtqFormat::EncodeStream(image, formatId, 95).value();
}

std::string Rgb(qmRGBQuad colour) {
  return std::to_string(colour.red) + "," + std::to_string(colour.green) + "," + std::to_string(colour.blue);
}

void PutLE32(std::vector<std::uint8_t>& bytes, std::int64_t at, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes.at(static_cast<size_t>(at + i)) = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> HandMadeKtq::Bytes() {
  std::vector<std::uint8_t> bytes(magic.begin(), magic.end());
  AppendLE32(bytes, codec);
  AppendLE32(bytes, 0);
  AppendLE32(bytes, static_cast<std::int32_t>(thumbnail.size()));
  bytes.insert(bytes.end(), thumbnail.begin(), thumbnail.end());
  AppendLE32(bytes, static_cast<std::int32_t>(levels.size()));
  directoryAt = static_cast<std::int64_t>(bytes.size());
  bytes.resize(bytes.size() + levels.size() * 8);
  headerAt.clear();
  dataAt.clear();
  for (size_t i = 0; i < levels.size(); ++i) {
    headerAt.push_back(static_cast<std::int64_t>(bytes.size()));
    AppendLE32(bytes, levels[i].rows);
    AppendLE32(bytes, levels[i].columns);
    std::int32_t offset = 0;
    for (const auto& tile : levels[i].tiles) {
      AppendLE32(bytes, offset);
      offset += static_cast<std::int32_t>(tile.size());
    }
    dataAt.push_back(static_cast<std::int64_t>(bytes.size()));
    for (const auto& tile : levels[i].tiles) bytes.insert(bytes.end(), tile.begin(), tile.end());
    PutLE32(bytes, directoryAt + 8 * static_cast<std::int64_t>(i), static_cast<std::int32_t>(headerAt.back()));
    PutLE32(bytes, directoryAt + 8 * static_cast<std::int64_t>(i) + 4, static_cast<std::int32_t>(dataAt.back()));
  }
  return bytes;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zolvex::test

namespace zolvex::test {

std::int64_t PeakMemoryGrowthMb(const std::function<void()>& f) {
  auto peakKb = [] {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::int64_t>(usage.ru_maxrss);
  };
  const std::int64_t before = peakKb();
  f();
  return (peakKb() - before) / 1024;
}

std::vector<std::uint8_t> BmpHeaderOnly(std::int32_t width, std::int32_t height) {
  std::vector<std::uint8_t> bytes(54, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLE32(bytes, 2, 54);
  PutLE32(bytes, 10, 54);
  PutLE32(bytes, 14, 40);
  PutLE32(bytes, 18, width);
  PutLE32(bytes, 22, height);
  bytes[26] = 1;
  bytes[28] = 24;
  return bytes;
}

}  // namespace zolvex::test
