#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "objects/MapObject.h"

namespace zolvex {

class DocumentHost;

// The base of every document the view shows. It owns the overlay objects (in drawing
// order, with their IDs and the selectable ones), the named parameters of the content,
// the current level and scale and an optional limit rectangle. Image documents supply
// the geometry; markup and page-mode documents add objects and delegate the geometry.
class MapDocument {
 public:
  MapDocument();
  MapDocument(const MapDocument&) = delete;
  MapDocument& operator=(const MapDocument&) = delete;

  virtual MapDocument* GetExtension();
  virtual void SetExtension(std::unique_ptr<MapDocument> extension);
  // IDs of the objects whose "name" equals name in any case, in list order, joined by " ".
  virtual std::string FindObjectIDsByName(const std::string& name);
  virtual MapObject* FindObject(int id);
  // Full-resolution rectangle the content is limited to; x = -1 removes the limit.
  virtual void SetLimitRect(int x, int y, int width, int height, bool showFrame);
  // Two integers the view keeps on the document; the document never reads them.
  virtual void StoreViewPair(int first, int second);
  virtual int GetViewPairFirst();
  virtual int GetViewPairSecond();
  virtual void Activate();
  virtual void Deactivate();
  virtual std::string GetParam(const std::string& name);
  virtual void SetParam(const std::string& name, const std::string& value);
  virtual ~MapDocument();
  // A snapshot of the object list in drawing order.
  virtual std::vector<MapObject*> GetObjectList();
  // Takes the object out of the lists at once; an owned object is destroyed when the view
  // next collects a draw list (the last frame may still point at it).
  virtual void RemoveObject(MapObject* object);
  // Adds an object the document owns; answers its new ID, -1 for a null object.
  virtual int AddObject(std::unique_ptr<MapObject> object, bool selectable);
  virtual bool HandleCommand(const std::string& name, const std::string& argument);
  // The draw items covering the rectangle (pixels of the current level): the image items,
  // then the overlay objects in drawing order. Answers the count.
  virtual int GetDrawList(std::vector<MapObject*>& items, int x, int y, int width, int height, int a, int b);
  virtual int CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int a,
                               int b) = 0;
  virtual bool GetFile(const std::string& name, std::vector<std::uint8_t>& data);
  // A named file that has already arrived, without asking for it again.
  virtual bool FindFile(const std::string& name, std::vector<std::uint8_t>& data);
  virtual int GetLevelHeight(int level) = 0;
  virtual int GetHeight() = 0;
  virtual int GetLevelWidth(int level) = 0;
  virtual int GetWidth() = 0;
  virtual int GetFullHeight() = 0;
  virtual int GetFullWidth() = 0;
  virtual double GetScaleX() = 0;
  virtual double GetScaleY() = 0;
  virtual void SetRotation(int degrees);
  // Asks ahead for every tile of the level (0-based) that the document shows; documents
  // without tiles ignore it, as they do a level out of range.
  virtual void PreloadLevel(int /*level*/) {}
  // The tile size of a level, for asking ahead tile by tile; false for documents without tiles.
  virtual bool GetTileSize(int /*level*/, int& /*width*/, int& /*height*/) { return false; }
  // Asks ahead for one tile (0-based level, column, row) unless it is held; documents
  // without tiles ignore it.
  virtual void RequestTileAhead(int /*level*/, int /*column*/, int /*row*/, int /*priority*/) {}
  virtual void Close();
  virtual void SetScale(double sx, double sy);
  virtual void SetLevel(int level);
  virtual int GetLevelCount() = 0;
  virtual int GetLevel();
  virtual void SetTransferFlag(std::uint8_t flag);
  virtual std::uint8_t GetTransferFlag();
  virtual int GetPageCount();
  virtual int GetAvailablePageCount();
  virtual void NextPage();
  virtual void SetPage(int index);
  virtual int GetPrintHeight();
  virtual int GetPrintWidth();
  // The view reports a new position (mode 0 after a move, 1 after a zoom, 2 for a query)
  // and the document may correct x and y.
  virtual void OnViewChanged(int flags, int& x, int& y, int width, int height, int level, int mode, int px,
                             int py);
  // The view rectangle that becomes the whole view after zooming in one level around
  // (x, y); false on the last level.
  virtual bool ComputeZoomArea(int& x, int& y, int& width, int& height);

