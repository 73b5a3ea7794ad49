// Codec benchmark: decoding 256 x 256 JPEG tiles through the image library's memory entry
// point beside a plain libjpeg-turbo loop over the same bytes, and the resize operations.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "image/ViewImage.h"
#include "image/codecs/qmjpegcodec.h"
#include "image/qmBufferedStream.h"
#include "image/qmImageUtils.h"

using namespace zolvex;

namespace {

constexpr int kTileSize = 256;
constexpr int kTileCount = 8;

// A picture with smooth gradients and some noise, like a photograph's tile.
qmImage MakePicture(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  qmImage image(width, height, 24);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.getRow(y);
    for (int x = 0; x < width; ++x, row += 3) {
      const int noise = static_cast<int>(random() % 24);
      row[0] = static_cast<std::uint8_t>((x * 255 / width + noise) & 0xFF);
      row[1] = static_cast<std::uint8_t>((y * 255 / height + noise) & 0xFF);
      row[2] = static_cast<std::uint8_t>(((x + y) * 127 / (width + height) + seed * 31 + noise) & 0xFF);
    }
  }
  return image;
}

const std::vector<std::vector<std::uint8_t>>& Tiles() {
  static const std::vector<std::vector<std::uint8_t>> tiles = [] {
    std::vector<std::vector<std::uint8_t>> out;
    for (int i = 0; i < kTileCount; ++i) {
      qmBufferedStream stream;
      qmJpegEncoder encoder(&stream);
      encoder.setQuality(85);
      encoder.encode(MakePicture(kTileSize, kTileSize, static_cast<unsigned>(i)));
      out.emplace_back(stream.data(), stream.data() + stream.length());
    }
    return out;
  }();
  return tiles;
}

void BM_DecodeFromMemory(benchmark::State& state) {
  const auto& tiles = Tiles();
  size_t i = 0;
  for (auto _ : state) {
    const auto& tile = tiles[i++ % tiles.size()];
    auto image = qmImageUtils::decodeFromMemory(tile.data(), tile.size(), qmFormatJpeg);
    if (!image) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.get());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_DecodeFromMemory);

// The same bytes through libjpeg-turbo directly, into one RGB buffer.
void BM_PlainLibjpeg(benchmark::State& state) {
  const auto& tiles = Tiles();
  std::vector<JSAMPLE> pixels(static_cast<size_t>(kTileSize) * kTileSize * 3);
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  size_t i = 0;
  for (auto _ : state) {
    const auto& tile = tiles[i++ % tiles.size()];
    jpeg_mem_src(&cinfo, tile.data(), static_cast<unsigned long>(tile.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = &pixels[static_cast<size_t>(cinfo.output_scanline) * cinfo.output_width * 3];
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels.data());
  }
  jpeg_destroy_decompress(&cinfo);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_PlainLibjpeg);

// Resizing: source size, target size, mode and depth; reports megapixels of source per
// second.
void BM_Resize(benchmark::State& state) {
  const int from = static_cast<int>(state.range(0)), to = static_cast<int>(state.range(1));
  const int mode = static_cast<int>(state.range(2)), bpp = static_cast<int>(state.range(3));
  qmImage source = MakePicture(from, from, 1);
  if (bpp < 24) {
    qmImage grey(from, from, 8);
    for (int y = 0; y < from; ++y)
      for (int x = 0; x < from; ++x) grey.setPixelIndex(x, y, source.getRow(y)[x * 3]);
    source = std::move(grey);
  }
  qmImage target;
  for (auto _ : state) {
    source.resize(to, to, mode, &target);
    benchmark::DoNotOptimize(target.getBits());
  }
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(from) * from * 1e-6 * state.iterations(),
                                              benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Resize)
    ->ArgNames({"from", "to", "mode", "bpp"})
    ->Args({1024, 256, 1, 24})   // area averaging
    ->Args({4096, 1024, 1, 24})  // area averaging, wide sums
    ->Args({1024, 1536, 1, 24})  // 2 x 2 enlargement
    ->Args({1024, 512, 0, 24})   // nearest neighbour
    ->Args({512, 768, 3, 8})     // bilinear through a palette
    ->Unit(benchmark::kMillisecond);

// Collects the per-tile CPU times of the two decoders to print their ratio (CPU time, so
// that other load on the machine does not tilt it).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        seconds_[run.benchmark_name()] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio() const {
    const auto ours = seconds_.find("BM_DecodeFromMemory"), plain = seconds_.find("BM_PlainLibjpeg");
    if (ours == seconds_.end() || plain == seconds_.end() || ours->second <= 0) return;
    std::printf("decodeFromMemory throughput / plain libjpeg-turbo: %.3f (should stay above 0.9)\n",
                plain->second / ours->second);
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  benchmark::Shutdown();
  return 0;
}
