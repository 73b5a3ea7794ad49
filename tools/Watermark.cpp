#include "tools/Watermark.h"

#include <algorithm>

#include "net/Pictures.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

std::vector<platform::Rect> TilePlacements(int imageWidth, int imageHeight, int w, int h, int hs, int vs) {
  std::vector<platform::Rect> placed;
  if (imageWidth < 1 || imageHeight < 1 || w < 1 || h < 1) return placed;
  // Each column (row) starts while its offset before the spacing lies on the image.
  for (int column = 0; column < imageWidth; column += w + 2 * hs) {
    for (int row = 0; row < imageHeight; row += h + 2 * vs) placed.push_back(platform::Rect::FromSize(column + hs, row + vs, w, h));
  }
  return placed;
}

platform::Rect ZoomPlacement(int imageWidth, int imageHeight, int w, int h) {
  if (w / h < imageWidth / imageHeight) {
    const int scaledWidth = w * imageHeight / h;
    return platform::Rect::FromSize((imageWidth - scaledWidth) / 2, 0, scaledWidth, imageHeight);
  }
  const int scaledHeight = h * imageWidth / w;
  return platform::Rect::FromSize(0, (imageHeight - scaledHeight) / 2, imageWidth, scaledHeight);
}

// Gives the picture an alpha plane of the opacity; with transparency the colour of its
// top-left pixel becomes fully transparent.
void SetPictureAlpha(qmImage& picture, int opacity, bool transparent) {
  picture.createAlpha();
  const qmRGBQuad key = picture.getPixelColor(0, 0);
  for (int y = 0; y < picture.getHeight(); ++y) {
    for (int x = 0; x < picture.getWidth(); ++x) {
      const bool clear = transparent && picture.getPixelColor(x, y) == key;
      picture.setAlpha(x, y, static_cast<std::uint8_t>(clear ? 0 : opacity));
    }
  }
}

std::uint8_t Mix(int over, int under, int alpha) { return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255); }

// Blends picture (already of the placement's size) over image at (left, top), cut at the
// image's edges.
void Blend(const qmImage& picture, qmImage& image, int left, int top) {
  const int x0 = std::max(0, -left), y0 = std::max(0, -top);
  const int x1 = std::min(picture.getWidth(), image.getWidth() - left);
  const int y1 = std::min(picture.getHeight(), image.getHeight() - top);
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* line = image.getRow(top + y);
    for (int x = x0; x < x1; ++x) {
      const int alpha = picture.getAlpha(x, y);
      if (alpha == 0) continue;
      const qmRGBQuad p = picture.getPixelColor(x, y);
      std::uint8_t* q = line + static_cast<size_t>(left + x) * 3;
      q[0] = Mix(p.blue, q[0], alpha);
      q[1] = Mix(p.green, q[1], alpha);
      q[2] = Mix(p.red, q[2], alpha);
    }
  }
}

}  // namespace

Watermark::Watermark(const PropertyReader& property)
    : option_(ToLower(property("waterMarkOption"))),
      picture_(property("waterMarkImage")),
      opacity_(ParseOpacity(property("waterMarkOpaque"))),
      transparent_(IsYes(property("waterMarkTransparent"))),
      hSpacing_(std::max(0, ParseInt(property("waterMarkHSpacing")))),
      vSpacing_(std::max(0, ParseInt(property("waterMarkVSpacing")))) {}

int Watermark::ParseOpacity(const std::string& text) {
  if (Trim(text).empty()) return 255;
  return std::clamp(ParseInt(text), 0, 255);
}

std::vector<platform::Rect> Watermark::Placements(const std::string& option, int imageWidth, int imageHeight,
                                                  int pictureWidth, int pictureHeight, int hSpacing, int vSpacing) {
  const std::string kind = ToLower(option);
  if (pictureWidth < 1 || pictureHeight < 1) return {};
  if (kind == "center") {
    return {platform::Rect::FromSize((imageWidth - pictureWidth) / 2, (imageHeight - pictureHeight) / 2, pictureWidth,
                                     pictureHeight)};
  }
  if (kind == "tile") return TilePlacements(imageWidth, imageHeight, pictureWidth, pictureHeight, hSpacing, vSpacing);
  if (kind == "stretch") return {platform::Rect::FromSize(0, 0, imageWidth, imageHeight)};
  if (kind == "zoom" && imageHeight > 0) return {ZoomPlacement(imageWidth, imageHeight, pictureWidth, pictureHeight)};
  return {};
}

std::unique_ptr<qmImage> Watermark::LoadPicture() const {
  std::unique_ptr<ViewImage> picture;
  if (!picture_.empty()) {
    picture = picture_.find("://") != std::string::npos ? LoadPictureFromUrl(picture_) : LoadPictureFromFile(picture_);
  }
  if (!picture || !picture->isValid()) picture = LoadBitmapResource(kBuiltInPicture);
  if (!picture || !picture->isValid() || !picture->increaseBpp(24)) return nullptr;
  return std::make_unique<qmImage>(std::move(*picture));
}

bool Watermark::Apply(qmImage& image) const {
  if (option_ != "tile" && option_ != "stretch" && option_ != "center" && option_ != "zoom") return false;
  if (!image.isValid() || image.getBitsPerPixel() != 24) return false;
  auto picture = LoadPicture();
  if (!picture) return false;
  SetPictureAlpha(*picture, opacity_, transparent_);
  qmImage scaled;
  for (const platform::Rect& place : Placements(option_, image.getWidth(), image.getHeight(), picture->getWidth(),
                                                picture->getHeight(), hSpacing_, vSpacing_)) {
    if (place.Width() < 1 || place.Height() < 1) continue;
    const bool natural = place.Width() == picture->getWidth() && place.Height() == picture->getHeight();
    if (!natural && (scaled.getWidth() != place.Width() || scaled.getHeight() != place.Height()) &&
        !picture->resize(place.Width(), place.Height(), 2, &scaled)) {
      continue;
    }
    Blend(natural ? *picture : scaled, image, place.left, place.top);
  }
  return true;
}

}  // namespace zolvex
