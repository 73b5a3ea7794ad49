#pragma once
#include "image/qmImageDecoder.h"
#include "image/qmImageEncoder.h"

namespace zolvex {

// TIFF through libtiff's RGBA interface; the page of the decode parameter picks the
// directory. Pictures come back as 24-bit images, with an alpha plane when the file has
// an alpha sample.
class qmTiffDecoder : public qmImageDecoder {
 public:
  explicit qmTiffDecoder(qmIIOStream* stream = nullptr, const qmImageDecodeParam& param = qmImageDecodeParam());
  ~qmTiffDecoder() override;
  const char* getFormatName() const override { return "TIFF"; }
  bool checkHeader() override;

 protected:
  std::unique_ptr<qmImage> decodeImage() override;
  qmImageHeaderInfo readHeaderInfo() override;
  std::unique_ptr<qmImage> decodeSubImage(int left, int top, int width, int height) override;
  // A strip (or a row of tiles) at a time.
  void startRows() override;
  int nextRows(std::uint8_t* const* rows, int count) override;

 private:
  struct RowState;
  std::unique_ptr<RowState> rowState_;
};

// Writes one directory: palette images as palette (or grey) TIFF, true-colour images as
// RGB or RGBA, LZW-compressed.
class qmTiffEncoder : public qmImageEncoder {
 public:
  using qmImageEncoder::qmImageEncoder;
  const char* getFormatName() const override { return "TIFF"; }

 protected:
  void writeImage(const qmImage& image) override;
};

}  // namespace zolvex
