#pragma once
#include <memory>

#include "documents/MapDocument.h"

namespace zolvex {

// The base of the documents that lay overlay objects over an image document of their own
// (the basemap): the geometry, the level and the image items come from that inner document,
// the objects from this one. Until the inner document is there and valid, the geometry is
// empty (0 sizes, no levels, scale 1).
class ImageHostDocument : public MapDocument {
 public:
  explicit ImageHostDocument(DocumentHost& host);
  ~ImageHostDocument() override;

  MapDocument* GetInner() const { return inner_.get(); }
  DocumentHost& Host() const { return host_; }

  // The inner document's image items, then ExtraItems, then this document's objects.
  int CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int a, int b) override;
  bool GetFile(const std::string& name, std::vector<std::uint8_t>& data) override;
  bool FindFile(const std::string& name, std::vector<std::uint8_t>& data) override;
  int GetLevelHeight(int level) override;
  int GetHeight() override;
  int GetLevelWidth(int level) override;
  int GetWidth() override;
  int GetFullHeight() override;
  int GetFullWidth() override;
  double GetScaleX() override;
  double GetScaleY() override;
  void SetRotation(int degrees) override;
  void Close() override;
  void SetScale(double sx, double sy) override;
  void SetLevel(int level) override;
  int GetLevelCount() override;
  int GetLevel() override;
  void SetTransferFlag(std::uint8_t flag) override;
  int GetPendingTileCount() override;
  bool GetTileSize(int level, int& width, int& height) override;
  void RequestTileAhead(int level, int column, int row, int priority) override;

 protected:
  // Takes the inner document; the document is ready when it is.
  void SetInner(std::unique_ptr<MapDocument> inner);
  // Items a subclass draws between the image and its objects, at the current level.
  virtual void AddExtraItems(std::vector<MapObject*>& /*items*/, int /*x*/, int /*y*/, int /*width*/,
                             int /*height*/) {}
  // The inner document when it can answer geometry questions, else null.
  MapDocument* ReadyInner() const { return inner_ && inner_->IsValid() ? inner_.get() : nullptr; }

 private:
  DocumentHost& host_;
  std::unique_ptr<MapDocument> inner_;
};

}  // namespace zolvex
