#include "documents/ClipDocument.h"
#include "tiles/FolderDocument.h"
#include "documents/LegacyMapDocument.h"
#include "documents/XmmlDocument.h"
#include "documents/modes/ComicsDocument.h"
#include "documents/modes/LayoutNewsDocument.h"
#include "documents/modes/NewsDocument.h"
#include "tiles/DefaultSourceMakers.h"
#include "tiles/MosaicDocument.h"
#include "tiles/TiledImageDocument.h"
#include "view/DocumentFactory.h"
#include "view/MapView.h"

namespace zolvex {

// Each document class enters its creation hook here as it joins the library; until then
// its URLs open no document and the view stays with the content it has (a page mode's
// markup opens as a plain markup document).
DocumentConstructors BuiltInDocumentConstructors() { return BuiltInDocumentConstructors(DefaultSourceMakers::Shared()); }

DocumentConstructors BuiltInDocumentConstructors(SourceMakers& makers) {
  DocumentConstructors constructors;
  constructors.tiledImage = [&makers](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<TiledImageDocument>(view, url, makers);
  };
  constructors.mosaic = [&makers](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<MosaicDocument>(view, url, makers);
  };
  constructors.arranged = [&makers](MapView& view, const MosaicLayout& layout,
                                    const std::string& baseUrl) -> std::unique_ptr<MapDocument> {
    return std::make_unique<MosaicDocument>(view, layout, baseUrl, makers);
  };
  constructors.xmml = [](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<XmmlDocument>(view, url);
  };
  constructors.legacyMap = [](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<LegacyMapDocument>(view, url);
  };
  constructors.clip = [](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<ClipDocument>(view, url);
  };
  constructors.folder = [&makers](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<FolderDocument>(view, url, makers);
  };
  constructors.comics = [](MapView& view, std::unique_ptr<MapDocument> inner,
                          const std::string& markup) -> std::unique_ptr<MapDocument> {
    // A markup document knows its URL; a comic file's picture is the content being opened.
    const auto* xmml = dynamic_cast<const XmmlDocument*>(inner.get());
    const std::string url = xmml ? xmml->Url() : view.GetCurrentUrl();
    return std::make_unique<ComicsDocument>(view, std::move(inner), markup, url);
  };
  constructors.news = [](MapView& view, std::unique_ptr<MapDocument> inner,
                         const std::string&) -> std::unique_ptr<MapDocument> {
    return std::make_unique<NewsDocument>(view, std::move(inner));
  };
  constructors.layoutNews = [](MapView& view, std::unique_ptr<MapDocument> inner,
                               const std::string&) -> std::unique_ptr<MapDocument> {
    return std::make_unique<LayoutNewsDocument>(view, std::move(inner));
  };
  return constructors;
}

}  // namespace zolvex
