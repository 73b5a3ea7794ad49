#include "documents/MapDocument.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "objects/CComponentClipper.h"
#include "platform/TextValues.h"
#include "documents/DocumentHost.h"
#include "objects/ViewEvent.h"
#include "objects/ViewPrimitives.h"

namespace zolvex {

namespace {

// One counter for every document of the process: IDs stay unique across documents.
std::atomic<std::uint16_t> objectIdCounter{0};

int NextObjectId() { return static_cast<std::uint16_t>(objectIdCounter.fetch_add(1) + 1); }

int Scaled(int value, double factor) { return static_cast<int>(value * factor); }

bool ParseZoomAreaPoint(const std::string& name, int& x, int& y) {
  if (name.size() <= 8 || !name.starts_with("zoomarea")) return false;
  char colon = 0;
  return std::sscanf(name.c_str() + 8, "%c%d,%d", &colon, &x, &y) == 3 && colon == ':';
}

// The free room on one axis: the part of the image on screen that stays in view after
// zooming in, not below 0.
int FreeRoom(int zoomedSize, int windowSize, int offset, double k) {
  int room = offset < 0 ? static_cast<int>(windowSize + 2 * offset - windowSize / k) : zoomedSize;
  return std::max(room, 0);
}

// The left (top) edge of a zoom area of the given size centred as near the point as the
// free room allows.
int ZoomAreaStart(int point, int size, int windowSize, int room) {
  int centre = std::clamp(point, (windowSize - room) / 2, (windowSize + room) / 2);
  return centre - size / 2;
}

}  // namespace

int MapDocument::LastObjectId() { return objectIdCounter.load(); }

MapDocument::MapDocument() : limitFrame_(std::make_unique<CComponentClipper>(0, 0, 0, 0)) {
  limitFrame_->SetVisible(false);
  AddBorrowedObject(limitFrame_.get(), false);
}

MapDocument::~MapDocument() {
  std::lock_guard lock(lock_);
  pendingRemoval_.clear();
  while (!objects_.empty()) objects_.pop_back();
  idTable_.clear();
  selectable_.clear();
}

MapDocument* MapDocument::GetExtension() { return extension_.get(); }

void MapDocument::SetExtension(std::unique_ptr<MapDocument> extension) { extension_ = std::move(extension); }

std::string MapDocument::FindObjectIDsByName(const std::string& name) {
  std::lock_guard lock(lock_);
  std::string ids;
  for (const Entry& entry : objects_) {
    if (!EqualsNoCase(entry.object->GetProperty("name"), name)) continue;
    if (!ids.empty()) ids += ' ';
    ids += std::to_string(entry.object->GetId());
  }
  return ids;
}

MapObject* MapDocument::FindObject(int id) {
  std::lock_guard lock(lock_);
  auto found = idTable_.find(id);
  return found == idTable_.end() ? nullptr : found->second;
}

void MapDocument::SetLimitRect(int x, int y, int width, int height, bool showFrame) {
  bool removing = x == -1;
  if (!removing && limitX_ == -1) {
    limitFullWidth_ = GetFullWidth();
    limitFullHeight_ = GetFullHeight();
    // A later limit replaces only the rectangle: the reference sizes are scaled back by this one.
    scaledLimitWidth_ = width;
    scaledLimitHeight_ = height;
    HideObjectsOutsideLimit(x, y, width, height);
  } else if (removing && limitX_ != -1) {
    RestoreObjectsHiddenByLimit();
  }
  limitX_ = x;
  limitY_ = y;
  limitWidth_ = width;
  limitHeight_ = height;
  PlaceLimitFrame(!removing && showFrame);
}

void MapDocument::HideObjectsOutsideLimit(int x, int y, int width, int height) {
  std::lock_guard lock(lock_);
  for (const Entry& entry : objects_) {
    MapObject& object = *entry.object;
    if (&object == limitFrame_.get() || object.IsScreenCoordinates()) continue;
    bool outside = object.GetX() + object.GetWidth() < x || object.GetY() + object.GetHeight() < y ||
                   object.GetX() > x + width || object.GetY() > y + height;
    if (object.IsVisible() && outside) {
      object.SetVisible(false);
      object.SetProperty("hidebecauselimit", "yes");
    }
    if (object.GetVirtualWidth() != -1 && limitFullWidth_ > 0 && limitFullHeight_ > 0) {
      object.SetVirtualSize(
          static_cast<int>(static_cast<long long>(object.GetVirtualWidth()) * width / limitFullWidth_),
          static_cast<int>(static_cast<long long>(object.GetVirtualHeight()) * height / limitFullHeight_));
    }
  }
}

void MapDocument::RestoreObjectsHiddenByLimit() {
  std::vector<MapObject*> shown;
  {
    std::lock_guard lock(lock_);
    RestoreObjectsLocked(shown);
  }
  // Mapping asks the view, whose lock comes before the document's.
  for (MapObject* object : shown) object->UpdateScreenRect();
}

void MapDocument::RestoreObjectsLocked(std::vector<MapObject*>& toRefresh) {
  for (const Entry& entry : objects_) {
    MapObject& object = *entry.object;
    if (&object == limitFrame_.get()) continue;
    if (!object.IsVisible() && IsYes(object.GetProperty("hidebecauselimit"))) {
      object.SetProperty("hidebecauselimit", "no");
      object.SetVisible(true);
    }
    if (object.GetVirtualWidth() != -1 && scaledLimitWidth_ > 0 && scaledLimitHeight_ > 0 &&
        !object.IsScreenCoordinates()) {
      object.SetVirtualSize(
          static_cast<int>(static_cast<long long>(object.GetVirtualWidth()) * limitFullWidth_ / scaledLimitWidth_),
          static_cast<int>(static_cast<long long>(object.GetVirtualHeight()) * limitFullHeight_ / scaledLimitHeight_));
    }
    if (object.GetView() != nullptr) toRefresh.push_back(&object);
  }
}

void MapDocument::PlaceLimitFrame(bool show) {
  if (!show) {
    limitFrame_->SetVisible(false);
    return;
  }
  limitFrame_->SetRect(limitX_, limitY_, limitWidth_, limitHeight_);
  limitFrame_->SetView(host_ ? &host_->ObjectView() : nullptr);
  limitFrame_->SetVisible(true);
}

void MapDocument::StoreViewPair(int first, int second) {
  viewPairFirst_ = first;
  viewPairSecond_ = second;
}

int MapDocument::GetViewPairFirst() { return viewPairFirst_; }

int MapDocument::GetViewPairSecond() { return viewPairSecond_; }

void MapDocument::Activate() {}

void MapDocument::Deactivate() {}

std::string MapDocument::GetParam(const std::string& name) {
  std::string key = ToLower(name);
  auto found = params_.find(key);
  if (found != params_.end()) return found->second;
  int x = 0;
  int y = 0;
  if (!ParseZoomAreaPoint(key, x, y)) return {};
  int width = 0;
  int height = 0;
  if (!ComputeZoomArea(x, y, width, height)) return {};
  return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," + std::to_string(height);
}

void MapDocument::SetParam(const std::string& name, const std::string& value) { params_[ToLower(name)] = value; }

std::vector<MapObject*> MapDocument::GetObjectList() {
  std::lock_guard lock(lock_);
  std::vector<MapObject*> list;
  list.reserve(objects_.size());
  for (const Entry& entry : objects_) list.push_back(entry.object);
  return list;
}

void MapDocument::RemoveObject(MapObject* object) {
  if (object == nullptr) return;
  std::lock_guard lock(lock_);
  auto found = std::find_if(objects_.begin(), objects_.end(), [&](const Entry& e) { return e.object == object; });
  if (found == objects_.end()) return;
  if (found->owned) pendingRemoval_.push_back(std::move(found->owned));
  objects_.erase(found);
  auto id = idTable_.find(object->GetId());
  if (id != idTable_.end() && id->second == object) idTable_.erase(id);
  auto selectable = std::find(selectable_.begin(), selectable_.end(), object);
  if (selectable != selectable_.end()) {
    selectable_.erase(selectable);
    if (selectedIndex_ >= static_cast<int>(selectable_.size())) selectedIndex_ = static_cast<int>(selectable_.size()) - 1;
  }
}

int MapDocument::AddObject(std::unique_ptr<MapObject> object, bool selectable) {
  if (!object) return -1;
  MapObject* raw = object.get();
  return InsertObject(Entry{raw, std::move(object)}, selectable);
}

int MapDocument::AddBorrowedObject(MapObject* object, bool selectable) {
  if (object == nullptr) return -1;
  return InsertObject(Entry{object, nullptr}, selectable);
}

int MapDocument::InsertObject(Entry entry, bool selectable) {
  std::lock_guard lock(lock_);
  MapObject* object = entry.object;
  int id = NextObjectId();
  object->SetId(id);
  // Behind every object of a higher layer, in front of every object of its own layer.
  auto position = objects_.end();
  while (position != objects_.begin() && std::prev(position)->object->GetLayer() > object->GetLayer()) --position;
  objects_.insert(position, std::move(entry));
  idTable_[id] = object;
  if (selectable) {
    object->SetSelectable(true);
    selectable_.push_back(object);
  }
  return id;
}

bool MapDocument::HandleCommand(const std::string& name, const std::string& /*argument*/) {
  if (!EqualsNoCase(name, "sortobjects")) return false;
  std::lock_guard lock(lock_);
  std::sort(objects_.begin(), objects_.end(), [](const Entry& a, const Entry& b) {
    if (a.object->GetLayer() != b.object->GetLayer()) return a.object->GetLayer() < b.object->GetLayer();
    return a.object->GetId() < b.object->GetId();
  });
  return true;
}

int MapDocument::GetDrawList(std::vector<MapObject*>& items, int x, int y, int width, int height, int a, int b) {
  if (x < 0) {
    width += x;
    x = 0;
  }
  if (y < 0) {
    height += y;
    y = 0;
  }
  width = std::min(width, GetWidth() - x);
  height = std::min(height, GetHeight() - y);
  bool limited = limitX_ != -1;
  int offsetX = limited ? Scaled(limitX_, GetScaleX()) : 0;
  int offsetY = limited ? Scaled(limitY_, GetScaleY()) : 0;
  items.clear();
  CollectDrawItems(items, x + offsetX, y + offsetY, width, height, a, b);
  for (MapObject* item : items) item->SetScreenOffset(-offsetX, -offsetY);
  return static_cast<int>(items.size());
}

void MapDocument::AppendObjects(std::vector<MapObject*>& items) {
  std::lock_guard lock(lock_);
  for (const Entry& entry : objects_) items.push_back(entry.object);
  pendingRemoval_.clear();
}

bool MapDocument::GetFile(const std::string& /*name*/, std::vector<std::uint8_t>& data) {
  data.clear();
  return false;
}

bool MapDocument::FindFile(const std::string& name, std::vector<std::uint8_t>& data) { return GetFile(name, data); }

void MapDocument::SetRotation(int /*degrees*/) {}

void MapDocument::Close() {}

void MapDocument::SetScale(double sx, double sy) {
  if (sx == scaleX_ && sy == scaleY_) return;
  // A factor of 0 carries no proportion to scale from: the objects keep their sizes.
  double kx = scaleX_ != 0 ? sx / scaleX_ : 1.0;
  double ky = scaleY_ != 0 ? sy / scaleY_ : 1.0;
  {
    std::lock_guard lock(lock_);
    for (const Entry& entry : objects_) {
      MapObject& object = *entry.object;
      if (object.IsScreenCoordinates()) continue;
      object.SetRect(Scaled(object.GetX(), kx), Scaled(object.GetY(), ky), Scaled(object.GetWidth(), kx),
                     Scaled(object.GetHeight(), ky));
      if (object.GetVirtualWidth() != -1)
        object.SetVirtualSize(Scaled(object.GetVirtualWidth(), kx), Scaled(object.GetVirtualHeight(), ky));
    }
  }
  scaleX_ = sx;
  scaleY_ = sy;
}

void MapDocument::SetLevel(int level) {
  PostLevelChanged(level_, level);
  level_ = level;
}

namespace {
// Set while a zoom area is probed: the level goes up and back, in this document or in the
// inner documents it forwards to, and the page must hear nothing of it.
thread_local int zoomAreaProbes = 0;
}  // namespace

bool MapDocument::IsProbingZoomArea() { return zoomAreaProbes > 0; }

void MapDocument::PostLevelChanged(int from, int to) {
  if (host_ == nullptr || IsProbingZoomArea()) return;
  ViewEvent event;
  event.name = "levelchanged";
  event.param1 = std::to_string(from + 1);
  event.param2 = std::to_string(to + 1);
  host_->PostViewEvent(event);
}

int MapDocument::GetLevel() { return level_; }

void MapDocument::SetTransferFlag(std::uint8_t flag) { transferFlag_ = flag; }

std::uint8_t MapDocument::GetTransferFlag() { return transferFlag_; }

int MapDocument::GetPageCount() { return 1; }

int MapDocument::GetAvailablePageCount() { return 0; }

void MapDocument::NextPage() {}

void MapDocument::SetPage(int /*index*/) {}

int MapDocument::GetPrintHeight() { return -1; }

int MapDocument::GetPrintWidth() { return -1; }

void MapDocument::OnViewChanged(int, int&, int&, int, int, int, int, int, int) {}

bool MapDocument::ComputeZoomArea(int& x, int& y, int& width, int& height) {
  int level = GetLevel();
  if (level >= GetLevelCount() - 1) return false;
  double currentX = GetScaleX();
  double currentY = GetScaleY();
  ++zoomAreaProbes;
  SetLevel(level + 1);
  double nextX = GetScaleX();
  double nextY = GetScaleY();
  SetLevel(level);
  --zoomAreaProbes;
  if (currentX <= 0 || currentY <= 0 || nextX <= 0 || nextY <= 0) return false;

  int windowWidth = host_ ? host_->GetViewWidth() : 0;
  int windowHeight = host_ ? host_->GetViewHeight() : 0;
  int offsetX = host_ ? host_->ViewX() : 0;
  int offsetY = host_ ? host_->ViewY() : 0;
  double kx = nextX / currentX;
  double ky = nextY / currentY;
  width = static_cast<int>(windowWidth * (1 - 1 / kx));
  height = static_cast<int>(windowHeight * (1 - 1 / ky));
  x = ZoomAreaStart(x, width, windowWidth, FreeRoom(width, windowWidth, offsetX, kx));
  y = ZoomAreaStart(y, height, windowHeight, FreeRoom(height, windowHeight, offsetY, ky));
  return true;
}

void MapDocument::SetSelectedIndex(int index) {
  std::lock_guard lock(lock_);
  if (index < static_cast<int>(selectable_.size())) selectedIndex_ = index;
}

void MapDocument::SelectObject(MapObject* object) {
  std::lock_guard lock(lock_);
  auto found = std::find(selectable_.begin(), selectable_.end(), object);
  selectedIndex_ = found == selectable_.end() ? -1 : static_cast<int>(found - selectable_.begin());
}

int MapDocument::GetSelectedIndex() const {
  std::lock_guard lock(lock_);
  return selectedIndex_;
}

MapObject* MapDocument::GetEditedObject() {
  // Read before taking the document lock: the view lock is always taken first.
  bool editing = host_ != nullptr && IsYes(host_->GetBrowserProperty("IsEditing"));
  std::lock_guard lock(lock_);
  if (selectedIndex_ < 0 || selectedIndex_ >= static_cast<int>(selectable_.size())) return nullptr;
  MapObject* object = selectable_[selectedIndex_];
  if (editing && !object->IsEditing()) return nullptr;
  return object;
}

std::vector<MapObject*> MapDocument::GetSelectableObjects() const {
  std::lock_guard lock(lock_);
  return selectable_;
}

}  // namespace zolvex
