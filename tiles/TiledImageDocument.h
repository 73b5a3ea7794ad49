#pragma once
#include <atomic>
#include <memory>
#include <string>

#include "documents/MapDocument.h"
#include "objects/ThumbnailNavigator.h"
#include "tiles/CacheAheadWorker.h"
#include "tiles/TileCache.h"
#include "tiles/TileSource.h"

namespace zolvex {

class DocumentHost;
class SourceMakers;

// One KTQ image: its tile source, the cache of decoded tiles and the level geometry the
// view moves over. Missing tiles are requested centre first and stand in as drafts.
class TiledImageDocument : public MapDocument, private TileCacheOwner {
 public:
  // Opens the image's source through the view's connection settings; raises
  // CReaderException when it cannot be opened.
  TiledImageDocument(DocumentHost& host, const std::string& url, SourceMakers& makers);
  ~TiledImageDocument() override;

  int CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int notify,
                       int b) override;
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
  // "virtualwidth" and "virtualheight" stretch the picture to that full-resolution size.
  void SetParam(const std::string& name, const std::string& value) override;
  int GetLevelCount() override;
  void PreloadLevel(int level) override;
  bool GetTileSize(int level, int& width, int& height) override;
  void RequestTileAhead(int level, int column, int row, int priority) override;

  int GetPendingTileCount() override { return pending_; }
  const std::string& BasePath() const { return basePath_; }
  TileSource* Source() const { return source_.get(); }
  TileCache* Cache() const { return cache_.get(); }
  // The worker that asks for the tiles around the view; it runs while "CacheAhead" is "yes".
  CacheAheadWorker* Worker() const { return worker_.get(); }
  ViewImage* Thumbnail() const { return thumbnail_.get(); }
  // The navigator in the window's corner (one of the document's objects); null while the
  // image is not loaded.
  ThumbnailNavigator* Navigator() const { return navigator_; }
  void SetPlacementOffset(int x, int y);

  // The most tiles one frame asks for. A level of tiles so small that the window needs more
  // is drawn from the finest coarser level that stays within this, stretched.
  static constexpr std::int64_t kMaxTilesPerFrame = 2048;

  // The first level with at least 8,000,000 pixels decides what stays cached: the levels
  // below it are pinned (-1: none).
  static int PinnedLevel(const TileSource& source);

 private:
  void OnTileEntryArrived(CComponentTile* entry) override;
  void OnFrameTilesArrived() override;
  void OnCacheError(int code, const std::string& message) override;
  void OnCacheServerMessage(const std::string& name, const std::string& value) override;
  bool Rotated() const { return rotation_ == 90 || rotation_ == -90; }
  int SourceWidth(int level) const;
  int SourceHeight(int level) const;
  double SourceAxisFactor(bool sourceX) const;
  // Takes the stretch of both source axes afresh and hands it to the tiles.
  void ApplyStretch();
  void CreateNavigator();

  DocumentHost& host_;
  std::unique_ptr<TileSource> source_;
  std::unique_ptr<TileCache> cache_;
  std::unique_ptr<CacheAheadWorker> worker_;
  bool cacheAhead_ = false;
  std::unique_ptr<ViewImage> thumbnail_;
  ThumbnailNavigator* navigator_ = nullptr;  // owned by the object list
  std::string basePath_;
  double ratioX_ = 1.0;
  double ratioY_ = 1.0;
  // The stretch of the source's x and y axes (scale and virtual size).
  double factorX_ = 1.0;
  double factorY_ = 1.0;
  int virtualWidth_ = 0;
  int virtualHeight_ = 0;
  int rotation_ = 0;
  int tileWidth_ = 0;
  int tileHeight_ = 0;
  struct TileRect {
    int column = -1, row = -1, columns = 0, rows = 0;
    friend bool operator==(const TileRect&, const TileRect&) = default;
  } lastRect_;
  // An area in pixels of a source level, before any stretch.
  struct SourceArea {
    int x = 0, y = 0, width = 0, height = 0;
  };
  TileRect TilesCovering(int level, const SourceArea& area) const;
  // The level whose tiles draw a frame showing area of the current level (at most
  // kMaxTilesPerFrame of them), and those tiles.
  int ChooseDrawnLevel(const SourceArea& area, TileRect& rect);
  void ReleaseSurfacesLeaving(const std::vector<TileHandle>& next);
  std::vector<TileHandle> frameTiles_;  // the tiles of the last draw list
  std::atomic<int> pending_ = 0;
  bool loaded_ = false;
};

}  // namespace zolvex
