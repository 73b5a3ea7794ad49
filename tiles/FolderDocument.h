#pragma once
#include <string>
#include <vector>

#include "tiles/MosaicDocument.h"

namespace zolvex {

class DocumentHost;
class SourceMakers;

// The KTQ images of one local folder shown side by side: the ".ktq" files directly in the
// folder, in name order, fill a grid of equal cells row by row, as near to square as the
// count allows. A folder without images cannot be opened.
class FolderDocument : public MosaicDocument {
 public:
  // folder ends in "/" or "\" (a "file:" URL or a path); raises CReaderException when the
  // folder cannot be read or holds no image that opens.
  FolderDocument(DocumentHost& host, const std::string& folder, SourceMakers& makers);

  // The images of the folder, in the order they fill the grid.
  const std::vector<std::string>& Images() const { return images_; }

  // The ".ktq" files directly in folder, sorted by name; empty when it cannot be read.
  static std::vector<std::string> ListImages(const std::string& folder);
  // The grid arrangement of count images: ceil(sqrt(count)) columns, filled row by row.
  static MosaicLayout GridOf(const std::vector<std::string>& images);

 private:
  FolderDocument(DocumentHost& host, const std::string& folder, std::vector<std::string> images, SourceMakers& makers);

  std::vector<std::string> images_;
};

}  // namespace zolvex
