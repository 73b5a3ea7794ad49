#include "documents/ObjectFactory.h"

#include <chrono>
#include <thread>
#include <utility>

#include "documents/DocumentHost.h"
#include "documents/MarkupObjectMaker.h"
#include "documents/XmlReader.h"
#include "documents/XmmlDocument.h"
#include "net/FetchUrl.h"
#include "objects/ElementSteps.h"
#include "objects/MapObject.h"
#include "objects/MarkupTextMaker.h"
#include "objects/MediaObject.h"
#include "objects/PageIndex.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

// The page-index panel of an XMML INDEX element, hidden, with its pages queued.
std::unique_ptr<MapObject> MakePageIndex(DocumentHost& host, XmlReader& reader, const std::string& basePath) {
  const PageIndexData data = ReadPageIndexElement(host, reader, basePath);
  auto index = std::make_unique<PageIndex>(data.thumbWidth, data.thumbHeight, data.width, data.height, data.position);
  for (const PageIndexItem& item : data.items)
    index->AddPage(item.page, item.href, item.source, item.tooltip, item.tooltipSize);
  return index;
}

// How long the window thread waits for a picture a tile server sends as a named file.
constexpr auto kNamedFileWait = std::chrono::seconds(3);
constexpr auto kNamedFilePoll = std::chrono::milliseconds(10);

// A named file of the document's tile source: asked for once, then looked for as the source's
// worker stores it. None when it does not come in time.
std::optional<std::vector<std::uint8_t>> WaitForNamedFile(MapDocument& document, const std::string& url) {
  std::vector<std::uint8_t> bytes;
  if (document.GetFile(url, bytes)) return bytes;
  const auto deadline = std::chrono::steady_clock::now() + kNamedFileWait;
  while (std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kNamedFilePoll);
    if (document.FindFile(url, bytes)) return bytes;
  }
  return std::nullopt;
}

}  // namespace

ObjectFactory::ObjectFactory(ShapeMaker::Fetcher fetcher)
    : fetcher_(std::move(fetcher)),
      shapes_([this](const std::string& url) { return FetchPicture(url); }) {
  RegisterBuiltInMakers();
}

ObjectFactory::LoadingDocument::LoadingDocument(ObjectFactory& factory, MapDocument& document)
    : factory_(factory) {
  std::lock_guard hold(factory_.shapesLock_);
  previous_ = std::exchange(factory_.loading_, &document);
}

ObjectFactory::LoadingDocument::~LoadingDocument() {
  std::lock_guard hold(factory_.shapesLock_);
  factory_.loading_ = previous_;
}

void ObjectFactory::SetContentDocument(std::function<MapDocument*()> content) {
  std::lock_guard hold(shapesLock_);
  content_ = std::move(content);
}

// Called with the shapes' lock held.
MapDocument* ObjectFactory::DocumentWithFiles() {
  MapDocument* document = loading_ ? loading_ : content_ ? content_() : nullptr;
  int tileWidth = 0, tileHeight = 0;
  if (!document || document->GetLevelCount() < 1 || !document->GetTileSize(0, tileWidth, tileHeight)) return nullptr;
  return document;
}

// Called with the shapes' lock held.
std::optional<std::vector<std::uint8_t>> ObjectFactory::FetchPicture(const std::string& url) {
  if (StartsWithNoCase(url, "ktq://")) {
    if (MapDocument* document = DocumentWithFiles()) {
      std::vector<std::uint8_t> bytes;
      if (url == lastMissingFile_) return document->FindFile(url, bytes) ? std::optional(bytes) : std::nullopt;
      auto fetched = WaitForNamedFile(*document, url);
      lastMissingFile_ = fetched ? std::string() : url;
      return fetched;
    }
  }
  if (fetcher_) return fetcher_(url);
  return FetchUrl(url).bytes;
}

ObjectFactory::~ObjectFactory() = default;

