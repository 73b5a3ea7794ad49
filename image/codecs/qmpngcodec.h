#pragma once
#include "image/qmImageDecoder.h"
#include "image/qmImageEncoder.h"

namespace zolvex {

// PNG through libpng's row interface. Palette pictures stay palette images (with an
// alpha plane when they carry transparency), grey ones become 8-bit grey palette images,
// colour ones 24-bit images with an alpha plane for their alpha channel.
class qmPngDecoder : public qmImageDecoder {
 public:
  explicit qmPngDecoder(qmIIOStream* stream = nullptr, const qmImageDecodeParam& param = qmImageDecodeParam());
  ~qmPngDecoder() override;
  const char* getFormatName() const override { return "PNG"; }
  bool checkHeader() override;
  bool checkHeader2() override { return checkHeader(); }

 protected:
  std::unique_ptr<qmImage> decodeImage() override;
  qmImageHeaderInfo readHeaderInfo() override;
  // Row by row, except interlaced pictures, which are read whole.
  void startRows() override;
  int nextRows(std::uint8_t* const* rows, int count) override;

 private:
  struct RowState;
  std::unique_ptr<RowState> rowState_;
};

class qmPngEncoder : public qmImageEncoder {
 public:
  using qmImageEncoder::qmImageEncoder;
  const char* getFormatName() const override { return "PNG"; }
  // Pictures the user saves (frames, areas) are written for speed: one cheap row filter
  // and light compression, about four times faster for a fifth more bytes. Tiles keep the
  // default, which is smaller and slower.
  void setFastCompression(bool fast) { fast_ = fast; }

 protected:
  void writeImage(const qmImage& image) override;

 private:
  bool fast_ = false;
};

}  // namespace zolvex
