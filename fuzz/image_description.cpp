// Image descriptions, as a LOAD answer carries them (the frame length chosen by the input)
// and as fetched over HTTP. A description that parses must survive its own encoding.
#include "fuzz/FuzzSupport.h"
#include "tiles/ImageDescription.h"

namespace {

using zolvex::ImageDescription;

void RequireRoundTrip(const ImageDescription& parsed, bool http) {
  std::vector<std::uint8_t> bytes = parsed.Encode();
  auto again = http ? ImageDescription::ParseHttp(bytes.data(), bytes.size())
                    : ImageDescription::ParseDirect(bytes.data(), bytes.size(), parsed.FrameLength());
  zolvex::fuzz::Require(again.has_value(), "an encoded description parses");
  zolvex::fuzz::Require(again->levels == parsed.levels && again->thumbnail == parsed.thumbnail &&
                            again->files == parsed.files && again->version == parsed.version,
                        "an encoded description reads back the same");
}

void RequireLimits(const ImageDescription& parsed, bool http) {
  int maxLevels = http ? ImageDescription::kMaxLevelsHttp : ImageDescription::kMaxLevelsDirect;
  zolvex::fuzz::Require(!parsed.levels.empty() && static_cast<int>(parsed.levels.size()) <= maxLevels,
                        "level count within limits");
  zolvex::fuzz::Require(parsed.thumbnail.size() <= static_cast<size_t>(ImageDescription::kMaxThumbnailLength),
                        "thumbnail within limits");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zolvex::fuzz::InputReader input(data, size);
  bool http = input.Byte() & 1;
  std::int64_t frameLength = static_cast<std::int32_t>(input.Word());
  auto parsed = http ? ImageDescription::ParseHttp(input.Current(), input.Remaining())
                     : ImageDescription::ParseDirect(input.Current(), input.Remaining(), frameLength);
  if (parsed) {
    RequireLimits(*parsed, http);
    RequireRoundTrip(*parsed, http);
  }
  return 0;
}
