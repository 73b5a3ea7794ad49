#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/qmImage.h"
#include "platform/Geometry.h"

namespace zolvex {

// The picture blended over saved areas, as the browser properties "waterMarkOption",
// "waterMarkImage", "waterMarkOpaque", "waterMarkTransparent", "waterMarkHSpacing" and
// "waterMarkVSpacing" describe it.
class Watermark {
 public:
  using PropertyReader = std::function<std::string(const std::string& name)>;
  static constexpr const char* kBuiltInPicture = "IDB_LOGO_POWERED";

  explicit Watermark(const PropertyReader& property);

  // Blends the picture over the 24-bit image; false when the option asks for none.
  bool Apply(qmImage& image) const;

  // Where the picture goes on a W x H image, each rectangle its scaled size: "center",
  // "tile", "stretch" or "zoom" (any case); none for anything else.
  static std::vector<platform::Rect> Placements(const std::string& option, int imageWidth, int imageHeight,
                                                int pictureWidth, int pictureHeight, int hSpacing, int vSpacing);
  // "waterMarkOpaque": empty is 255, other values are clamped to 0 ... 255.
  static int ParseOpacity(const std::string& text);

 private:
  std::unique_ptr<qmImage> LoadPicture() const;

  std::string option_;
  std::string picture_;
  int opacity_ = 255;
  bool transparent_ = false;
  int hSpacing_ = 0;
  int vSpacing_ = 0;
};

}  // namespace zolvex
