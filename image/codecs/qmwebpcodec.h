#pragma once
#include "image/qmImageDecoder.h"

namespace zolvex {

// WebP, lossy or lossless, through libwebp; read only. Pictures come back as 24-bit
// images, with an alpha plane when the file has alpha. The whole file is read into
// memory first: WebP has no row access that a partial read could use.
class qmWebpDecoder : public qmImageDecoder {
 public:
  using qmImageDecoder::qmImageDecoder;
  const char* getFormatName() const override { return "WEBP"; }
  bool checkHeader() override;

 protected:
  std::unique_ptr<qmImage> decodeImage() override;
  qmImageHeaderInfo readHeaderInfo() override;
};

}  // namespace zolvex
