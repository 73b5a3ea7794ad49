#pragma once
#include <string>
#include <utility>
#include <vector>

#include "documents/MapDocument.h"
#include "platform/Geometry.h"

namespace zolvex::test {

// A document over a pyramid of level sizes (index 0 smallest), ready from the start.
class GridDocument : public MapDocument {
 public:
  explicit GridDocument(std::vector<platform::Size> levels, std::string url = {})
      : levels_(std::move(levels)), url_(std::move(url)) {
    SetReady(true);
  }
  const std::string& Url() const { return url_; }
  int CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int, int) override {
    collected_ = platform::Rect::FromSize(x, y, width, height);
    AppendObjects(items);
    return static_cast<int>(items.size());
  }
  int GetLevelHeight(int level) override { return InRange(level) ? levels_[level].height : 0; }
  int GetLevelWidth(int level) override { return InRange(level) ? levels_[level].width : 0; }
  int GetHeight() override { return GetLevelHeight(GetLevel()); }
  int GetWidth() override { return GetLevelWidth(GetLevel()); }
  int GetFullHeight() override { return levels_.back().height; }
  int GetFullWidth() override { return levels_.back().width; }
  double GetScaleX() override { return static_cast<double>(GetWidth()) / GetFullWidth(); }
  double GetScaleY() override { return static_cast<double>(GetHeight()) / GetFullHeight(); }
  int GetLevelCount() override { return static_cast<int>(levels_.size()); }
  void Close() override { ++closes; }
  void Activate() override { ++activations; }
  void MarkInvalid() { SetReady(false); }
  platform::Rect Collected() const { return collected_; }

  int closes = 0;
  int activations = 0;

 private:
  bool InRange(int level) const { return level >= 0 && level < static_cast<int>(levels_.size()); }
  std::vector<platform::Size> levels_;
  std::string url_;
  platform::Rect collected_;
};

// Five levels: 256 × 192 up to 4096 × 3072.
inline std::vector<platform::Size> FiveLevels() {
  return {{256, 192}, {512, 384}, {1024, 768}, {2048, 1536}, {4096, 3072}};
}

}  // namespace zolvex::test
