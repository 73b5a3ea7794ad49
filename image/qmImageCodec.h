#pragma once

namespace zolvex {

// The common base of every decoder and encoder.
class qmImageCodec {
 public:
  virtual ~qmImageCodec() = default;
  // The format's name: "JPEG", "GIF", "PNG", "TIFF", "TARGA", "BITMAP".
  virtual const char* getFormatName() const = 0;
};

}  // namespace zolvex
