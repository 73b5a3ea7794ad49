#include "view/DocumentFactory.h"

#include <algorithm>
#include <new>

#include "documents/CReaderException.h"
#include "documents/MapDocument.h"
#include "net/Url.h"
#include "platform/Debug.h"
#include "platform/Files.h"
#include "platform/TextValues.h"
#include "view/MapView.h"

namespace zolvex {

const char* const DocumentFactory::kComicsMarkup =
    "<xmml><param name=\"type\" value=\"comics\"/><comics><param name=\"pagewidth\" value=\"240\"/>"
    "<param name=\"pageheight\" value=\"320\"/><param name=\"direction\" value=\"vertical\"/></comics></xmml>";

namespace {

std::string LowerTail(const std::string& url) {
  return url.size() < 4 ? ToLower(url) : ToLower(url.substr(url.size() - 4));
}

std::string BaseOf(const std::string& url) {
  std::size_t lastSeparator = url.find_last_of("/\\");
  return lastSeparator == std::string::npos ? std::string() : url.substr(0, lastSeparator + 1);
}

template <typename Hook, typename... Args>
std::unique_ptr<MapDocument> Call(const Hook& hook, Args&&... args) {
  if (!hook) return nullptr;
  return hook(std::forward<Args>(args)...);
}

}  // namespace

DocumentFactory::DocumentFactory() : DocumentFactory(BuiltInDocumentConstructors()) {}

DocumentFactory::DocumentFactory(DocumentConstructors constructors) : constructors_(std::move(constructors)) {}

DocumentFactory::~DocumentFactory() = default;

bool DocumentFactory::IsContentUrl(const std::string& url) {
  if (url.size() < 4) return false;
  static const char* const kContentTails[] = {".ktq", ".him", ".cms", ".map", ".mon", "clip", "xmml"};
  std::string tail = LowerTail(url);
  return std::any_of(std::begin(kContentTails), std::end(kContentTails),
                     [&](const char* known) { return tail == known; }) ||
         url.back() == '\\';
}

std::string DocumentFactory::CreateDocument(MapView& view, const std::string& url,
                                            std::unique_ptr<MapDocument>& document, std::string* baseUrl,
                                            const std::string& hint) {
  if (document) {
    document->Close();
    document.reset();
  }
  bool serverScheme = url.size() > 6 && StartsWithNoCase(url, "ktq://");
  std::string resolved = ResolveContentUrl(url, view.GetBaseUrl());
  if (baseUrl) *baseUrl = BaseOf(resolved);
  std::string target = resolved.substr(0, resolved.find(','));
  std::string given = url.substr(0, url.find(','));
  bool endsInBackslash = !given.empty() && given.back() == '\\';

  try {
    // The hint "-news" keeps news and layout-news markup from being wrapped in its page mode.
    const bool newsModes = hint.find("-news") == std::string::npos;
    document = Construct(view, target, LowerTail(given), serverScheme, endsInBackslash, newsModes);
  } catch (const CReaderException& error) {
    document.reset();
    view.ReportError(error);
  } catch (const std::bad_alloc&) {
    document.reset();
  }
  if (!document) return resolved;
  ArrangeObjectsOnPages(*document);
  if (!document->IsValid()) {
    document->Close();
    document.reset();
  }
  return resolved;
}

std::unique_ptr<MapDocument> DocumentFactory::Construct(MapView& view, const std::string& url,
                                                        const std::string& tail, bool serverScheme,
                                                        bool endsInBackslash, bool newsModes) {
  const DocumentConstructors& make = constructors_;
  if (tail == ".map" || tail == ".him") return Call(make.legacyMap, view, url);
  if (tail == ".ktq") return Call(make.tiledImage, view, url);
  if (tail == ".mon" && serverScheme) return Call(make.tiledImage, view, url);
  if (tail == "clip" && !serverScheme) return Call(make.clip, view, url);
  if (tail == ".mon") return Call(make.mosaic, view, url);
  if (!serverScheme && endsInBackslash) return Call(make.folder, view, url);
  if (tail == ".cms" && !serverScheme) {
    std::unique_ptr<MapDocument> tiled = Call(make.tiledImage, view, url);
    if (!tiled) return nullptr;
    return WrapInMode(make.comics, "comics", view, std::move(tiled), kComicsMarkup, url);
  }
  std::unique_ptr<MapDocument> xmml = Call(make.xmml, view, url);
  if (!xmml) return nullptr;
  return ConstructByType(view, std::move(xmml), url, newsModes);
}

std::unique_ptr<MapDocument> DocumentFactory::ConstructByType(MapView& view, std::unique_ptr<MapDocument> xmml,
                                                              const std::string& url, bool newsModes) {
  const DocumentConstructors& make = constructors_;
  std::string type = ToLower(xmml->GetParam("type"));
  if (type == "comics") return WrapInMode(make.comics, type, view, std::move(xmml), std::string(), url);
  if (type == "photo") return WrapInMode(make.photo, type, view, std::move(xmml), std::string(), url);
  if (newsModes && type == "news") return WrapInMode(make.news, type, view, std::move(xmml), std::string(), url);
  if (newsModes && type == "layoutnews")
    return WrapInMode(make.layoutNews, type, view, std::move(xmml), std::string(), url);
  auto handler = handlers_.find(type);
  if (handler != handlers_.end() && handler->second.create) {
    if (std::unique_ptr<MapDocument> extension = handler->second.create(view, *xmml))
      xmml->SetExtension(std::move(extension));
  }
  return xmml;
}

// A page mode whose document is not built yet shows its content as it stands; one that is
// built but cannot make the document fails like any content that cannot be read.
std::unique_ptr<MapDocument> DocumentFactory::WrapInMode(const DocumentConstructors::Wrapper& hook,
                                                         const std::string& mode, MapView& view,
                                                         std::unique_ptr<MapDocument> inner,
                                                         const std::string& markup, const std::string& url) {
  if (!hook) {
    platform::DebugOutput("No " + mode + " document yet: " + url + " opens as it stands\n");
    return inner;
  }
  std::unique_ptr<MapDocument> made = hook(view, std::move(inner), markup);
  if (!made) throw CReaderException("Cannot open " + url + ": its " + mode + " view could not be made");
  return made;
}

std::unique_ptr<MapDocument> DocumentFactory::CreateSubDocument(MapView& view, const SubDocumentRequest& request) {
  const DocumentConstructors& make = constructors_;
  switch (request.kind) {
    case SubDocumentKind::Image:
      return Call(make.tiledImage, view, request.url);
    case SubDocumentKind::Folder:
      return Call(make.folder, view, request.url);
    case SubDocumentKind::Mosaic:
      if (!request.layout) return nullptr;
      return Call(make.arranged, view, *request.layout, request.url);
    case SubDocumentKind::Content: {
      std::unique_ptr<MapDocument> document;
      CreateDocument(view, request.url, document, nullptr, request.hint);
      return document;
    }
  }
  return nullptr;
}

void DocumentFactory::RegisterDocumentType(const DocumentTypeHandler& handler) {
  if (handler.typeName.empty()) return;
  handlers_[ToLower(handler.typeName)] = handler;
}

}  // namespace zolvex

namespace zolvex {

void ArrangeObjectsOnPages(MapDocument& document) {
  int pageWidth = ParseInt(document.GetParam("pagewidth"));
  int pageHeight = ParseInt(document.GetParam("pageheight"));
  if (pageWidth == 0 || pageHeight == 0 || !document.IsValid()) return;
  int columns = 2 * document.GetFullWidth() / pageWidth;
  if (columns <= 0) return;
  bool reversed = IsYes(document.GetParam("reversepage"));
  std::vector<MapObject*> objects = document.GetObjectList();
  for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
    MapObject& object = **it;
    int index = object.GetBasePage();
    if (index < 0) continue;
    int row = index / columns;
    int column = reversed ? columns - index % columns - 1 : index % columns;
    object.SetRect(object.GetX() + column * pageWidth / 2, object.GetY() + row * pageHeight, object.GetWidth(),
                   object.GetHeight());
  }
}

}  // namespace zolvex
