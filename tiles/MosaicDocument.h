#pragma once
#include <memory>
#include <string>
#include <vector>

#include "documents/MapDocument.h"
#include "documents/MosaicLayout.h"
#include "tiles/TiledImageDocument.h"

namespace zolvex {

class DocumentHost;
class SourceMakers;

// Several KTQ images composed into one picture: in a grid of equal cells (a ".mon" index,
// or markup without a virtual size) or placed freely on a virtual canvas.
class MosaicDocument : public MapDocument {
 public:
  // A ".mon" index file; raises CReaderException when it cannot be read or no image loads.
  MosaicDocument(DocumentHost& host, const std::string& indexUrl, SourceMakers& makers);
  // The arrangement a document's markup declares; sources are relative to baseUrl.
  MosaicDocument(DocumentHost& host, const MosaicLayout& layout, const std::string& baseUrl, SourceMakers& makers);

  int CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int notify,
                       int b) override;
  int GetLevelHeight(int level) override;
  int GetHeight() override;
  int GetLevelWidth(int level) override;
  int GetWidth() override;
  int GetFullHeight() override;
  int GetFullWidth() override;
  double GetScaleX() override;
  double GetScaleY() override;
  void Close() override;
  void SetLevel(int level) override;
  int GetLevelCount() override;
  // Tiles missing from the children the last draw list covered.
  int GetPendingTileCount() override { return pending_; }

  int ChildCount() const { return static_cast<int>(children_.size()); }

 private:
  struct Child {
    std::unique_ptr<TiledImageDocument> document;
    MosaicLayout::Child placement;
  };

  void AddChild(DocumentHost& host, const std::string& url, const MosaicLayout::Child& placement, SourceMakers& makers);
  void LeaveOutUnplaceable();
  void Finish(bool needAll);
  void PlaceChildren();
  platform::Rect ChildRect(const Child& child);

  bool grid_ = true;
  int columns_ = 0;
  int rows_ = 0;
  std::vector<MosaicLayout::Size> virtualLevels_;
  std::vector<Child> children_;
  TiledImageDocument* reference_ = nullptr;
  std::string firstError_;
  int pending_ = 0;
};

}  // namespace zolvex
