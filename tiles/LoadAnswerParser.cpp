#include "tiles/LoadAnswerParser.h"

#include <algorithm>

#include "tiles/ByteOrder.h"

namespace zolvex {

namespace {
constexpr std::int32_t kStatusFailure = 1;
}

std::size_t LoadAnswerParser::Feed(const std::uint8_t* bytes, std::size_t length) {
  std::size_t used = 0;
  if (state_ != Result::NeedMore) return 0;
  if (header_.size() < kHeaderSize) {
    std::size_t take = std::min(length, kHeaderSize - header_.size());
    header_.insert(header_.end(), bytes, bytes + take);
    used += take;
    if (header_.size() < kHeaderSize) return used;
    length_ = ReadBE32(header_.data());
    status_ = ReadBE32(header_.data() + 4);
    if (status_ == kStatusFailure) {
      bodyLength_ = length_ > 8 ? 4 : 0;
    } else if (length_ < 8 || length_ > kMaxAnswerLength) {
      state_ = Result::Invalid;
      return used;
    } else {
      bodyLength_ = static_cast<std::size_t>(length_) - 8;
    }
  }
  // The body grows with what arrives, never ahead of it by the announced length.
  std::size_t take = std::min(length - used, bodyLength_ - body_.size());
  body_.insert(body_.end(), bytes + used, bytes + used + take);
  used += take;
  if (body_.size() == bodyLength_) Finish();
  return used;
}

void LoadAnswerParser::Finish() {
  if (status_ == kStatusFailure) {
    errorCode_ = body_.size() == 4 ? ReadBE32(body_.data()) : kNotFound;
    state_ = Result::Refused;
    return;
  }
  description_ = ImageDescription::ParseDirect(body_.data(), body_.size(), length_);
  state_ = description_ ? Result::Loaded : Result::Invalid;
  body_ = {};
}

void LoadAnswerParser::Reset() { *this = LoadAnswerParser(); }

}  // namespace zolvex
