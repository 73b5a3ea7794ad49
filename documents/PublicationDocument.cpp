#include "documents/PublicationDocument.h"

#include "platform/TextValues.h"

namespace zolvex {

PublicationDocument::PublicationDocument(DocumentHost* host, std::unique_ptr<MapDocument> inner)
    : inner_(std::move(inner)) {
  SetHost(host);
  if (inner_) inner_->SetHost(host);
  SetReady(inner_ && inner_->IsValid());
}

PublicationDocument::~PublicationDocument() = default;

std::string PublicationDocument::FindObjectIDsByName(const std::string& name) {
  return inner_ ? inner_->FindObjectIDsByName(name) : MapDocument::FindObjectIDsByName(name);
}

MapObject* PublicationDocument::FindObject(int id) {
  return inner_ ? inner_->FindObject(id) : MapDocument::FindObject(id);
}

void PublicationDocument::SetLimitRect(int x, int y, int width, int height, bool showFrame) {
  MapDocument::SetLimitRect(x, y, width, height, false);
  if (inner_) inner_->SetLimitRect(x, y, width, height, showFrame);
}

std::string PublicationDocument::GetParam(const std::string& name) {
  std::string own = MapDocument::GetParam(name);
  if (!own.empty() || !inner_ || StartsWithNoCase(name, "ZoomArea")) return own;
  return inner_->GetParam(name);
}

void PublicationDocument::SetParam(const std::string& name, const std::string& value) {
  if (inner_)
    inner_->SetParam(name, value);
  else
    MapDocument::SetParam(name, value);
}

std::vector<MapObject*> PublicationDocument::GetObjectList() {
  return inner_ ? inner_->GetObjectList() : MapDocument::GetObjectList();
}

void PublicationDocument::RemoveObject(MapObject* object) {
  if (inner_)
    inner_->RemoveObject(object);
  else
    MapDocument::RemoveObject(object);
}

int PublicationDocument::AddObject(std::unique_ptr<MapObject> object, bool selectable) {
  return inner_ ? inner_->AddObject(std::move(object), selectable) : MapDocument::AddObject(std::move(object), selectable);
}

bool PublicationDocument::HandleCommand(const std::string& name, const std::string& argument) {
  return inner_ && inner_->HandleCommand(name, argument);
}

int PublicationDocument::CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int a,
                                          int b) {
  if (!inner_) {
    AppendObjects(items);
    return static_cast<int>(items.size());
  }
  if (!inner_->IsValid()) return 0;
  return inner_->CollectDrawItems(items, x, y, width, height, a, b);
}

int PublicationDocument::GetLevelHeight(int level) { return ReadyInner() ? inner_->GetLevelHeight(level) : -1; }
int PublicationDocument::GetHeight() { return ReadyInner() ? inner_->GetHeight() : -1; }
int PublicationDocument::GetLevelWidth(int level) { return ReadyInner() ? inner_->GetLevelWidth(level) : -1; }
int PublicationDocument::GetWidth() { return ReadyInner() ? inner_->GetWidth() : -1; }
int PublicationDocument::GetFullHeight() { return ReadyInner() ? inner_->GetFullHeight() : -1; }
int PublicationDocument::GetFullWidth() { return ReadyInner() ? inner_->GetFullWidth() : -1; }
double PublicationDocument::GetScaleX() { return ReadyInner() ? inner_->GetScaleX() : -1.0; }
double PublicationDocument::GetScaleY() { return ReadyInner() ? inner_->GetScaleY() : -1.0; }
int PublicationDocument::GetLevelCount() { return ReadyInner() ? inner_->GetLevelCount() : -1; }
int PublicationDocument::GetLevel() { return ReadyInner() ? inner_->GetLevel() : -1; }

void PublicationDocument::SetLevel(int level) {
  if (ReadyInner()) inner_->SetLevel(level);
}

void PublicationDocument::SetPage(int index) {
  if (ReadyInner()) inner_->SetPage(index);
}

void PublicationDocument::PreloadLevel(int level) {
  if (inner_) inner_->PreloadLevel(level);
}

int PublicationDocument::GetPendingTileCount() { return inner_ ? inner_->GetPendingTileCount() : 0; }
bool PublicationDocument::GetTileSize(int level, int& width, int& height) {
  return ReadyInner() && inner_->GetTileSize(level, width, height);
}

void PublicationDocument::RequestTileAhead(int level, int column, int row, int priority) {
  if (ReadyInner()) inner_->RequestTileAhead(level, column, row, priority);
}

void PublicationDocument::SetRotation(int degrees) {
  if (inner_) inner_->SetRotation(degrees);
}

void PublicationDocument::Close() {
  if (inner_) inner_->Close();
}

void PublicationDocument::SetScale(double sx, double sy) {
  MapDocument::SetScale(sx, sy);
  if (inner_) inner_->SetScale(sx, sy);
}

void PublicationDocument::SetTransferFlag(std::uint8_t flag) {
  MapDocument::SetTransferFlag(flag);
  if (inner_) inner_->SetTransferFlag(flag);
}

int PublicationDocument::GetPageCount() { return inner_ ? inner_->GetPageCount() : MapDocument::GetPageCount(); }

int PublicationDocument::GetAvailablePageCount() {
  return inner_ ? inner_->GetAvailablePageCount() : MapDocument::GetAvailablePageCount();
}

void PublicationDocument::NextPage() {
  if (inner_) inner_->NextPage();
}

}  // namespace zolvex
