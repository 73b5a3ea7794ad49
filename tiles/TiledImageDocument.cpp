#include "tiles/TiledImageDocument.h"

#include <cmath>
#include <cstdlib>
#include <tuple>
#include <unordered_set>

#include "documents/CReaderException.h"
#include "platform/Numbers.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "tiles/SourceOpener.h"
#include "documents/DocumentHost.h"

namespace zolvex {

namespace {

constexpr int kCacheCapacity = 200;
constexpr int kCacheLowWater = 100;
constexpr long long kPinnedPixels = 8'000'000;
// Above the markup objects (layer 10 and below) of a page over the image.
constexpr int kNavigatorLayer = 20;

// The view's browser properties as the source opener reads and writes them.
class ViewSourceOptions : public SourceOptions {
 public:
  explicit ViewSourceOptions(DocumentHost& host) : host_(host) {}
  std::string Get(const std::string& name) const override { return host_.GetBrowserProperty(name); }
  void Set(const std::string& name, const std::string& value) override { host_.SetBrowserProperty(name, value); }

 private:
  DocumentHost& host_;
};

double PositiveOrOne(const std::string& text) {
  double value = std::atof(text.c_str());
  return value > 0 && std::isfinite(value) ? value : 1.0;
}

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int FloorMod(int a, int b) { return a - FloorDiv(a, b) * b; }

}  // namespace

int TiledImageDocument::PinnedLevel(const TileSource& source) {
  for (int level = 0; level < source.GetLevelCount(); ++level) {
    long long pixels = static_cast<long long>(source.GetLevelWidth(level)) * source.GetLevelHeight(level);
    if (pixels >= kPinnedPixels) return level == 0 ? -1 : level - 1;
  }
  return -1;
}

TiledImageDocument::TiledImageDocument(DocumentHost& host, const std::string& url, SourceMakers& makers) : host_(host) {
  SetHost(&host);
  ratioX_ = PositiveOrOne(host.GetBrowserProperty("ratiox"));
  ratioY_ = PositiveOrOne(host.GetBrowserProperty("ratioy"));
  platform::Platform& platform = host.GetPlatform();
  ViewSourceOptions options(host);
  SourceOpener opener(options, platform.Settings(), platform.DialogBox(), makers);
  OpenedSource opened = opener.Open(url);
  source_ = std::move(opened.source);
  basePath_ = opened.basePath;
  loaded_ = source_ && source_->IsLoaded() && source_->GetLevelCount() >= 1;
  if (!loaded_) return;

  platform::Color background = ParseColor(host.GetBrowserProperty("BackgroundColor")).value_or(0);
  bool drafts = ToLower(host.GetBrowserProperty("customoptions")).find("nodraft") == std::string::npos;
  cache_ = std::make_unique<TileCache>(*source_, background, drafts);
  cache_->Configure(kCacheCapacity, kCacheLowWater, PinnedLevel(*source_));
  cache_->Attach(this);
  worker_ = std::make_unique<CacheAheadWorker>(*cache_);
  cache_->SetWorker(worker_.get());
  source_->SetListener(cache_.get());
  SetReady(true);
  // The ratios are the first scale: the level geometry is the source's times the scale,
  // and the tiles stretch to match it.
  SetScale(ratioX_, ratioY_);
  SetLevel(0);
  thumbnail_ = source_->GetThumbnail();
  if (thumbnail_) cache_->SetThumbnail(std::make_shared<ViewImage>(*thumbnail_));
  CreateNavigator();
  source_->SetActive(true);
  cacheAhead_ = IsYes(host.GetBrowserProperty("CacheAhead"));
  if (cacheAhead_) worker_->Start();
}

TiledImageDocument::~TiledImageDocument() { Close(); }

// The navigator turns its own copy of the thumbnail with the image; the cache keeps the
// upright one for its drafts.
void TiledImageDocument::CreateNavigator() {
  std::shared_ptr<ViewImage> picture = thumbnail_ ? std::make_shared<ViewImage>(*thumbnail_) : nullptr;
  auto navigator = std::make_unique<ThumbnailNavigator>(std::move(picture), GetFullWidth(), GetFullHeight());
  navigator->SetLayer(kNavigatorLayer);
  navigator->SetVisible(IsYes(host_.GetBrowserProperty("showthumbnail")));
  navigator_ = navigator.get();
  AddObject(std::move(navigator), false);
}

void TiledImageDocument::Close() {
  // The worker goes first: it calls into the cache and, through it, the source.
  if (worker_) worker_->Stop();
  if (cache_) {
    cache_->SetWorker(nullptr);
    cache_->Detach();
  }
  if (source_) {
    source_->Close();
    source_->SetListener(nullptr);
  }
  worker_.reset();
  cache_.reset();
  source_.reset();
  loaded_ = false;
  SetReady(false);
}

int TiledImageDocument::SourceWidth(int level) const {
  if (!source_) return 0;
  return Rotated() ? source_->GetLevelHeight(level) : source_->GetLevelWidth(level);
}

int TiledImageDocument::SourceHeight(int level) const {
  if (!source_) return 0;
  return Rotated() ? source_->GetLevelWidth(level) : source_->GetLevelHeight(level);
}

// The stretch of a source axis: the document's scale, and with a virtual size the ratio of
// that size to the source's top level. The virtual size is given for the picture as shown,
// so under a quarter turn the source's x axis takes the virtual height.
double TiledImageDocument::SourceAxisFactor(bool sourceX) const {
  const double scale = sourceX ? GetStoredScaleX() : GetStoredScaleY();
  if (!source_ || source_->GetLevelCount() < 1) return scale;
  const bool shownAsWidth = sourceX != Rotated();
  const int virtualSize = shownAsWidth ? virtualWidth_ : virtualHeight_;
  const int top = source_->GetLevelCount() - 1;
  const int sourceSize = sourceX ? source_->GetLevelWidth(top) : source_->GetLevelHeight(top);
  if (virtualSize <= 0 || sourceSize <= 0) return scale;
  return scale * virtualSize / sourceSize;
}

void TiledImageDocument::ApplyStretch() {
  factorX_ = SourceAxisFactor(true);
  factorY_ = SourceAxisFactor(false);
  if (cache_) cache_->SetScale(factorX_, factorY_);
}

void TiledImageDocument::SetParam(const std::string& name, const std::string& value) {
  MapDocument::SetParam(name, value);
  const std::string key = ToLower(name);
  if (key != "virtualwidth" && key != "virtualheight") return;
  (key == "virtualwidth" ? virtualWidth_ : virtualHeight_) = ParseInt(value);
  ApplyStretch();
}

int TiledImageDocument::GetLevelCount() { return loaded_ ? source_->GetLevelCount() : 0; }
int TiledImageDocument::GetLevelWidth(int level) {
  return loaded_ ? SaturateToInt(SourceWidth(level) * (Rotated() ? factorY_ : factorX_)) : 0;
}
int TiledImageDocument::GetLevelHeight(int level) {
  return loaded_ ? SaturateToInt(SourceHeight(level) * (Rotated() ? factorX_ : factorY_)) : 0;
}
int TiledImageDocument::GetWidth() { return GetLevelWidth(GetLevel()); }
int TiledImageDocument::GetHeight() { return GetLevelHeight(GetLevel()); }
int TiledImageDocument::GetFullWidth() { return GetLevelWidth(GetLevelCount() - 1); }
int TiledImageDocument::GetFullHeight() { return GetLevelHeight(GetLevelCount() - 1); }

double TiledImageDocument::GetScaleX() {
  int top = SourceWidth(GetLevelCount() - 1);
  return loaded_ && top > 0 ? double(SourceWidth(GetLevel())) / top : 1.0;
}

double TiledImageDocument::GetScaleY() {
  int top = SourceHeight(GetLevelCount() - 1);
  return loaded_ && top > 0 ? double(SourceHeight(GetLevel())) / top : 1.0;
}

void TiledImageDocument::SetLevel(int level) {
  MapDocument::SetLevel(level);
  if (!loaded_) return;
  tileWidth_ = source_->GetTileWidth(GetLevel());
  tileHeight_ = source_->GetTileHeight(GetLevel());
  SetParam("tilewidth", std::to_string(tileWidth_));
  SetParam("tileheight", std::to_string(tileHeight_));
}

void TiledImageDocument::SetScale(double sx, double sy) {
  MapDocument::SetScale(sx, sy);
  ApplyStretch();
  SetLevel(GetLevel());
}

void TiledImageDocument::SetRotation(int degrees) {
  rotation_ = degrees;
  if (cache_) cache_->SetRotation(degrees);
  if (navigator_) navigator_->SetRotation(degrees);
  // A virtual size follows the picture as shown: a quarter turn moves it to the other axis.
  ApplyStretch();
}

void TiledImageDocument::SetPlacementOffset(int x, int y) {
  if (cache_) cache_->SetOffset(x, y);
}

int TiledImageDocument::CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height,
                                         int notify, int) {
  // Undo the rotation: the rectangle in pixels of the source's level.
  const int levelWidth = GetWidth(), levelHeight = GetHeight();
  if (rotation_ == -90) {
    std::tie(x, y, width, height) = std::make_tuple(levelHeight - y - height, x, height, width);
  } else if (rotation_ == 90) {
    std::tie(x, y, width, height) = std::make_tuple(y, levelWidth - x - width, height, width);
  } else if (rotation_ == 180) {
    x = levelWidth - x - width;
    y = levelHeight - y - height;
  }
  if (factorX_ != 1.0 || factorY_ != 1.0) {
    // Every source pixel the stretched rectangle touches, partly covered ones included.
    const int right = SaturateToInt(std::ceil((x + width) / factorX_));
    const int bottom = SaturateToInt(std::ceil((y + height) / factorY_));
    x = SaturateToInt(std::floor(x / factorX_));
    y = SaturateToInt(std::floor(y / factorY_));
    width = right - x;
    height = bottom - y;
  }
  if (!loaded_ || tileWidth_ <= 0 || tileHeight_ <= 0) {
    AppendObjects(items);
    return static_cast<int>(items.size());
  }

  TileRect rect;
  const int level = ChooseDrawnLevel({x, y, width, height}, rect);
  bool tell = notify != 0;
  if (rect == lastRect_) tell = false;
  lastRect_ = rect;
  cache_->SetCentre(level, rect.column + rect.columns / 2, rect.row + rect.rows / 2);
  auto order = TileCache::CentreFirst(rect.column, rect.row, rect.columns, rect.rows);
  // The handles keep this frame's tiles alive until the next frame asks, whatever the
  // cache evicts meanwhile.
  std::vector<TileHandle> tiles = cache_->GetTiles(level, order, tell);
  ReleaseSurfacesLeaving(tiles);
  frameTiles_ = std::move(tiles);
  const auto& entries = frameTiles_;
  if (cacheAhead_) worker_->SetRectangle(level, rect.column, rect.row, rect.columns, rect.rows);
  // Tiles of a coarser level are stretched to the current one; a tile drawn at its own
  // level again gets the plain stretch back.
  const int current = GetLevel();
  const double stretchX = factorX_ * source_->GetLevelWidth(current) / std::max(1, source_->GetLevelWidth(level));
  const double stretchY = factorY_ * source_->GetLevelHeight(current) / std::max(1, source_->GetLevelHeight(level));
  int missing = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    auto [column, row] = order[i];
    bool inside = column >= 0 && row >= 0 && column < source_->GetColumns(level) && row < source_->GetRows(level);
    if (!inside) continue;
    if (!entries[i] || entries[i]->IsDraft()) ++missing;
    if (!entries[i]) continue;
    entries[i]->SetScale(stretchX, stretchY);
    items.push_back(entries[i].get());
  }
  pending_ = missing;
  AppendObjects(items);
  return static_cast<int>(items.size());
}

