#include "documents/XmmlDocument.h"

#include "net/Pictures.h"
#include "objects/PageIndex.h"
#include "objects/ThumbnailNavigator.h"

#include "documents/DocumentHost.h"
#include "documents/DocumentText.h"
#include "documents/ObjectFactory.h"
#include "objects/ObjectValues.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

// Menus nest deeper than any real menu only in broken or hostile markup.
constexpr int kMaxMenuDepth = 16;
// The layer of the navigator made of the document's own thumbnail picture.
constexpr int kNavigatorLayer = 10;

// How the objects of one map are placed over the basemap.
struct MapPlacement {
  int mapWidth = 0;
  int mapHeight = 0;
  int offsetX = 0;
  int offsetY = 0;
  double scaleX = 1.0;
  double scaleY = 1.0;
  bool absolute = false;  // offsets or an absolute size: placed in full-resolution pixels
  bool hasLevels = false;
  int minLevel = -1;
  int maxLevel = -1;
};

MapPlacement ReadPlacement(const XmlReader& map) {
  MapPlacement placement;
  placement.mapWidth = ParseInt(map.GetAttribute("mapwidth"));
  placement.mapHeight = ParseInt(map.GetAttribute("mapheight"));
  const int absWidth = ParseInt(map.GetAttribute("abswidth"));
  const int absHeight = ParseInt(map.GetAttribute("absheight"));
  placement.offsetX = ParseInt(map.GetAttribute("offsetx"));
  placement.offsetY = ParseInt(map.GetAttribute("offsety"));
  const bool sized = absWidth >= 1 && absHeight >= 1;
  if (sized) {
    // A missing (or unusable) map size means the map is drawn at its absolute size.
    if (placement.mapWidth <= 0) placement.mapWidth = absWidth;
    if (placement.mapHeight <= 0) placement.mapHeight = absHeight;
    placement.scaleX = static_cast<double>(absWidth) / placement.mapWidth;
    placement.scaleY = static_cast<double>(absHeight) / placement.mapHeight;
  }
  placement.absolute = placement.offsetX != 0 || placement.offsetY != 0 || sized;
  const std::string minLevel = map.GetAttribute("minlevel");
  const std::string maxLevel = map.GetAttribute("maxlevel");
  placement.hasLevels = !minLevel.empty() || !maxLevel.empty();
  placement.minLevel = minLevel.empty() ? -1 : ParseOneBasedIndex(minLevel);
  placement.maxLevel = maxLevel.empty() ? -1 : ParseOneBasedIndex(maxLevel);
  return placement;
}

void PlaceMapObject(MapObject& object, const MapPlacement& placement, int fullWidth, int fullHeight) {
  if (placement.absolute) {
    object.SetVirtualSize(fullWidth, fullHeight);
    if (!object.IsScreenCoordinates()) {
      object.SetRect(Truncate(object.GetX() * placement.scaleX + placement.offsetX),
                     Truncate(object.GetY() * placement.scaleY + placement.offsetY),
                     Truncate(object.GetWidth() * placement.scaleX), Truncate(object.GetHeight() * placement.scaleY));
    }
  } else {
    object.SetVirtualSize(placement.mapWidth, placement.mapHeight);
  }
  if (placement.hasLevels) object.SetLevelRange(placement.minLevel, placement.maxLevel);
}

// "ktq://host:port/path" -> ("ktq://host:port", "/path").
std::pair<std::string, std::string> SplitServer(const std::string& url) {
  std::size_t scheme = url.find("://");
  std::size_t hostStart = scheme == std::string::npos ? url.find(':') + 1 : scheme + 3;
  std::size_t slash = url.find('/', hostStart);
  if (slash == std::string::npos) return {url, "/"};
  return {url.substr(0, slash), url.substr(slash)};
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

// The numbered entries of a menu element (the reader's main position), in document order.
void AddMenuEntries(XmlReader& reader, std::vector<platform::MenuItem>& items, std::vector<std::string>& links,
                    int depth) {
  while (reader.FindChild("menuitem")) {
    const std::string text = reader.GetChildAttribute("text");
    if (text == "-") {
      items.push_back(platform::MenuItem{});
      continue;
    }
    links.push_back(reader.GetChildAttribute("href"));
    platform::MenuItem item;
    item.command = static_cast<int>(links.size());
    item.label = text;
    if (depth < kMaxMenuDepth && reader.EnterChild()) {
      AddMenuEntries(reader, item.submenu, links, depth + 1);
      reader.LeaveToParent();
    }
    items.push_back(std::move(item));
  }
}

// Every group is looked for from the first child of XMML on.
bool RestartAtRoot(XmlReader& reader) {
  reader.ResetPosition();
  return reader.FindNext("XMML");
}

}  // namespace

