#pragma once
#include <string>

#include "image/qmImageDecoder.h"
#include "image/qmImageEncoder.h"

namespace zolvex {

// GIF 87a and 89a: the page of the decode parameter picks the frame (0-based). A frame
// decodes to an 8-bit palette image of the frame's own size; its transparent index
// becomes an alpha plane. Interlaced frames are put back in row order.
class qmGifDecoder : public qmImageDecoder {
 public:
  using qmImageDecoder::qmImageDecoder;
  const char* getFormatName() const override { return "GIF"; }

 protected:
  std::unique_ptr<qmImage> decodeImage() override;
  qmImageHeaderInfo readHeaderInfo() override;
};

// Writes GIF89a: palette images with their palette, true-colour images through an exact
// palette when they have at most 256 colours, else a uniform colour cube.
class qmGifEncoder : public qmImageEncoder {
 public:
  using qmImageEncoder::qmImageEncoder;
  const char* getFormatName() const override { return "GIF"; }
  void setComment(const std::string& comment) { comment_ = comment; }

 protected:
  void writeImage(const qmImage& image) override;

 private:
  std::string comment_;
};

}  // namespace zolvex
