#pragma once
#include <string>

#include "objects/MapObject.h"

namespace zolvex {

// A small label of a page-mode toolbar (the current page, the page count): its text on a
// dark plate, fixed to the screen.
class PageIndicator : public MapObject {
 public:
  static constexpr int kLayer = 5;

  PageIndicator(int x, int y, int width, int height);
  void SetText(const std::string& text) { text_ = text; }
  const std::string& GetText() const { return text_; }
  void Draw() override;

 private:
  std::string text_;
};

}  // namespace zolvex
