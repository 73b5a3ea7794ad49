#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "documents/DocumentHost.h"

namespace zolvex {

class MapDocument;
class MapView;
class MosaicLayout;
class SourceMakers;

// Creation hooks of the document classes the factory chooses between. A hook that is not
// set makes its URLs open no document (the view then falls back to the previous URL),
// except the page modes: without their hook the wrapped document opens as it stands.
struct DocumentConstructors {
  // (view, url) → a new document; may throw CReaderException.
  using FromUrl = std::function<std::unique_ptr<MapDocument>(MapView&, const std::string& url)>;
  // (view, inner document, built-in markup) → a page-mode document wrapping the inner one.
  using Wrapper =
      std::function<std::unique_ptr<MapDocument>(MapView&, std::unique_ptr<MapDocument> inner, const std::string&)>;
  // (view, layout, base URL of the layout's sources) → a mosaic; may throw CReaderException.
  using FromLayout =
      std::function<std::unique_ptr<MapDocument>(MapView&, const MosaicLayout& layout, const std::string& baseUrl)>;

  FromUrl legacyMap;   // ".map", ".him"
  FromUrl tiledImage;  // ".ktq", ".mon" on a tile server
  FromUrl clip;        // "clip"
  FromUrl mosaic;      // local ".mon"
  FromUrl folder;      // a folder path ending in "\"
  FromLayout arranged; // several images a markup document arranges
  FromUrl xmml;        // everything else
  Wrapper comics;      // ".cms" over a tiled image, or XMML type "comics"
  Wrapper photo;       // XMML type "photo"
  Wrapper news;        // XMML type "news"
  Wrapper layoutNews;  // XMML type "layoutnews"
};

// The hooks of the document classes built into the library; each class adds itself here.
// Images open their tiles through the real sources, or through makers (which must outlive
// the hooks).
DocumentConstructors BuiltInDocumentConstructors();
DocumentConstructors BuiltInDocumentConstructors(SourceMakers& makers);

// A document type added at run time (by a plug-in): it gets the XMML document whose
// "type" parameter names it and answers an extension object for it, or null.
struct DocumentTypeHandler {
  std::string typeName;
  std::function<std::unique_ptr<MapDocument>(MapView&, MapDocument& xmml)> create;
};

// Decides from a URL which document class opens it, resolves the URL against the view's
// base URL and creates the document.
class DocumentFactory {
 public:
  DocumentFactory();
  explicit DocumentFactory(DocumentConstructors constructors);
  virtual ~DocumentFactory();

  // True for the URLs that name content the view opens itself.
  virtual bool IsContentUrl(const std::string& url);
  // Resolves url, replaces document by the new document (null when none could be made:
  // unsupported, failed or not valid) and writes the base URL when baseUrl is given.
  // Answers the resolved URL. Reading failures are reported through the view.
  virtual std::string CreateDocument(MapView& view, const std::string& url, std::unique_ptr<MapDocument>& document,
                                     std::string* baseUrl, const std::string& hint);
  // A document that another document asks for (see DocumentHost::OpenSubDocument).
  virtual std::unique_ptr<MapDocument> CreateSubDocument(MapView& view, const SubDocumentRequest& request);
  // Adds a handler under its lower-cased type name; a handler without a name is ignored.
  virtual void RegisterDocumentType(const DocumentTypeHandler& handler);

  DocumentConstructors& Constructors() { return constructors_; }

  // The XMML markup the factory gives a comics view over one tiled image.
  static const char* const kComicsMarkup;

 private:
  std::unique_ptr<MapDocument> Construct(MapView& view, const std::string& url, const std::string& tail,
                                         bool serverScheme, bool endsInBackslash, bool newsModes);
  std::unique_ptr<MapDocument> ConstructByType(MapView& view, std::unique_ptr<MapDocument> xmml,
                                               const std::string& url, bool newsModes);
  static std::unique_ptr<MapDocument> WrapInMode(const DocumentConstructors::Wrapper& hook, const std::string& mode,
                                                 MapView& view, std::unique_ptr<MapDocument> inner,
                                                 const std::string& markup, const std::string& url);

  DocumentConstructors constructors_;
  std::map<std::string, DocumentTypeHandler> handlers_;
};

// Places objects with a page index on the page grid of the document's "pagewidth" and
// "pageheight" parameters.
void ArrangeObjectsOnPages(MapDocument& document);

}  // namespace zolvex
