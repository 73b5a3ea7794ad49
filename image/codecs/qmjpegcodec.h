#pragma once
#include "image/qmImageDecoder.h"
#include "image/qmImageEncoder.h"

namespace zolvex {

// JPEG through libjpeg's scanline interface. Library errors return through a non-local
// jump, so a corrupt or truncated stream gives no image instead of ending the process.
class qmJpegDecoder : public qmImageDecoder {
 public:
  explicit qmJpegDecoder(qmIIOStream* stream = nullptr, const qmImageDecodeParam& param = qmImageDecodeParam());
  ~qmJpegDecoder() override;
  const char* getFormatName() const override { return "JPEG"; }

 protected:
  std::unique_ptr<qmImage> decodeImage() override;
  qmImageHeaderInfo readHeaderInfo() override;
  // Scanline by scanline: only the library's own buffers are held, whatever the size.
  void startRows() override;
  int nextRows(std::uint8_t* const* rows, int count) override;

 private:
  struct RowState;
  std::unique_ptr<RowState> rowState_;
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
