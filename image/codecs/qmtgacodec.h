#pragma once
#include "image/qmImageDecoder.h"
#include "image/qmImageEncoder.h"

namespace zolvex {

// Truevision TGA: colour-mapped, true-colour and grey pictures, plain or run-length.
class qmTgaDecoder : public qmImageDecoder {
 public:
  using qmImageDecoder::qmImageDecoder;
  const char* getFormatName() const override { return "TARGA"; }
  bool checkHeader() override;
  bool checkHeader2() override { return checkHeader(); }

 protected:
  std::unique_ptr<qmImage> decodeImage() override;
  qmImageHeaderInfo readHeaderInfo() override;
  std::unique_ptr<qmImage> decodeSubImage(int left, int top, int width, int height) override;
};

// Writes palette images colour-mapped and true-colour images with 24 bits, or 32 with
// the alpha plane; uncompressed, bottom-up.
class qmTgaEncoder : public qmImageEncoder {
 public:
  using qmImageEncoder::qmImageEncoder;
  const char* getFormatName() const override { return "TARGA"; }

 protected:
  void writeImage(const qmImage& image) override;
};

}  // namespace zolvex
