#pragma once
#include <string>
#include <vector>

#include "documents/ImageHostDocument.h"
#include "documents/MarkupObjectMaker.h"

namespace zolvex {

// A clipped view saved by the clip tools: the parameters of its markup (among them the
// "limit" of the clip), the image it was clipped from, and the clip frames and objects
// drawn on it.
class ClipDocument : public ImageHostDocument {
 public:
  // Raises CReaderException when the file cannot be read or is empty.
  ClipDocument(DocumentHost& host, const std::string& url);
  ~ClipDocument() override;

  // Applies "limit" and starts one level below the first level that fills the host.
  void Activate() override;
  void Deactivate() override;

  const std::string& Url() const { return url_; }
  const std::string& BasePath() const { return basePath_; }
  // The image the clip was made of, as written (or derived from the URL).
  const std::string& ImageSource() const { return imageSource_; }
  // The clip frames and object elements that no object could be made for.
  const std::vector<UnmadeElement>& UnmadeElements() const { return unmade_; }

  // The level to start at for a view of viewWidth x viewHeight (-1: stay).
  int StartLevel(int viewWidth, int viewHeight);

 private:
  void ReadMarkup(const std::string& text);
  void ReadObjects(XmlReader& reader);
  // The rectangle of a clipper element over the clipped region.
  std::unique_ptr<MapObject> MakeClipFrame(XmlReader& reader);

  std::string url_;
  std::string basePath_;
  std::string imageSource_;
  std::string limit_;
  std::vector<UnmadeElement> unmade_;
};

}  // namespace zolvex
