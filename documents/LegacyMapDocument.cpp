#include "documents/LegacyMapDocument.h"

#include "documents/DocumentText.h"
#include "net/Pictures.h"
#include "objects/CComponentLink.h"
#include "objects/CComponentRect.h"
#include "objects/CComponentText.h"
#include "objects/EllipseObject.h"
#include "platform/TextValues.h"
#include "documents/DocumentHost.h"

namespace zolvex {

namespace {

constexpr int kUnreadablePictureSize = 10;
// The location list: a small label in the window's top-left corner.
constexpr int kLocationMargin = 4;
constexpr int kLocationFontSize = 12;
constexpr platform::Color kLocationBackground = platform::MakeColor(0xFF, 0xFF, 0xFF);
constexpr platform::Color kBlack = platform::MakeColor(0, 0, 0);

std::unique_ptr<MapObject> MakeText(const LegacyMapItem& item) {
  const platform::Color color = ParseColor(item.color).value_or(kBlack);
  auto text = std::make_unique<CComponentText>(item.x, item.y, item.text, item.font, item.fontSize, color, item.target);
  if (const auto shadow = ParseColor(item.shadow)) text->SetShadowColor(*shadow);
  return text;
}

// The locations, one per line, fixed to the window.
std::unique_ptr<MapObject> MakeLocationList(const LegacyMapItem& item) {
  std::string lines;
  for (const std::string& location : item.locations) lines += (lines.empty() ? "" : "\n") + location;
  auto list = std::make_unique<CComponentText>(kLocationMargin, kLocationMargin, lines, std::string(),
                                               kLocationFontSize, kBlack, std::string());
  list->SetTextAlign("lefttop");
  list->SetBackground(kLocationBackground);
  return list;
}

}  // namespace

LegacyMapDocument::LegacyMapDocument(DocumentHost& host, const std::string& url)
    : ImageHostDocument(host), url_(SlashedUrl(url)), basePath_(BasePathOf(url_)) {
  DocumentBytes read = ReadDocumentBytes(host, url_, true);
  if (!read.fetched || read.bytes.empty()) ThrowNotFound(host, url_, 0);
  map_ = LegacyMapText::Parse(std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()));
  OpenImage(std::move(read.serverImage));
  MakeObjects();
}

LegacyMapDocument::~LegacyMapDocument() = default;

void LegacyMapDocument::OpenImage(std::unique_ptr<MapDocument> serverImage) {
  if (serverImage) {
    imageSource_ = url_;
    SetInner(std::move(serverImage));
    return;
  }
  imageSource_ = map_.basemap.empty() ? url_.substr(0, url_.size() - std::min<std::size_t>(4, url_.size())) + ".ktq"
                                      : JoinToBase(map_.basemap, basePath_);
  SetInner(Host().OpenSubDocument({SubDocumentKind::Image, imageSource_}));
}

std::shared_ptr<ViewImage> LegacyMapDocument::LoadPicture(const std::string& name) {
  if (name.empty()) return nullptr;
  if (IsServerUrl(basePath_)) {
    std::vector<std::uint8_t> bytes;
    if (!GetFile(JoinToBase(name, basePath_), bytes)) return nullptr;
    return DecodePicture(bytes.data(), bytes.size(), FormatFromExtension(name));
  }
  return LoadPictureFromUrl(JoinToBase(name, basePath_));
}

void LegacyMapDocument::Record(const LegacyMapItem& item) {
  UnmadeElement element;
  element.tagName = ToLower(item.keyword);
  auto add = [&](const char* name, const std::string& value) {
    if (!value.empty()) element.attributes.emplace_back(name, value);
  };
  add("href", item.target);
  add("x", std::to_string(item.x));
  add("y", std::to_string(item.y));
  add("width", std::to_string(item.width));
  add("height", std::to_string(item.height));
  add("font", item.font);
  add("color", item.color);
  add("text", item.text);
  add("shadow", item.shadow);
  for (const std::string& location : item.locations) add("location", location);
  unmade_.push_back(std::move(element));
}

// Link areas, ellipses, pictures, texts and the location list are made here.
std::unique_ptr<MapObject> LegacyMapDocument::MakeObject(const LegacyMapItem& item) {
  if (item.keyword == "RECT" || item.keyword == "SOUND") {
    auto area = std::make_unique<CComponentRect>(item.x, item.y, item.width, item.height, item.target, nullptr, nullptr);
    area->SetOutline(item.outline);
    return area;
  }
  if (item.keyword == "CIRCLE") {
    auto area = std::make_unique<EllipseObject>(item.x, item.y, item.x + item.width, item.y + item.height);
    area->SetLink(item.target);
    area->SetOutline(item.outline);
    return area;
  }
  if (item.keyword == "BITMAP") {
    std::shared_ptr<ViewImage> normal = LoadPicture(item.image);
    std::shared_ptr<ViewImage> over = item.overImage.empty() ? normal : LoadPicture(item.overImage);
    const int width = normal ? normal->getWidth() : kUnreadablePictureSize;
    const int height = normal ? normal->getHeight() : kUnreadablePictureSize;
    auto picture = std::make_unique<CComponentLink>(item.x - width / 2, item.y - height / 2, width, height, item.target,
                                                    normal, over);
    picture->SetKeyTransparent(item.transparent);
    return picture;
  }
  if (item.keyword == "TEXT") return MakeText(item);
  if (item.keyword == "LOCATION") return MakeLocationList(item);
  if (item.keyword == "LOGO") {
    std::shared_ptr<ViewImage> logo = LoadPicture(item.image);
    const int width = logo ? logo->getWidth() : kUnreadablePictureSize;
    const int height = logo ? logo->getHeight() : kUnreadablePictureSize;
    return std::make_unique<CComponentImage>(0, 0, width, height, logo);
  }
  return nullptr;
}

void LegacyMapDocument::MakeObjects() {
  const int referenceWidth = map_.width > 0 ? map_.width : GetFullWidth();
  const int referenceHeight = map_.height > 0 ? map_.height : GetFullHeight();
  for (const LegacyMapItem& item : map_.items) {
    std::unique_ptr<MapObject> object = MakeObject(item);
    if (!object) {
      Record(item);
      continue;
    }
    object->SetLayer(item.layer);
    object->SetLevelRange(item.minLevel, item.maxLevel);
    object->SetScreenCoordinates(item.screen);
    if (!item.screen) object->SetVirtualSize(referenceWidth, referenceHeight);
    object->SetView(&Host().ObjectView());
    lineObjects_.push_back(std::move(object));
  }
}

std::vector<MapObject*> LegacyMapDocument::LineObjects() const {
  std::vector<MapObject*> objects;
  for (const auto& object : lineObjects_) objects.push_back(object.get());
  return objects;
}

void LegacyMapDocument::AddExtraItems(std::vector<MapObject*>& items, int, int, int, int) {
  const int level = GetLevel();
  for (const auto& object : lineObjects_) {
    if (object->IsShownAtLevel(level)) items.push_back(object.get());
  }
}

int LegacyMapDocument::GetPrintHeight() { return map_.printHeight; }
int LegacyMapDocument::GetPrintWidth() { return map_.printWidth; }

}  // namespace zolvex
