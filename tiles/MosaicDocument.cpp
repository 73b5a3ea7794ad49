#include "tiles/MosaicDocument.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "documents/CReaderException.h"
#include "documents/MessageTable.h"
#include "platform/Files.h"
#include "tiles/MosaicIndex.h"
#include "net/Url.h"
#include "documents/DocumentHost.h"

namespace zolvex {

namespace {

constexpr std::int64_t kLargestCoordinate = std::numeric_limits<int>::max();

platform::Size LargestLevel(TiledImageDocument& document) {
  platform::Size largest;
  for (int level = 0; level < document.GetLevelCount(); ++level) {
    largest.width = std::max(largest.width, document.GetLevelWidth(level));
    largest.height = std::max(largest.height, document.GetLevelHeight(level));
  }
  return largest;
}

}  // namespace

MosaicDocument::MosaicDocument(DocumentHost& host, const std::string& indexUrl, SourceMakers& makers) {
  SetHost(&host);
  std::string problem;
  auto index = MosaicIndex::Load(platform::NativePath(indexUrl), &problem);
  if (!index && !problem.empty()) throw CReaderException(problem);
  if (!index) throw CReaderException(GetMessageText(401, host.GetBrowserProperty("ErrorMsgXml"), indexUrl));
  columns_ = index->Columns();
  rows_ = index->Rows();
  index->ForEachNamedCell([&](int column, int row, const std::string& path) {
    MosaicLayout::Child placement;
    placement.source = path;
    placement.column = column;
    placement.row = row;
    AddChild(host, path, placement, makers);
  });
  Finish(false);
}

MosaicDocument::MosaicDocument(DocumentHost& host, const MosaicLayout& layout, const std::string& baseUrl,
                               SourceMakers& makers)
    : grid_(layout.IsGrid()), columns_(layout.GridColumns()), rows_(layout.GridRows()) {
  SetHost(&host);
  for (const MosaicLayout::Child& child : layout.Children()) {
    AddChild(host, ResolveContentUrl(child.source, baseUrl), child, makers);
  }
  if (!grid_ && reference_) virtualLevels_ = layout.VirtualLevels(reference_->GetLevelCount());
  Finish(!grid_);
}

// A cell whose image fails stays empty; the first failure is kept for the report.
void MosaicDocument::AddChild(DocumentHost& host, const std::string& url, const MosaicLayout::Child& placement,
                              SourceMakers& makers) {
  try {
    auto document = std::make_unique<TiledImageDocument>(host, url, makers);
    if (!document->IsValid()) return;
    // One image of many: its navigator would stand for that image alone.
    if (ThumbnailNavigator* navigator = document->Navigator()) navigator->SetVisible(false);
    if (!reference_) reference_ = document.get();
    children_.push_back({std::move(document), placement});
  } catch (const CReaderException& error) {
    if (firstError_.empty()) firstError_ = error.Message();
  }
}

// Every place in the mosaic is an int of the view's coordinates. A cell beyond that range
// (a column of two billion, a placement past the 2^31st pixel) is left out, as a cell
// whose image fails is; the grid shrinks to the cells that fit. Levels are measured at
// their largest, since a file's levels need not grow towards the top.
void MosaicDocument::LeaveOutUnplaceable() {
  if (!reference_) return;
  const platform::Size cell = LargestLevel(*reference_);
  const std::int64_t cellWidth = std::max(cell.width, 1), cellHeight = std::max(cell.height, 1);
  if (grid_) {
    columns_ = static_cast<int>(std::min<std::int64_t>(columns_, kLargestCoordinate / cellWidth));
    rows_ = static_cast<int>(std::min<std::int64_t>(rows_, kLargestCoordinate / cellHeight));
  }
  std::erase_if(children_, [&](const Child& child) {
    const MosaicLayout::Child& at = child.placement;
    const platform::Size size = LargestLevel(*child.document);
    if (grid_) {
      return at.column >= columns_ || at.row >= rows_ || at.column * cellWidth + size.width > kLargestCoordinate ||
             at.row * cellHeight + size.height > kLargestCoordinate;
    }
    return std::int64_t{at.x} + size.width > kLargestCoordinate ||
           std::int64_t{at.y} + size.height > kLargestCoordinate;
  });
  reference_ = children_.empty() ? nullptr : children_.front().document.get();
}

// A grid needs one image that loaded; a free arrangement needs all of them.
void MosaicDocument::Finish(bool needAll) {
  LeaveOutUnplaceable();
  if (!reference_ || (needAll && !firstError_.empty())) {
    throw CReaderException(firstError_.empty() ? "1. The mosaic holds no image." : firstError_);
  }
  SetReady(true);
  SetLevel(0);
}

int MosaicDocument::GetLevelCount() { return reference_ ? reference_->GetLevelCount() : 0; }

int MosaicDocument::GetLevelWidth(int level) {
  if (!reference_) return 0;
  if (!grid_) return level >= 0 && level < static_cast<int>(virtualLevels_.size()) ? virtualLevels_[level].width : 0;
  return reference_->GetLevelWidth(level) * columns_;
}

int MosaicDocument::GetLevelHeight(int level) {
  if (!reference_) return 0;
  if (!grid_) return level >= 0 && level < static_cast<int>(virtualLevels_.size()) ? virtualLevels_[level].height : 0;
  return reference_->GetLevelHeight(level) * rows_;
}

int MosaicDocument::GetWidth() { return GetLevelWidth(GetLevel()); }
int MosaicDocument::GetHeight() { return GetLevelHeight(GetLevel()); }
int MosaicDocument::GetFullWidth() { return GetLevelWidth(GetLevelCount() - 1); }
int MosaicDocument::GetFullHeight() { return GetLevelHeight(GetLevelCount() - 1); }
double MosaicDocument::GetScaleX() { return reference_ ? reference_->GetScaleX() : 1.0; }
double MosaicDocument::GetScaleY() { return reference_ ? reference_->GetScaleY() : 1.0; }

void MosaicDocument::SetLevel(int level) {
  MapDocument::SetLevel(level);
  for (Child& child : children_) child.document->SetLevel(GetLevel());
  PlaceChildren();
}

platform::Rect MosaicDocument::ChildRect(const Child& child) {
  TiledImageDocument& document = *child.document;
  const int level = GetLevel();
  if (grid_) {
    const int cellWidth = reference_->GetLevelWidth(level), cellHeight = reference_->GetLevelHeight(level);
    return platform::Rect::FromSize(child.placement.column * cellWidth, child.placement.row * cellHeight,
                                    document.GetWidth(), document.GetHeight());
  }
  const int top = document.GetLevelCount() - 1;
  auto position = MosaicLayout::PlaceAtLevel(child.placement, {document.GetWidth(), document.GetHeight()},
                                             {document.GetLevelWidth(top), document.GetLevelHeight(top)});
  // A file whose lower levels are wider than its top one scales a place beyond where it
  // was checked: the place stops where the child would leave the coordinates.
  const auto within = [](std::int64_t at, int extent) {
    const std::int64_t last = kLargestCoordinate - std::max(extent, 0);
    return static_cast<int>(std::clamp<std::int64_t>(at, std::numeric_limits<int>::min(), last));
  };
  return platform::Rect::FromSize(within(position.x, document.GetWidth()), within(position.y, document.GetHeight()),
                                  document.GetWidth(), document.GetHeight());
}

void MosaicDocument::PlaceChildren() {
  for (Child& child : children_) {
    platform::Rect rect = ChildRect(child);
    child.document->SetPlacementOffset(rect.left, rect.top);
  }
}

int MosaicDocument::CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int notify,
                                     int b) {
  const platform::Rect wanted = platform::Rect::FromSize(x, y, width, height).Intersect({0, 0, GetWidth(), GetHeight()});
  std::vector<const Child*> order;
  for (const Child& child : children_) order.push_back(&child);
  if (grid_) {
    // Cell order: columns left to right, within a column rows top to bottom.
    std::stable_sort(order.begin(), order.end(), [](const Child* a, const Child* b) {
      return a->placement.column != b->placement.column ? a->placement.column < b->placement.column
                                                        : a->placement.row < b->placement.row;
    });
  }
  pending_ = 0;
  for (const Child* child : order) {
    platform::Rect rect = ChildRect(*child);
    platform::Rect part = wanted.Intersect(rect);
    if (part.IsEmpty()) continue;
    std::vector<MapObject*> childItems;
    child->document->CollectDrawItems(childItems, part.left - rect.left, part.top - rect.top, part.Width(),
                                      part.Height(), notify, b);
    pending_ += child->document->GetPendingTileCount();
    items.insert(items.end(), childItems.begin(), childItems.end());
  }
  AppendObjects(items);
  return static_cast<int>(items.size());
}

void MosaicDocument::Close() {
  for (Child& child : children_) child.document->Close();
  SetReady(false);
}

}  // namespace zolvex