  // Adds an object that stays owned by the caller (the view's own pieces); the caller
  // removes it before destroying it.
  int AddBorrowedObject(MapObject* object, bool selectable);

  // The view that shows the document; set once after construction.
  void SetHost(DocumentHost* host) { host_ = host; }
  DocumentHost* GetHost() const { return host_; }
  // Tiles of the last draw list that have not arrived (drafts count as missing).
  virtual int GetPendingTileCount() { return 0; }
  // Whether the document can answer geometry questions.
  bool IsValid() const { return ready_; }

  // Selectable objects.
  void SetSelectedIndex(int index);
  void SelectObject(MapObject* object);
  int GetSelectedIndex() const;
  MapObject* GetEditedObject();
  std::vector<MapObject*> GetSelectableObjects() const;

  // Appends the object list to items and destroys the objects removed since the last call.
  void AppendObjects(std::vector<MapObject*>& items);

  // The limit rectangle in full-resolution pixels (x = -1: none).
  int GetLimitX() const { return limitX_; }
  int GetLimitY() const { return limitY_; }
  int GetLimitWidth() const { return limitWidth_; }
  int GetLimitHeight() const { return limitHeight_; }
  MapObject* GetLimitFrame() const { return limitFrame_.get(); }
  double GetStoredScaleX() const { return scaleX_; }
  double GetStoredScaleY() const { return scaleY_; }

  // The lock around the object list, the ID table and the selectable list.
  std::recursive_mutex& ObjectLock() const { return lock_; }

  // The last ID handed out by the process-wide counter (for tests and diagnostics).
  static int LastObjectId();

 protected:
  void SetReady(bool ready) { ready_ = ready; }
  // True while a zoom area probes the next level on this thread: level changes post nothing.
  static bool IsProbingZoomArea();

 private:
  struct Entry {
    MapObject* object = nullptr;
    std::unique_ptr<MapObject> owned;  // null for borrowed objects
  };

  int InsertObject(Entry entry, bool selectable);
  void HideObjectsOutsideLimit(int x, int y, int width, int height);
  void RestoreObjectsHiddenByLimit();
  void RestoreObjectsLocked(std::vector<MapObject*>& toRefresh);
  void PlaceLimitFrame(bool show);
  void PostLevelChanged(int from, int to);

  DocumentHost* host_ = nullptr;
  std::unique_ptr<MapDocument> extension_;
  std::vector<Entry> objects_;
  std::map<int, MapObject*> idTable_;
  std::vector<MapObject*> selectable_;
  int selectedIndex_ = -1;
  std::vector<std::unique_ptr<MapObject>> pendingRemoval_;
  std::map<std::string, std::string> params_;
  int level_ = 0;
  double scaleX_ = 1.0;
  double scaleY_ = 1.0;
  int limitX_ = -1;
  int limitY_ = 0;
  int limitWidth_ = 0;
  int limitHeight_ = 0;
  int limitFullWidth_ = 0;
  int limitFullHeight_ = 0;
  int scaledLimitWidth_ = 0;  // the rectangle the reference sizes were scaled to
  int scaledLimitHeight_ = 0;
  std::unique_ptr<MapObject> limitFrame_;
  int viewPairFirst_ = 0;
  int viewPairSecond_ = 0;
  std::uint8_t transferFlag_ = 0;
  bool ready_ = false;
  mutable std::recursive_mutex lock_;
};

}  // namespace zolvex