// A cached tile keeps its decoded picture; the display copy it is drawn from is kept only
// while the tile is in the frame, so that the cache's memory is not doubled.
void TiledImageDocument::ReleaseSurfacesLeaving(const std::vector<TileHandle>& next) {
  std::unordered_set<const CComponentTile*> staying;
  staying.reserve(next.size());
  for (const TileHandle& tile : next) staying.insert(tile.get());
  for (const TileHandle& tile : frameTiles_) {
    if (tile && !staying.count(tile.get())) tile->ReleaseDisplaySurface();
  }
}

TiledImageDocument::TileRect TiledImageDocument::TilesCovering(int level, const SourceArea& area) const {
  const int tileWidth = source_->GetTileWidth(level), tileHeight = source_->GetTileHeight(level);
  TileRect rect;
  if (tileWidth <= 0 || tileHeight <= 0) return rect;
  rect.column = FloorDiv(area.x, tileWidth);
  rect.row = FloorDiv(area.y, tileHeight);
  rect.columns = area.width <= 0 ? 0 : (FloorMod(area.x, tileWidth) + area.width - 1) / tileWidth + 1;
  rect.rows = area.height <= 0 ? 0 : (FloorMod(area.y, tileHeight) + area.height - 1) / tileHeight + 1;
  return rect;
}