// The built-in makers finish their objects themselves, each in the order its type needs.
void ObjectFactory::RegisterBuiltInMakers() {
  for (const char* name : {"rect", "rectangle", "img", "sound", "box", "ellipse", "line", "polyvector"}) {
    makers_[name] = [this](DocumentHost& host, XmlReader& reader, const std::string& tagName,
                           const std::string& basePath) { return MakeShape(host, reader, tagName, basePath); };
  }
  // A note's icon comes through the shapes' picture cache too.
  auto loadPicture = [this](const std::string& source, const std::string& basePath) {
    std::lock_guard hold(shapesLock_);
    return shapes_.LoadPicture(source, basePath, true);
  };
  for (const char* name : {"text", "note"}) {
    makers_[name] = [loadPicture](DocumentHost& host, XmlReader& reader, const std::string& tagName,
                                  const std::string& basePath) {
      return MarkupTextMaker::Make(tagName, MarkupObjectMaker::Describe(reader, "").attributes, basePath,
                                   host.ObjectView(), loadPicture);
    };
  }
  makers_["index"] = [](DocumentHost& host, XmlReader& reader, const std::string&, const std::string& basePath) {
    return MakePageIndex(host, reader, basePath);
  };
  for (const char* name : {"movie", "video", "flash", "gviewer"}) {
    makers_[name] = [](DocumentHost& host, XmlReader& reader, const std::string& tagName, const std::string& basePath) {
      return MediaObject::Make(tagName, MarkupObjectMaker::Describe(reader, "").attributes, basePath,
                               host.ObjectView());
    };
  }
}

std::unique_ptr<MapObject> ObjectFactory::MakeShape(DocumentHost& host, XmlReader& reader, const std::string& tagName,
                                                    const std::string& basePath) {
  ShapeElement element = MarkupObjectMaker::DescribeShape(reader);
  element.tagName = tagName;
  std::lock_guard hold(shapesLock_);
  return shapes_.Make(element, basePath, &host.ObjectView());
}

void ObjectFactory::RegisterMaker(const std::string& elementName, ElementMaker maker) {
  ElementMaker finishing = [maker = std::move(maker)](DocumentHost& host, XmlReader& reader, const std::string& tagName,
                                                      const std::string& basePath) {
    std::unique_ptr<MapObject> object = maker(host, reader, tagName, basePath);
    if (object) FinishMadeObject(*object, MarkupObjectMaker::Describe(reader, "").attributes, &host.ObjectView());
    return object;
  };
  std::lock_guard hold(lock_);
  makers_[ToLower(elementName)] = std::move(finishing);
}

bool ObjectFactory::HasMaker(const std::string& elementName) const { return static_cast<bool>(FindMaker(elementName)); }

void ObjectFactory::SetPictureFetcher(ShapeMaker::Fetcher fetcher) {
  std::lock_guard hold(shapesLock_);
  fetcher_ = std::move(fetcher);
  // The kept picture came from the old fetcher.
  shapes_.SetFetcher([this](const std::string& url) { return FetchPicture(url); });
}

void ObjectFactory::RegisterPlugin(PluginMaker maker) {
  std::lock_guard hold(lock_);
  plugins_.push_back(std::move(maker));
}

ObjectFactory::ElementMaker ObjectFactory::FindMaker(const std::string& elementName) const {
  std::lock_guard hold(lock_);
  auto found = makers_.find(ToLower(Trim(elementName)));
  return found == makers_.end() ? ElementMaker() : found->second;
}

std::unique_ptr<MapObject> ObjectFactory::CreateObject(DocumentHost& host, const std::string& elementName,
                                                       XmlReader& reader, const std::string& baseUrl) {
  const ElementMaker maker = FindMaker(elementName);
  if (!maker) return nullptr;
  return maker(host, reader, ToLower(Trim(elementName)), baseUrl);
}

std::unique_ptr<MapObject> ObjectFactory::CreateObjectFromText(DocumentHost& host, const std::string& type,
                                                               const std::string& attributes,
                                                               const std::string& baseUrl) {
  XmlReader reader;
  const bool parsed = reader.Parse("<XMML><parameter " + Trim(attributes) + "/></XMML>") &&
                      reader.FindNext("XMML") && reader.FindChild("parameter");
  if (parsed) {
    if (auto object = CreateObject(host, type, reader, baseUrl)) return object;
  }
  std::vector<PluginMaker> plugins;
  {
    std::lock_guard hold(lock_);
    plugins = plugins_;
  }
  for (const PluginMaker& plugin : plugins) {
    std::unique_ptr<MapObject> object = plugin(Trim(type), attributes, baseUrl);
    if (!object) continue;
    if (!object->GetView()) object->SetView(&host.ObjectView());
    return object;
  }
  return nullptr;
}

std::vector<std::unique_ptr<MapObject>> ObjectFactory::CreateObjectsOfXmml(DocumentHost& host, const std::string& xml,
                                                                          const std::string& baseUrl) {
  std::vector<std::unique_ptr<MapObject>> made;
  XmlReader reader;
  if (!reader.Parse(xml) || !reader.FindNext() || !EqualsNoCase(reader.GetTagName(), "XMML")) return made;
  while (reader.FindChild()) {
    if (auto object = CreateObject(host, reader.GetChildTagName(), reader, baseUrl)) made.push_back(std::move(object));
  }
  return made;
}

}  // namespace zolvex