XmmlDocument::XmmlDocument(DocumentHost& host, const std::string& url)
    : ImageHostDocument(host), url_(SlashedUrl(url)), basePath_(BasePathOf(url_)) {
  Load(ReadDocumentBytes(host, url_, false));
}

XmmlDocument::XmmlDocument(DocumentHost& host, const std::string& url, std::vector<std::uint8_t> bytes)
    : ImageHostDocument(host), url_(SlashedUrl(url)), basePath_(BasePathOf(url_)) {
  DocumentBytes given;
  given.bytes = std::move(bytes);
  given.fetched = true;
  Load(std::move(given));
}

void XmmlDocument::Load(DocumentBytes read) {
  const bool server = read.serverImage != nullptr;
  if (server) SetInner(std::move(read.serverImage));
  text_ = DecodeMarkup(read.bytes);
  if (reader_.Parse(text_) && reader_.FindNext("XMML")) ReadGroups();
  limit_ = GetParam("limit");
  if (!server) LoadBasemap(url_);
  AddThumbnailNavigator();
  AddPageIndexObject();
  ProcessMaps();
  ApplyPreloadLevel();
}

XmmlDocument::~XmmlDocument() = default;

// ---- Reading the markup -----------------------------------------------------------------

void XmmlDocument::ReadGroups() {
  ReadParams();
  ReadActions();
  ReadMenus();
  ReadIndex();
  ReadBody();
}

void XmmlDocument::ReadParams() {
  RestartAtRoot(reader_);
  while (reader_.FindChild("PARAM")) {
    std::string name = reader_.GetChildAttribute("NAME");
    if (!name.empty()) SetParam(name, reader_.GetChildAttribute("VALUE"));
  }
}

void XmmlDocument::ReadActions() {
  RestartAtRoot(reader_);
  while (reader_.FindChild("ACTION")) {
    std::string name = reader_.GetChildAttribute("NAME");
    if (!name.empty()) actions_[ToLower(name)] = reader_.GetChildAttribute("VALUE");
  }
}

// The markup is kept as written: it is parsed again when the menu shows, and the attribute
// values are decoded then (decoding here as well would decode "&amp;lt;" twice).
void XmmlDocument::ReadMenus() {
  RestartAtRoot(reader_);
  if (!reader_.FindChild("MENUS") || !reader_.EnterChild()) return;
  while (reader_.FindChild("MENU")) {
    std::string id = reader_.GetChildAttribute("ID");
    if (!id.empty()) menus_[id] = reader_.GetChildMarkup();
  }
  reader_.LeaveToParent();
}

void XmmlDocument::ReadIndex() {
  RestartAtRoot(reader_);
  if (!reader_.FindChild("INDEX")) return;
  pageIndex_ = ReadPageIndexElement(Host(), reader_, basePath_);
  // The panel itself comes from the object maker; without one the data above is all.
  std::vector<UnmadeElement> notMade;
  std::unique_ptr<MapObject> made = MarkupObjectMaker::Make(Host(), reader_, basePath_, "", notMade);
  if (auto* index = dynamic_cast<zolvex::PageIndex*>(made.get())) {
    made.release();
    madeIndex_.reset(index);
  }
}

// The panel asks the basemap's source for its pictures: a first request may fetch one,
// later ones only look whether it has arrived.
void XmmlDocument::AddPageIndexObject() {
  if (!madeIndex_) return;
  madeIndex_->SetPictureSource([this](const std::string& name, std::vector<std::uint8_t>& data, bool ask) {
    return ask ? GetFile(name, data) : FindFile(name, data);
  });
  pageIndexObject_ = madeIndex_.get();
  AddObject(std::move(madeIndex_), false);
}

