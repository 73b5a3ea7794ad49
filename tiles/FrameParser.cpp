#include "tiles/FrameParser.h"

#include <algorithm>
#include <cstring>

#include "tiles/ByteOrder.h"

namespace zolvex {

FrameParser::FrameParser() : buffer_(kBufferSize) {}

std::size_t FrameParser::Append(const std::uint8_t* bytes, std::size_t length) {
  if (begin_ > 0 && end_ + length > buffer_.size()) {
    // Move the unread part to the front so the free part is as large as it can be.
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  std::size_t taken = std::min(length, buffer_.size() - end_);
  if (taken > 0) std::memcpy(buffer_.data() + end_, bytes, taken);
  end_ += taken;
  return taken;
}

FrameParser::Result FrameParser::Next(ServerFrame& frame) {
  const std::uint8_t* p = buffer_.data() + begin_;
  std::size_t available = Buffered();
  if (available < 4) return Result::NeedMore;
  std::int32_t length = ReadBE32(p);
  if (length < 4 || static_cast<std::size_t>(length) + 4 > buffer_.size()) return Result::Broken;
  if (available < 8) return Result::NeedMore;
  std::int32_t type = ReadBE32(p + 4);
  bool numbered = type == ServerFrame::kResult || type == ServerFrame::kFailure;
  if (numbered && length < 8) return Result::Broken;
  if (available < static_cast<std::size_t>(length) + 4) return Result::NeedMore;

  frame.length = length;
  frame.type = type;
  frame.requestNumber = numbered ? ReadBE32(p + 8) : 0;
  frame.payload.clear();
  if (numbered) frame.payload.assign(p + 12, p + 4 + length);
  begin_ += static_cast<std::size_t>(length) + 4;
  if (begin_ == end_) begin_ = end_ = 0;
  return Result::Frame;
}

void FrameParser::Clear() { begin_ = end_ = 0; }

}  // namespace zolvex
