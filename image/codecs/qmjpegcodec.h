#pragma once
#include "image/qmImageDecoder.h"
#include "image/qmImageEncoder.h"

namespace zolvex {

// JPEG through libjpeg's scanline interface. Library errors return through a non-local
// jump, so a corrupt or truncated stream gives no image instead of ending the process.
class qmJpegDecoder : public qmImageDecoder {
 public:
  using qmImageDecoder::qmImageDecoder;
  const char* getFormatName() const override { return "JPEG"; }

 protected:
  std::unique_ptr<qmImage> decodeImage() override;
  qmImageHeaderInfo readHeaderInfo() override;
};

class qmJpegEncoder : public qmImageEncoder {
 public:
  using qmImageEncoder::qmImageEncoder;
  const char* getFormatName() const override { return "JPEG"; }
  void setQuality(int quality) { quality_ = quality; }
  int getQuality() const { return quality_; }

 protected:
  void writeImage(const qmImage& image) override;

 private:
  int quality_ = 100;
};

}  // namespace zolvex
