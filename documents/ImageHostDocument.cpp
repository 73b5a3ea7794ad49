#include "documents/ImageHostDocument.h"

namespace zolvex {

ImageHostDocument::ImageHostDocument(DocumentHost& host) : host_(host) { SetHost(&host); }

ImageHostDocument::~ImageHostDocument() = default;

void ImageHostDocument::SetInner(std::unique_ptr<MapDocument> inner) {
  inner_ = std::move(inner);
  if (inner_) {
    inner_->SetHost(&host_);
    // A virtual size among the markup's parameters sizes the picture.
    for (const char* name : {"virtualwidth", "virtualheight"}) {
      std::string value = MapDocument::GetParam(name);
      if (!value.empty()) inner_->SetParam(name, value);
    }
  }
  SetReady(ReadyInner() != nullptr);
}

int ImageHostDocument::CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int a,
                                        int b) {
  if (MapDocument* inner = ReadyInner()) inner->CollectDrawItems(items, x, y, width, height, a, b);
  AddExtraItems(items, x, y, width, height);
  AppendObjects(items);
  return static_cast<int>(items.size());
}

bool ImageHostDocument::GetFile(const std::string& name, std::vector<std::uint8_t>& data) {
  return inner_ ? inner_->GetFile(name, data) : MapDocument::GetFile(name, data);
}

bool ImageHostDocument::FindFile(const std::string& name, std::vector<std::uint8_t>& data) {
  return inner_ ? inner_->FindFile(name, data) : MapDocument::FindFile(name, data);
}

int ImageHostDocument::GetLevelHeight(int level) { return ReadyInner() ? inner_->GetLevelHeight(level) : 0; }
int ImageHostDocument::GetHeight() { return ReadyInner() ? inner_->GetHeight() : 0; }
int ImageHostDocument::GetLevelWidth(int level) { return ReadyInner() ? inner_->GetLevelWidth(level) : 0; }
int ImageHostDocument::GetWidth() { return ReadyInner() ? inner_->GetWidth() : 0; }
int ImageHostDocument::GetFullHeight() { return ReadyInner() ? inner_->GetFullHeight() : 0; }
int ImageHostDocument::GetFullWidth() { return ReadyInner() ? inner_->GetFullWidth() : 0; }
double ImageHostDocument::GetScaleX() { return ReadyInner() ? inner_->GetScaleX() : 1.0; }
double ImageHostDocument::GetScaleY() { return ReadyInner() ? inner_->GetScaleY() : 1.0; }
int ImageHostDocument::GetLevelCount() { return ReadyInner() ? inner_->GetLevelCount() : 0; }
int ImageHostDocument::GetLevel() { return ReadyInner() ? inner_->GetLevel() : MapDocument::GetLevel(); }

// The inner document posts the level change to the view; posting it here too would
// report every change twice.
void ImageHostDocument::SetLevel(int level) {
  if (MapDocument* inner = ReadyInner())
    inner->SetLevel(level);
  else
    MapDocument::SetLevel(level);
}

void ImageHostDocument::SetRotation(int degrees) {
  if (inner_) inner_->SetRotation(degrees);
}

void ImageHostDocument::Close() {
  if (inner_) inner_->Close();
  SetReady(false);
}

void ImageHostDocument::SetScale(double sx, double sy) {
  MapDocument::SetScale(sx, sy);
  if (inner_) inner_->SetScale(sx, sy);
}

void ImageHostDocument::SetTransferFlag(std::uint8_t flag) {
  MapDocument::SetTransferFlag(flag);
  if (inner_) inner_->SetTransferFlag(flag);
}

int ImageHostDocument::GetPendingTileCount() { return inner_ ? inner_->GetPendingTileCount() : 0; }

bool ImageHostDocument::GetTileSize(int level, int& width, int& height) {
  return ReadyInner() && inner_->GetTileSize(level, width, height);
}

void ImageHostDocument::RequestTileAhead(int level, int column, int row, int priority) {
  if (MapDocument* inner = ReadyInner()) inner->RequestTileAhead(level, column, row, priority);
}

}  // namespace zolvex