// A picture of the whole basemap named by "thumbnailsrc" makes the document's own navigator,
// which replaces the one of a single image (a mosaic's images show none).
void XmmlDocument::AddThumbnailNavigator() {
  if (thumbnailSrc_.empty() || StartsWithNoCase(basePath_, "ktq:")) return;
  std::shared_ptr<ViewImage> picture = LoadPictureFromUrl(basePath_ + thumbnailSrc_);
  auto navigator = std::make_unique<ThumbnailNavigator>(std::move(picture), GetFullWidth(), GetFullHeight());
  navigator->SetLayer(kNavigatorLayer);
  navigator->SetVisible(IsYes(Host().GetBrowserProperty("showthumbnail")));
  if (MapDocument* inner = ReadyInner(); inner && !innerIsMosaic_) {
    for (MapObject* object : inner->GetObjectList())
      if (object->GetProperty("type") == "thumbnail") object->SetVisible(false);
  }
  AddObject(std::move(navigator), false);
}

PageIndexData ReadPageIndexElement(DocumentHost& host, XmlReader& reader, const std::string& basePath) {
  PageIndexData index;
  index.thumbWidth = ParseInt(reader.GetChildAttribute("thumbwidth"));
  index.thumbHeight = ParseInt(reader.GetChildAttribute("thumbheight"));
  index.width = reader.GetChildAttribute("width");
  index.height = reader.GetChildAttribute("height");
  index.position = reader.GetChildAttribute("position");
  auto overrideBy = [&host](const char* property, std::string& field) {
    std::string value = host.GetBrowserProperty(property);
    if (!value.empty()) field = value;
  };
  overrideBy("PageIndexPosition", index.position);
  overrideBy("PageIndexHeight", index.height);
  overrideBy("PageIndexWidth", index.width);
  if (reader.EnterChild()) {
    while (reader.FindChild("item")) {
      PageIndexItem item;
      item.page = static_cast<int>(index.items.size()) + 1;
      item.href = reader.GetChildAttribute("href");
      std::string source = reader.GetChildAttribute("src");
      if (IsServerUrl(basePath) && IsServerUrl(source)) {
        // The picture comes from the server of the document.
        item.source = SplitServer(basePath).first + SplitServer(source).second;
      } else {
        item.source = JoinToBase(source, basePath);
      }
      item.tooltip = reader.GetChildAttribute("tooltip");
      item.tooltipSize = reader.GetChildAttribute("tooltipsize");
      index.items.push_back(std::move(item));
    }
    reader.LeaveToParent();
  }
  return index;
}

void XmmlDocument::ReadBody() {
  RestartAtRoot(reader_);
  if (!reader_.FindChild("BODY") || !reader_.EnterChild()) return;
  if (reader_.FindChild("BASEMAP")) {
    thumbnailSrc_ = reader_.GetChildAttribute("thumbnailsrc");
    basemapAttributes_.virtualWidth = ParseInt(reader_.GetChildAttribute("virtualwidth"));
    basemapAttributes_.virtualHeight = ParseInt(reader_.GetChildAttribute("virtualheight"));
    basemapAttributes_.width = ParseInt(reader_.GetChildAttribute("width"));
    basemapAttributes_.height = ParseInt(reader_.GetChildAttribute("height"));
    if (reader_.EnterChild()) {
      while (reader_.FindChild("KTQ")) {
        std::string source = reader_.GetChildAttribute("SRC");
        if (source.empty()) continue;  // would name the document's own folder
        MosaicLayout::Child child;
        child.source = JoinToBase(source, basePath_);
        child.column = ParseInt(reader_.GetChildAttribute("col"));
        child.row = ParseInt(reader_.GetChildAttribute("row"));
        child.x = ParseInt(reader_.GetChildAttribute("x"));
        child.y = ParseInt(reader_.GetChildAttribute("y"));
        basemapList_.push_back(child.source);
        basemapChildren_.push_back(std::move(child));
      }
      reader_.LeaveToParent();
    }
  }
  reader_.LeaveToParent();
}

// ---- Basemap ----------------------------------------------------------------------------

