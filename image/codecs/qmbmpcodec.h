#pragma once
#include "image/qmImageDecoder.h"
#include "image/qmImageEncoder.h"

namespace zolvex {

// Windows bitmaps. The 14-byte file header is optional (bitmap resources start at the
// information header). Reads 1, 4, 8, 16, 24 and 32 bits per pixel, RLE4 and RLE8, bit
// fields and top-down rows, with the core, the common and the V4/V5 information headers.
class qmBmpDecoder : public qmImageDecoder {
 public:
  explicit qmBmpDecoder(qmIIOStream* stream = nullptr, const qmImageDecodeParam& param = qmImageDecodeParam());
  ~qmBmpDecoder() override;
  const char* getFormatName() const override { return "BITMAP"; }
  // True for an uncompressed or bit-field bitmap.
  bool checkHeader() override;

 protected:
  std::unique_ptr<qmImage> decodeImage() override;
  qmImageHeaderInfo readHeaderInfo() override;
  std::unique_ptr<qmImage> decodeSubImage(int left, int top, int width, int height) override;
  // Uncompressed bitmaps a row at a time, read where the row lies; run-length ones whole.
  void startRows() override;
  int nextRows(std::uint8_t* const* rows, int count) override;

 private:
  struct RowState;
  std::unique_ptr<RowState> rowState_;
};

// Writes the image's own block behind a file header: 1, 4, 8 or 24 bits, uncompressed.
class qmBmpEncoder : public qmImageEncoder {
 public:
  using qmImageEncoder::qmImageEncoder;
  const char* getFormatName() const override { return "BITMAP"; }

 protected:
  void writeImage(const qmImage& image) override;
};

}  // namespace zolvex
