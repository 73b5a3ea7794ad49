// Tile payloads of protocol versions 10 and 11 (now and then another version, which must be
// refused).
#include "fuzz/FuzzSupport.h"
#include "image/qmImage.h"
#include "tiles/TilePayload.h"

using namespace zolvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool capped = (qmImage::setMaxPixels(std::uint64_t{1} << 20), true);
  (void)capped;
  zolvex::fuzz::InputReader input(data, size);
  std::uint8_t chooser = input.Byte();
  int version = chooser < 250 ? 10 + (chooser & 1) : chooser;
  auto stream = zolvex::TilePayload::Unwrap(input.Current(), input.Remaining(), version);
  if (version != 10 && version != 11) zolvex::fuzz::Require(!stream, "other versions refused");
  if (version == 11 && input.Remaining() < zolvex::TilePayload::kHeaderSize) {
    zolvex::fuzz::Require(!stream, "a payload shorter than its header is refused");
  }
  if (stream) zolvex::TilePayload::Decode(input.Current(), input.Remaining(), version);
  return 0;
}
