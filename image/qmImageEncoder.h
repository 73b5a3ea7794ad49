#pragma once
#include <string>

#include "image/qmIIOStream.h"
#include "image/qmImage.h"
#include "image/qmImageCodec.h"
#include "image/qmImageEncodeParam.h"

namespace zolvex {

// The base of every encoder. It writes to a stream it does not own.
class qmImageEncoder : public qmImageCodec {
 public:
  explicit qmImageEncoder(qmIIOStream* stream = nullptr) : stream_(stream) {}

  const char* getFormatName() const override { return "Unknow"; }
  virtual const qmImageEncodeParam& getEncodeParam() const { return param_; }
  virtual void setEncodeParam(const qmImageEncodeParam& param) { param_ = param; }
  virtual qmIIOStream* getStream() const { return stream_; }
  virtual void setStream(qmIIOStream* stream) { stream_ = stream; }
  // Reserved; every encoder answers 0.
  virtual int getOptions() const { return 0; }
  // Writes the image; false on failure (an empty image, a write error).
  virtual bool encode(const qmImage& image);

  const std::string& lastError() const { return lastError_; }

 protected:
  // Implementations throw qmCodecError on failure.
  virtual void writeImage(const qmImage& image) = 0;
  qmIIOStream& stream() const;
  // Writes bytes, throwing when the stream takes fewer.
  void writeBytes(const void* data, size_t length) const;

  std::string lastError_;

 private:
  qmIIOStream* stream_ = nullptr;
  qmImageEncodeParam param_;
};

}  // namespace zolvex
