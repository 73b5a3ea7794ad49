// One picture decoder through decodeFromMemory; ZOLVEX_FUZZ_FORMAT names the format.
#include "fuzz/FuzzSupport.h"
#include "image/ViewImage.h"
#include "image/qmFormatId.h"
#include "image/qmImageUtils.h"

#ifndef ZOLVEX_FUZZ_FORMAT
#error "ZOLVEX_FUZZ_FORMAT must name a format identifier"
#endif

using namespace zolvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A smaller picture cap than the product's keeps runs fast; the cap is checked on the
  // same path before any pixel memory is taken.
  static const bool capped = (qmImage::setMaxPixels(std::uint64_t{1} << 18), true);
  (void)capped;
  auto image = qmImageUtils::decodeFromMemory(data, size, ZOLVEX_FUZZ_FORMAT);
  if (image) {
    zolvex::fuzz::Require(image->getWidth() > 0 && image->getHeight() > 0, "decoded picture has a size");
    zolvex::fuzz::Require(std::uint64_t(image->getWidth()) * std::uint64_t(image->getHeight()) <= qmImage::maxPixels(),
                          "decoded picture within the cap");
  }
  return 0;
}
