#pragma once

namespace zolvex {

// Encoders take their settings from the image and from their own defaults; this class
// exists so that the encoder interface can grow without changing its signature.
class qmImageEncodeParam {
 public:
  virtual ~qmImageEncodeParam() = default;
};

}  // namespace zolvex
