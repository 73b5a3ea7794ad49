#pragma once

namespace zolvex {

// What a decoder is asked to deliver.
class qmImageDecodeParam {
 public:
  // decodeType 1 delivers true colour, 0 keeps the file's depth. width/height 0 mean the
  // file's own size. The last argument is accepted for compatibility and ignored.
  explicit qmImageDecodeParam(int decodeType = 1, int page = 0, int width = 0, int height = 0,
                              int unused = 0);
  virtual ~qmImageDecodeParam() = default;
  qmImageDecodeParam(const qmImageDecodeParam&) = default;
  qmImageDecodeParam& operator=(const qmImageDecodeParam&) = default;

  int getDecodeType() const { return decodeType_; }
  int getWidth() const { return width_; }
  int getHeight() const { return height_; }
  int getScaleType() const { return scaleType_; }
  void setSubImageRect(int left, int top, int width, int height);
  void getSubImageRect(int& left, int& top, int& width, int& height) const;
  void setPage(int page) { page_ = page; }
  int getPage() const { return page_; }

 private:
  int decodeType_ = 1;
  int width_ = 0;
  int height_ = 0;
  int scaleType_ = 1;
  int subLeft_ = 0;
  int subTop_ = 0;
  int subWidth_ = 0;
  int subHeight_ = 0;
  int page_ = 0;
};

}  // namespace zolvex
