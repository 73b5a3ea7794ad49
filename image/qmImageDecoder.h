#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "image/qmIIOStream.h"
#include "image/qmImage.h"
#include "image/qmImageCodec.h"
#include "image/qmImageDecodeParam.h"

namespace zolvex {

// What a header read reveals.
struct qmImageHeaderInfo {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int formatId = qmFormatUnknown;
};

// The base of every decoder. It reads from a stream it does not own. A malformed stream
// never ends the process: decode answers none and lastError() tells why.
class qmImageDecoder : public qmImageCodec {
 public:
  explicit qmImageDecoder(qmIIOStream* stream = nullptr, const qmImageDecodeParam& param = qmImageDecodeParam());

  const char* getFormatName() const override { return "Unknow"; }
  virtual const qmImageDecodeParam& getDecodeParam() const { return param_; }
  virtual void setDecodeParam(const qmImageDecodeParam& param) { param_ = param; }
  virtual qmIIOStream* getStream() const { return stream_; }
  virtual void setStream(qmIIOStream* stream) { stream_ = stream; }
  // Reads the header only.
  virtual std::optional<qmImageHeaderInfo> readHeader();
  // A new image, or none on failure.
  virtual std::unique_ptr<qmImage> decode();
  // True when the stream holds this format (answered by formats with a checkable header).
  virtual bool checkHeader() { return false; }
  virtual bool checkHeader2() { return false; }
  // Decodes only the given rectangle into a new image; none where unsupported.
  virtual std::unique_ptr<qmImage> decodeAsSubImage(int left, int top, int width, int height);

  // Row by row, for pictures too large to hold: beginRows reads the header (headerInfo()
  // then gives the size) and false with lastError() when the stream cannot be read;
  // readRows then fills up to count rows from the top, 24-bit blue-green-red, and answers
  // how many it filled (fewer only at the end; -1 with lastError() on a fault). Formats
  // that cannot be read in strips decode the whole picture once and hand out its rows; they
  // refuse pictures beyond qmImage::maxPixels() with a message that says so.
  bool beginRows();
  int readRows(std::uint8_t* const* rows, int count);

  const std::string& lastError() const { return lastError_; }
  const qmImageHeaderInfo& headerInfo() const { return headerInfo_; }

 protected:
  // Implementations throw qmCodecError (or std::bad_alloc) on failure.
  virtual std::unique_ptr<qmImage> decodeImage() = 0;
  virtual qmImageHeaderInfo readHeaderInfo();
  virtual std::unique_ptr<qmImage> decodeSubImage(int left, int top, int width, int height);
  // Row reading; the default decodes the whole picture. Both throw qmCodecError.
  virtual void startRows();
  virtual int nextRows(std::uint8_t* const* rows, int count);

  // Delivers true colour when the decode type asks for it.
  void applyDecodeType(qmImage& image) const;
  qmIIOStream& stream() const;

  qmImageHeaderInfo headerInfo_;
  std::string lastError_;

 private:
  qmIIOStream* stream_ = nullptr;
  qmImageDecodeParam param_;
  std::unique_ptr<qmImage> wholePicture_;  // the default row reading's picture
  int wholeRow_ = 0;
};

}  // namespace zolvex
