#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "image/qmFileStream.h"
#include "image/qmImageDecoder.h"

namespace zolvex::ktqtool {

// A picture file read from the top in strips of rows, through the image library's decoder
// for its extension or, failing that, for its signature. Formats that the library reads in
// strips (JPEG) hold only a few rows at a time; the others are decoded whole once.
class PictureRows {
 public:
  // Throws ToolFailure when the file cannot be opened or decoded.
  explicit PictureRows(const std::string& path);
  int Width() const { return decoder_->headerInfo().width; }
  int Height() const { return decoder_->headerInfo().height; }
  // Fills the next count rows (24-bit blue-green-red); answers how many (fewer at the end).
  int Read(std::uint8_t* const* rows, int count);

 private:
  bool Begin(int formatId);

  std::string path_;
  qmFileStream stream_;
  std::unique_ptr<qmImageDecoder> decoder_;
};

}  // namespace zolvex::ktqtool
