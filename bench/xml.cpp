// Parsing speed of XmlReader over a large XMML publication: about 50 MB of text with a
// million object elements in maps, plus a full cursor walk and attribute reads.
#include <benchmark/benchmark.h>

#include <string>

#include "documents/XmlReader.h"

namespace {

constexpr int kMaps = 1000;
constexpr int kObjectsPerMap = 999;  // with the maps and the frame: just over a million elements

const std::string& LargeDocument() {
  static const std::string text = [] {
    std::string t = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XMML>\n <PARAM NAME=\"title\" VALUE=\"Big\"/>\n <BODY>\n";
    t.reserve(52u << 20);
    for (int m = 0; m < kMaps; ++m) {
      t += "  <map id=\"m" + std::to_string(m) + "\" mapwidth=\"4000\" mapheight=\"3000\">\n";
      for (int o = 0; o < kObjectsPerMap; ++o) {
        const std::string n = std::to_string(m * kObjectsPerMap + o);
        t += "<rect x=\"" + n + "\" y=\"" + n + "\" w=\"120\" text=\"A &amp; " + n + "\"/>\n";
      }
      t += "  </map>\n";
    }
    t += " </BODY>\n</XMML>\n";
    return t;
  }();
  return text;
}

void BM_Parse(benchmark::State& state) {
  const std::string& text = LargeDocument();
  zolvex::XmlReader reader;
  for (auto _ : state) {
    if (!reader.Parse(text)) state.SkipWithError(reader.GetErrorText().c_str());
    benchmark::DoNotOptimize(reader.ElementCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["elements"] = static_cast<double>(reader.ElementCount());
  state.counters["megabytes"] = static_cast<double>(text.size()) / (1 << 20);
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);

void BM_WalkAndReadAttributes(benchmark::State& state) {
  zolvex::XmlReader reader;
  if (!reader.Parse(LargeDocument())) state.SkipWithError("parse failed");
  for (auto _ : state) {
    reader.ResetPosition();
    std::size_t total = 0;
    reader.FindNext("XMML");
    reader.FindChild("BODY");
    reader.EnterChild();
    while (reader.FindChild("map")) {
      reader.EnterChild();
      while (reader.FindChild({})) total += reader.GetChildAttribute("text").size();
      reader.LeaveToParent();
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_WalkAndReadAttributes)->Unit(benchmark::kMillisecond);

void BM_DeepNesting(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "<d>";
  for (int i = 0; i < 100000; ++i) text += "</d>";
  zolvex::XmlReader reader;
  for (auto _ : state) {
    if (!reader.Parse(text)) state.SkipWithError(reader.GetErrorText().c_str());
  }
}
BENCHMARK(BM_DeepNesting)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