int TiledImageDocument::ChooseDrawnLevel(const SourceArea& area, TileRect& rect) {
  const int current = GetLevel();
  int level = current;
  rect = TilesCovering(level, area);
  while (std::int64_t{rect.columns} * rect.rows > kMaxTilesPerFrame && level > 0) {
    --level;
    // The same area in pixels of the coarser level, partly covered pixels included.
    const double rx = double(source_->GetLevelWidth(level)) / std::max(1, source_->GetLevelWidth(current));
    const double ry = double(source_->GetLevelHeight(level)) / std::max(1, source_->GetLevelHeight(current));
    SourceArea coarse;
    coarse.x = FloorToInt(area.x * rx);
    coarse.y = FloorToInt(area.y * ry);
    coarse.width = SaturateToInt(std::ceil((area.x + double(area.width)) * rx)) - coarse.x;
    coarse.height = SaturateToInt(std::ceil((area.y + double(area.height)) * ry)) - coarse.y;
    rect = TilesCovering(level, coarse);
  }
  return level;
}

bool TiledImageDocument::GetFile(const std::string& name, std::vector<std::uint8_t>& data) {
  return source_ && source_->GetFile(name, data, cache_.get());
}

bool TiledImageDocument::FindFile(const std::string& name, std::vector<std::uint8_t>& data) {
  return source_ && source_->GetFile(name, data, nullptr);
}

