#include "documents/ClipDocument.h"
#include "documents/FolderDocument.h"
#include "documents/LegacyMapDocument.h"
#include "documents/XmmlDocument.h"
#include "tiles/DefaultSourceMakers.h"
#include "tiles/MosaicDocument.h"
#include "tiles/TiledImageDocument.h"
#include "view/DocumentFactory.h"

namespace zolvex {

// Each document class enters its creation hook here as it joins the library; until then
// its URLs open no document and the view stays with the content it has.
DocumentConstructors BuiltInDocumentConstructors() {
  DocumentConstructors constructors;
  constructors.tiledImage = [](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<TiledImageDocument>(view, url, DefaultSourceMakers::Shared());
  };
  constructors.mosaic = [](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<MosaicDocument>(view, url, DefaultSourceMakers::Shared());
  };
  constructors.xmml = [](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<XmmlDocument>(view, url, DefaultSourceMakers::Shared());
  };
  constructors.legacyMap = [](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<LegacyMapDocument>(view, url, DefaultSourceMakers::Shared());
  };
  constructors.clip = [](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<ClipDocument>(view, url);
  };
  constructors.folder = [](MapView& view, const std::string& url) -> std::unique_ptr<MapDocument> {
    return std::make_unique<FolderDocument>(view, url, DefaultSourceMakers::Shared());
  };
  return constructors;
}

}  // namespace zolvex