void XmmlDocument::LoadBasemap(const std::string& url) {
  innerIsFolder_ = false;
  innerIsMosaic_ = basemapList_.size() >= 2;
  if (innerIsMosaic_) {
    MosaicLayout layout(basemapAttributes_, basemapChildren_);
    SetInner(Host().OpenSubDocument({SubDocumentKind::Mosaic, basePath_, &layout}));
    return;
  }
  std::string source = basemapList_.empty() ? DerivedImageName(url) : basemapList_.front();
  if (source.ends_with('/') || source.ends_with('\\')) {
    innerIsFolder_ = true;
    SetInner(Host().OpenSubDocument({SubDocumentKind::Folder, source}));
  } else {
    SetInner(Host().OpenSubDocument({SubDocumentKind::Image, source}));
  }
}

void XmmlDocument::ApplyPreloadLevel() {
  if (MapDocument* inner = ReadyInner()) inner->PreloadLevel(ParseInt(GetParam("preloadlevel")) - 1);
}

void XmmlDocument::SetSecondaryDocument(std::unique_ptr<MapDocument> secondary) {
  secondary_ = std::move(secondary);
  if (secondary_) {
    secondary_->SetHost(&Host());
    if (secondary_->IsValid()) secondary_->SetLevel(GetLevel());
  }
}

void XmmlDocument::AddExtraItems(std::vector<MapObject*>& items, int x, int y, int width, int height) {
  if (!secondary_ || !secondary_->IsValid()) return;
  if (secondary_->GetLevel() != GetLevel()) secondary_->SetLevel(GetLevel());
  secondary_->CollectDrawItems(items, x, y, width, height, 0, 0);
}

// ---- Maps -------------------------------------------------------------------------------

void XmmlDocument::ProcessMaps() {
  if (!RestartAtRoot(reader_) || !reader_.FindChild("body") || !reader_.EnterChild()) return;
  const bool loadOnInit = !IsNo(GetParam("LoadOnInit"));
  while (reader_.FindChild("map")) {
    const std::string id = reader_.GetChildAttribute("id");
    const std::string markup = reader_.GetChildMarkup();
    if (!id.empty() && !maps_.contains(id)) {
      maps_[id].markup = markup;
      mapOrder_.push_back(id);
      if (loadOnInit) LoadMap(id);
    } else {
      CreateObjectsOfMarkup(markup, nullptr, id);
    }
  }
  reader_.LeaveToParent();
}

void XmmlDocument::CreateObjectsOfMarkup(const std::string& markup, MapRecord* record, const std::string& id) {
  XmlReader map;
  if (!map.Parse(markup) || !map.FindNext("map")) return;
  // Pictures on this document's tile server come from it, current content or not.
  const ObjectFactory::LoadingDocument files(Host().Objects(), *this);
  const MapPlacement placement = ReadPlacement(map);
  while (map.FindChild()) {
    std::unique_ptr<MapObject> object = MarkupObjectMaker::Make(Host(), map, basePath_, record ? id : "", unmade_);
    if (!object) continue;
    PlaceMapObject(*object, placement, GetFullWidth(), GetFullHeight());
    const int objectId = AddObject(std::move(object), true);
    if (record) record->objectIds.push_back(objectId);
  }
}

const MapRecord* XmmlDocument::FindMap(const std::string& id) const {
  auto found = maps_.find(id);
  return found == maps_.end() ? nullptr : &found->second;
}

void XmmlDocument::ForEachMap(const std::string& id, void (XmmlDocument::*action)(MapRecord&, const std::string&)) {
  if (id == "[all]") {
    for (const std::string& each : mapOrder_) (this->*action)(maps_[each], each);
    return;
  }
  auto found = maps_.find(id);
  if (found != maps_.end()) (this->*action)(found->second, id);
}

void XmmlDocument::LoadMap(const std::string& id) { ForEachMap(id, &XmmlDocument::LoadRecord); }
void XmmlDocument::UnloadMap(const std::string& id) { ForEachMap(id, &XmmlDocument::UnloadRecord); }

void XmmlDocument::LoadRecord(MapRecord& record, const std::string& id) {
  if (!record.objectIds.empty()) return;
  CreateObjectsOfMarkup(record.markup, &record, id);
}

void XmmlDocument::UnloadRecord(MapRecord& record, const std::string&) {
  for (int objectId : record.objectIds) {
    if (MapObject* object = FindObject(objectId)) RemoveObject(object);
  }
  record.objectIds.clear();
}