void TiledImageDocument::PreloadLevel(int level) {
  if (level < 0 || level >= GetLevelCount() || !cache_) return;
  TileSource& source = *source_;
  const int tileWidth = source.GetTileWidth(level), tileHeight = source.GetTileHeight(level);
  if (tileWidth <= 0 || tileHeight <= 0) return;
  const int columns = source.GetLevelWidth(level) / tileWidth;
  const int rows = source.GetLevelHeight(level) / tileHeight;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) cache_->OnRequestAhead(level, column, row, 3);
  }
}

bool TiledImageDocument::GetTileSize(int level, int& width, int& height) {
  if (level < 0 || level >= GetLevelCount() || !source_) return false;
  width = source_->GetTileWidth(level);
  height = source_->GetTileHeight(level);
  return width > 0 && height > 0;
}

void TiledImageDocument::RequestTileAhead(int level, int column, int row, int priority) {
  if (level >= 0 && level < GetLevelCount() && cache_) cache_->OnRequestAhead(level, column, row, priority);
}

void TiledImageDocument::OnTileEntryArrived(CComponentTile*) { host_.MarkDirty(); }

void TiledImageDocument::OnFrameTilesArrived() { host_.FrameTilesArrived(); }

// The image stays open (the source reconnects on the next request); the page hears why
// tiles stopped coming.
void TiledImageDocument::OnCacheError(int, const std::string& message) {
  host_.ReportErrorAfterLoading(message);
  host_.MarkDirty();
}

void TiledImageDocument::OnCacheServerMessage(const std::string& name, const std::string& value) {
  host_.PostCommand(name, value);
}

}  // namespace zolvex
