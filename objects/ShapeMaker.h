#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Geometry.h"

namespace zolvex {

class MapObject;
class ViewImage;
class ViewPrimitives;

// An object element as the shapes read it: its name, its attributes in document order and
// the points of its POINT children.
struct ShapeElement {
  std::string tagName;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<platform::Point> points;

  // The value of an attribute (name in any case); "" when it is missing.
  std::string Get(std::string_view name) const;
  bool Has(std::string_view name) const;
};

// Makes the shapes of the elements rect, rectangle, img, sound, box, ellipse, line and
// polyvector from their attributes, with the common attributes every object element takes.
// It keeps the last picture source it fetched and its bytes, so that a picture used by
// many objects in a row is fetched once.
class ShapeMaker {
 public:
  // The bytes at a URL, or none when they cannot be had.
  using Fetcher = std::function<std::optional<std::vector<std::uint8_t>>(const std::string& url)>;

  // Without a fetcher, pictures are fetched over HTTP or read from local files.
  explicit ShapeMaker(Fetcher fetcher = {});
  ~ShapeMaker();

  // Where pictures come from from now on; the kept picture is forgotten.
  void SetFetcher(Fetcher fetcher);

  // Whether the element name (any case) names a shape.
  static bool MakesElement(std::string_view tagName);
  // The object of the element, given the view (may be null); null for other elements.
  // Relative picture sources are joined to basePath.
  std::unique_ptr<MapObject> Make(const ShapeElement& element, const std::string& basePath, ViewPrimitives* view);
  // The picture of a source joined to basePath: the kept bytes when that URL is the last
  // one fetched, else fetched (and kept when keep is set). Null when it cannot be had.
  std::shared_ptr<ViewImage> LoadPicture(const std::string& source, const std::string& basePath, bool keep);

 private:
  std::unique_ptr<MapObject> MakeRect(const ShapeElement& element, const std::string& basePath);
  std::unique_ptr<MapObject> MakeSound(const ShapeElement& element, const std::string& basePath);

  Fetcher fetcher_;
  std::string lastSource_;
  std::vector<std::uint8_t> lastBytes_;
};

}  // namespace zolvex
