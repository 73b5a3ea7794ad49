#pragma once
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "objects/CComponentText.h"
#include "objects/NoteObject.h"

namespace zolvex {

// Makes the word-carrying objects, texts and notes, out of the attributes of their XMML
// elements (names matched without regard to case): the type's own attributes, the common
// attributes that the type reads, and the steps every made object goes through (events,
// pending properties, layer, the view).
class MarkupTextMaker {
 public:
  using Attributes = std::vector<std::pair<std::string, std::string>>;
  // The picture of a source joined to a base path; null when it cannot be had. Without one
  // a note's icon is fetched from its URL.
  using PictureLoader = std::function<std::shared_ptr<ViewImage>(const std::string& source, const std::string& basePath)>;

  // The object of a "text" or "note" element (tag name in any case); null for other names.
  static std::unique_ptr<MapObject> Make(const std::string& tagName, const Attributes& attributes,
                                         const std::string& basePath, ViewPrimitives& view,
                                         const PictureLoader& loadPicture = {});
  static std::unique_ptr<CComponentText> MakeText(const Attributes& attributes, ViewPrimitives& view);
  // The icon (src) is fetched from its URL, joined to the base path when relative.
  static std::unique_ptr<NoteObject> MakeNote(const Attributes& attributes, const std::string& basePath,
                                              ViewPrimitives& view, const PictureLoader& loadPicture = {});

  // The text of a text attribute: underscores become spaces and the two characters
  // backslash and n separate lines.
  static std::string TextOfAttribute(const std::string& value);
};

}  // namespace zolvex
