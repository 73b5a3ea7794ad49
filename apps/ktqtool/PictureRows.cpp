#include "apps/ktqtool/PictureRows.h"

#include "apps/ktqtool/KtqCommands.h"
#include "image/qmImageUtils.h"

namespace zolvex::ktqtool {

PictureRows::PictureRows(const std::string& path) : path_(path) {
  if (!stream_.open(path, "rb")) throw ToolFailure("cannot read " + path);
  std::string error = "the image library cannot decode it";
  const int byExtension = qmImageUtils::formatFromExtension(path);
  if (byExtension != qmFormatUnknown) {
    if (Begin(byExtension)) return;
    if (!decoder_->lastError().empty()) error = decoder_->lastError();
  }
  // A name without a known extension, or one that lies: the signature decides.
  std::uint8_t head[16] = {};
  stream_.seek(0, 0);
  const size_t length = stream_.read(head, 1, sizeof head);
  const int bySignature = qmImageUtils::detectFormat(head, length);
  if (bySignature != qmFormatUnknown && bySignature != byExtension) {
    if (Begin(bySignature)) return;
    if (byExtension == qmFormatUnknown && !decoder_->lastError().empty()) error = decoder_->lastError();
  }
  throw ToolFailure("cannot read " + path + ": " + error);
}

bool PictureRows::Begin(int formatId) {
  decoder_ = qmImageUtils::createDecoder(formatId);
  if (!decoder_) return false;
  decoder_->setStream(&stream_);
  return decoder_->beginRows() && Width() > 0 && Height() > 0;
}

int PictureRows::Read(std::uint8_t* const* rows, int count) {
  const int filled = decoder_->readRows(rows, count);
  if (filled < 0) throw ToolFailure("cannot read " + path_ + ": " + decoder_->lastError());
  return filled;
}

}  // namespace zolvex::ktqtool
