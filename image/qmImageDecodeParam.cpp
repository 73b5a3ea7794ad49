#include "image/qmImageDecodeParam.h"

namespace zolvex {

qmImageDecodeParam::qmImageDecodeParam(int decodeType, int page, int width, int height, int /*unused*/)
    : decodeType_(decodeType), width_(width), height_(height), page_(page) {}

void qmImageDecodeParam::setSubImageRect(int left, int top, int width, int height) {
  subLeft_ = left;
  subTop_ = top;
  subWidth_ = width;
  subHeight_ = height;
}

void qmImageDecodeParam::getSubImageRect(int& left, int& top, int& width, int& height) const {
  left = subLeft_;
  top = subTop_;
  width = subWidth_;
  height = subHeight_;
}

}  // namespace zolvex
