#pragma once
#include <memory>
#include <string>
#include <vector>

#include "documents/ImageHostDocument.h"
#include "documents/LegacyMapText.h"
#include "documents/MarkupObjectMaker.h"

namespace zolvex {

class ViewImage;

// The document of a ".map" or ".him" map text: link areas, pictures and texts over one KTQ
// image. The objects of the lines live in a list of their own, in line order, beside the
// object list of the document (they get no IDs).
class LegacyMapDocument : public ImageHostDocument {
 public:
  // Raises CReaderException when the text cannot be read (or is empty) or the image cannot
  // be opened.
  LegacyMapDocument(DocumentHost& host, const std::string& url);
  ~LegacyMapDocument() override;

  int GetPrintHeight() override;
  int GetPrintWidth() override;

  const std::string& Url() const { return url_; }
  const std::string& BasePath() const { return basePath_; }
  const LegacyMapText& Map() const { return map_; }
  // The image the map lies over.
  const std::string& ImageSource() const { return imageSource_; }
  // The objects made of the lines, in line order.
  std::vector<MapObject*> LineObjects() const;
  // The lines no object could be made for (tag name: the keyword in lower case).
  const std::vector<UnmadeElement>& UnmadeElements() const { return unmade_; }

 protected:
  void AddExtraItems(std::vector<MapObject*>& items, int x, int y, int width, int height) override;

 private:
  void OpenImage(std::unique_ptr<MapDocument> serverImage);
  void MakeObjects();
  std::unique_ptr<MapObject> MakeObject(const LegacyMapItem& item);
  std::shared_ptr<ViewImage> LoadPicture(const std::string& name);
  void Record(const LegacyMapItem& item);

  std::string url_;
  std::string basePath_;
  LegacyMapText map_;
  std::string imageSource_;
  std::vector<std::unique_ptr<MapObject>> lineObjects_;
  std::vector<UnmadeElement> unmade_;
};

}  // namespace zolvex
