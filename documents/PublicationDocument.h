#pragma once
#include <memory>

#include "documents/MapDocument.h"

namespace zolvex {

// The base of the page-mode documents: it wraps an inner document (usually the markup
// document of the same URL) and forwards the object list, the parameters and the geometry
// to it. Geometry questions answer -1 until the document is ready.
class PublicationDocument : public MapDocument {
 public:
  PublicationDocument(DocumentHost* host, std::unique_ptr<MapDocument> inner);
  ~PublicationDocument() override;

  MapDocument* GetInner() const { return inner_.get(); }

  std::string FindObjectIDsByName(const std::string& name) override;
  MapObject* FindObject(int id) override;
  void SetLimitRect(int x, int y, int width, int height, bool showFrame) override;
  std::string GetParam(const std::string& name) override;
  void SetParam(const std::string& name, const std::string& value) override;
  std::vector<MapObject*> GetObjectList() override;
  void RemoveObject(MapObject* object) override;
  int AddObject(std::unique_ptr<MapObject> object, bool selectable) override;
  bool HandleCommand(const std::string& name, const std::string& argument) override;
  int CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int a, int b) override;
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
  int GetPageCount() override;
  int GetAvailablePageCount() override;
  void NextPage() override;
  void SetPage(int index) override;
  void PreloadLevel(int level) override;
  int GetPendingTileCount() override;
  bool GetTileSize(int level, int& width, int& height) override;
  void RequestTileAhead(int level, int column, int row, int priority) override;

 protected:
  // The inner document when the geometry can be asked, else null.
  MapDocument* ReadyInner() const { return IsValid() ? inner_.get() : nullptr; }

 private:
  std::unique_ptr<MapDocument> inner_;
};

}  // namespace zolvex