// ---- Parameters, activation, commands ---------------------------------------------------

std::string XmmlDocument::GetParam(const std::string& name) {
  if (EqualsNoCase(name, "tilewidth") || EqualsNoCase(name, "tileheight")) {
    MapDocument* inner = ReadyInner();
    return inner ? inner->GetParam(name) : std::string();
  }
  return MapDocument::GetParam(name);
}

void XmmlDocument::Activate() {
  if (!limit_.empty()) Host().SetBrowserProperty("limit", limit_);
}

void XmmlDocument::Deactivate() { Host().SetBrowserProperty("limit", ""); }

void XmmlDocument::OnViewChanged(int flags, int& x, int& y, int width, int height, int level, int mode, int px,
                                 int py) {
  if (MapDocument* inner = ReadyInner()) inner->OnViewChanged(flags, x, y, width, height, level, mode, px, py);
  if (mode != kViewQuery) KeepContentOffsets();
}

// The content offsets place the first viewport only: once the view has been placed they
// move to "offsetxbak" and "offsetybak".
void XmmlDocument::KeepContentOffsets() {
  for (const char* name : {"offsetx", "offsety"}) {
    std::string value = MapDocument::GetParam(name);
    if (value.empty()) continue;
    SetParam(std::string(name) + "bak", value);
    SetParam(name, "");
  }
}

bool XmmlDocument::HandleCommand(const std::string& name, const std::string& argument) {
  if (EqualsNoCase(name, "action")) {
    auto action = actions_.find(ToLower(argument));
    if (action == actions_.end()) return MapDocument::HandleCommand(name, argument);
    RunCommandString(action->second);
    return true;
  }
  if (EqualsNoCase(name, "showindex")) {
    if (pageIndex_) pageIndex_->visible = !pageIndex_->visible;
    if (pageIndexObject_ && pageIndex_) {
      pageIndexObject_->SetVisible(pageIndex_->visible);
      Host().ObjectView().InvalidateObject(*pageIndexObject_, true);
    }
    Host().MarkDirty();
    return true;
  }
  if (EqualsNoCase(name, "menu") || EqualsNoCase(name, "rmenu")) {
    ShowMenu(argument);
    return true;
  }
  if (EqualsNoCase(name, "loadmap") || EqualsNoCase(name, "unloadmap")) {
    if (EqualsNoCase(name, "loadmap"))
      LoadMap(argument);
    else
      UnloadMap(argument);
    Host().MarkDirty();
    return true;
  }
  return MapDocument::HandleCommand(name, argument);
}

bool XmmlDocument::BuildMenu(const std::string& id, std::vector<platform::MenuItem>& items,
                             std::vector<std::string>& links) const {
  auto menu = menus_.find(id);
  if (menu == menus_.end()) return false;
  XmlReader reader;
  if (!reader.Parse(menu->second) || !reader.FindNext("MENU")) return false;
  AddMenuEntries(reader, items, links, 0);
  return true;
}

void XmmlDocument::ShowMenu(const std::string& argument) {
  std::string id = argument, parameter;
  std::size_t open = argument.find('('), close = argument.rfind(')');
  if (open != std::string::npos) {
    id = argument.substr(0, open);
    if (close != std::string::npos && close > open) parameter = argument.substr(open + 1, close - open - 1);
  }
  std::vector<platform::MenuItem> items;
  std::vector<std::string> links;
  if (!BuildMenu(id, items, links)) return;
  // The menu runs a nested main loop in which posted tasks may replace (and destroy) this
  // document: from here on only locals and the view are used.
  DocumentHost& host = Host();
  const int chosen = host.GetPlatform().DialogBox().PopupMenu(items, platform::Point{0, 0});
  if (chosen <= 0 || chosen > static_cast<int>(links.size())) return;
  std::string link = links[static_cast<std::size_t>(chosen - 1)];
  ReplaceAll(link, "%s", parameter);
  host.OpenUrl(link, false, 0, 0, 0);
}

// The last thing a command does: a link may replace (and destroy) this document, so the
// command is a copy of its own, not a reference into the document's tables.
void XmmlDocument::RunCommandString(std::string command) { Host().OpenUrl(command, false, 0, 0, 0); }

}  // namespace zolvex
