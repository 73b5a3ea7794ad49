#pragma once
#include <memory>
#include <string>
#include <vector>

namespace zolvex {

class MapObject;
class MapView;

// The objects a page hands the view as markup: one of a type and its attribute text, or
// the elements of an XMML fragment. They are made by the makers the view knows (the object
// maker of its commands and the markup maker of its documents, then the plug-ins); the
// caller places them and adds them to the document.
class PageObjects {
 public:
  explicit PageObjects(MapView& view) : view_(view) {}

  // The object, or null when no maker makes the type.
  std::unique_ptr<MapObject> MakeOfText(const std::string& type, const std::string& attributes);
  // One object per child element of the document element "XMML", in order; elements no
  // maker makes are skipped. Nothing for text that does not parse or another document element.
  std::vector<std::unique_ptr<MapObject>> MakeOfXmml(const std::string& xml);

 private:
  MapView& view_;
};

}  // namespace zolvex
