#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "documents/DocumentText.h"
#include "documents/ImageHostDocument.h"
#include "documents/MarkupObjectMaker.h"
#include "documents/XmlReader.h"
#include "platform/Dialogs.h"
#include "documents/MosaicLayout.h"

namespace zolvex {

class PageIndex;

// One page of the page index: its link, its picture (absolute) and its tooltip.
struct PageIndexItem {
  int page = 0;  // from 1, in document order
  std::string href;
  std::string source;
  std::string tooltip;
  std::string tooltipSize;
};

// What the INDEX element declares for the page-index panel; the panel starts hidden.
struct PageIndexData {
  int thumbWidth = 0;
  int thumbHeight = 0;
  std::string width;
  std::string height;
  std::string position;
  std::vector<PageIndexItem> items;
  bool visible = false;
};

// Reads the INDEX element at the reader's child position (left there): its sizes, with the
// control's PageIndexPosition, PageIndexHeight and PageIndexWidth taking their places when
// set, and its items with their pictures made absolute.
PageIndexData ReadPageIndexElement(DocumentHost& host, XmlReader& reader, const std::string& basePath);

// A map of overlay objects that can be loaded and unloaded by its ID: its markup, and the
// IDs of the objects now loaded from it (empty: not loaded).
struct MapRecord {
  std::string markup;
  std::vector<int> objectIds;
};

// The document of an XMML file: parameters, actions, menus, a page index, a basemap of one
// or several KTQ images (or a folder) and maps of overlay objects over it.
class XmmlDocument : public ImageHostDocument {
 public:
  // Loads url; raises CReaderException when the file cannot be read or its basemap cannot
  // be opened. Malformed markup loads as a document with only its basemap.
  XmmlDocument(DocumentHost& host, const std::string& url);
  // Loads markup already in memory; url still names where it stands, for its base path and
  // the basemap named after it.
  XmmlDocument(DocumentHost& host, const std::string& url, std::vector<std::uint8_t> bytes);
  ~XmmlDocument() override;

  void Activate() override;
  void Deactivate() override;
  std::string GetParam(const std::string& name) override;
  bool HandleCommand(const std::string& name, const std::string& argument) override;
  // The mode of OnViewChanged that only asks, without placing the view.
  static constexpr int kViewQuery = 2;
  void OnViewChanged(int flags, int& x, int& y, int width, int height, int level, int mode, int px,
                     int py) override;
  // Opens the basemap: a mosaic of the listed images, the one listed image, or the image
  // (or folder) named after url.
  virtual void LoadBasemap(const std::string& url);
  virtual bool IsBasemapFolder() const { return innerIsFolder_; }
  bool IsBasemapMosaic() const { return innerIsMosaic_; }

  // A document whose objects and levels are shown together with the basemap's.
  void SetSecondaryDocument(std::unique_ptr<MapDocument> secondary);
  MapDocument* GetSecondaryDocument() const { return secondary_.get(); }

  // Maps: load (already loaded ones are skipped) and unload by ID; "[all]" stands for
  // every registered map. Unknown IDs do nothing.
  void LoadMap(const std::string& id);
  void UnloadMap(const std::string& id);

  const std::string& Url() const { return url_; }
  const std::string& BasePath() const { return basePath_; }
  // The markup as decoded, and a reader over it (page modes read their own sections).
  const std::string& Text() const { return text_; }
  const XmlReader& Reader() const { return reader_; }
  const std::vector<std::string>& BasemapList() const { return basemapList_; }
  const std::map<std::string, std::string>& Actions() const { return actions_; }
  const std::map<std::string, std::string>& Menus() const { return menus_; }
  const MapRecord* FindMap(const std::string& id) const;
  std::vector<std::string> MapIds() const { return mapOrder_; }
  const std::optional<PageIndexData>& PageIndex() const { return pageIndex_; }
  // The page-index panel the object maker made of INDEX (one of the document's objects);
  // null without one.
  zolvex::PageIndex* PageIndexObject() const { return pageIndexObject_; }
  const std::string& ThumbnailSource() const { return thumbnailSrc_; }
  const std::string& Limit() const { return limit_; }
  // Object elements that no object could be made for, in the order met.
  const std::vector<UnmadeElement>& UnmadeElements() const { return unmade_; }

  // The entries of a stored menu as the popup shows them, and the links of its numbered
  // entries (number n is links[n - 1]); false for an unknown ID.
  bool BuildMenu(const std::string& id, std::vector<platform::MenuItem>& items, std::vector<std::string>& links) const;

 protected:
  void AddExtraItems(std::vector<MapObject*>& items, int x, int y, int width, int height) override;

 private:
  void KeepContentOffsets();
  void Load(DocumentBytes read);
  void ReadGroups();
  void ReadParams();
  void ReadActions();
  void ReadMenus();
  void ReadIndex();
  void AddPageIndexObject();
  void AddThumbnailNavigator();
  void ReadBody();
  void ProcessMaps();
  void CreateObjectsOfMarkup(const std::string& markup, MapRecord* record, const std::string& id);
  void ApplyPreloadLevel();
  void ShowMenu(const std::string& argument);
  void RunCommandString(std::string command);
  void ForEachMap(const std::string& id, void (XmmlDocument::*action)(MapRecord&, const std::string&));
  void LoadRecord(MapRecord& record, const std::string& id);
  void UnloadRecord(MapRecord& record, const std::string& id);

  std::string url_;
  std::string basePath_;
  std::string text_;
  XmlReader reader_;
  std::unique_ptr<MapDocument> serverImage_;
  std::map<std::string, std::string> actions_;
  std::map<std::string, std::string> menus_;
  std::map<std::string, MapRecord> maps_;
  std::vector<std::string> mapOrder_;
  std::vector<std::string> basemapList_;
  std::vector<MosaicLayout::Child> basemapChildren_;
  MosaicLayout::Attributes basemapAttributes_;
  std::string thumbnailSrc_;
  std::optional<PageIndexData> pageIndex_;
  std::unique_ptr<zolvex::PageIndex> madeIndex_;  // until it joins the objects
  zolvex::PageIndex* pageIndexObject_ = nullptr;
  std::string limit_;
  std::unique_ptr<MapDocument> secondary_;
  bool innerIsFolder_ = false;
  bool innerIsMosaic_ = false;
  std::vector<UnmadeElement> unmade_;
};

}  // namespace zolvex
