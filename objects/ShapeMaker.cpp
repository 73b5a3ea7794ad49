#include "objects/ShapeMaker.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "image/ViewImage.h"
#include "net/FetchUrl.h"
#include "net/Pictures.h"
#include "net/Url.h"
#include "objects/BoxObject.h"
#include "objects/CComponentRect.h"
#include "objects/EllipseObject.h"
#include "objects/LineObject.h"
#include "objects/ElementSteps.h"
#include "objects/ObjectValues.h"
#include "objects/PolyVectorObject.h"
#include "platform/Numbers.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr int kDefaultSize = 10;
constexpr platform::Color kDefaultColor = platform::MakeColor(0x32, 0x32, 0xFF);
constexpr platform::Color kDefaultMouseOverColor = platform::MakeColor(0xFF, 0x0A, 0x0A);

int Difference(int high, int low) { return ClampToInt(static_cast<long long>(high) - low); }

int IntOf(const ShapeElement& element, std::string_view name) { return ParseInt(element.Get(name)); }

// Coordinates are kept within +-2^30, so that a coordinate plus a size or a difference of two
// coordinates stays an int.
constexpr int kCoordinateLimit = 1 << 30;

int Coordinate(int value) { return std::clamp(value, -kCoordinateLimit, kCoordinateLimit); }

int CoordinateOf(const ShapeElement& element, std::string_view name) { return Coordinate(IntOf(element, name)); }

platform::Color ColorOr(const ShapeElement& element, std::string_view name, platform::Color fallback) {
  return ParseColor(element.Get(name)).value_or(fallback);
}

platform::Color FillOf(const ShapeElement& element, std::string_view name) {
  return ParseColor(element.Get(name)).value_or(platform::kNoColor);
}

// A pen thickness that keeps the default for values below 1.
int ThicknessOf(const ShapeElement& element, int fallback) {
  const int thickness = IntOf(element, "thickness");
  return thickness < 1 ? fallback : thickness;
}

void ReadCommon(MapObject& object, const ShapeElement& element, const CommonReads& reads) {
  ReadCommonAttributes(object, element.attributes, reads);
}

// Key-colour transparency: "yes" takes the colour of the picture's pixel (0, 0), a colour
// (in transparent, else in keycolor) takes that colour.
void ReadKeyTransparency(CComponentLink& link, const ShapeElement& element) {
  const std::string transparent = element.Get("transparent");
  if (IsYes(transparent)) {
    link.SetKeyTransparent(true);
    return;
  }
  auto key = ParseColor(transparent);
  if (!key) key = ParseColor(element.Get("keycolor"));
  if (!key) return;
  link.SetKeyTransparent(true);
  const qmRGBQuad quad = qmMakeColor(platform::RedOf(*key), platform::GreenOf(*key), platform::BlueOf(*key));
  for (ViewImage* picture : {link.GetNormalPicture(), link.GetMouseOverPicture()})
    if (picture) picture->info().transparentColor = quad;
}

void ReadFills(CComponentLink& link, const ShapeElement& element) {
  link.SetFillColor(FillOf(element, "fillcolor"));
  link.SetMouseOverFillColor(FillOf(element, "mouseoverfillcolor"));
}

std::unique_ptr<MapObject> MakeBox(const ShapeElement& element) {
  auto box = std::make_unique<BoxObject>(CoordinateOf(element, "x"), CoordinateOf(element, "y"), CoordinateOf(element, "bx"),
                                         CoordinateOf(element, "by"), IntOf(element, "angle"));
  ReadCommon(*box, element, {});
  box->SetLink(element.Get("href"));
  box->SetColors(ColorOr(element, "color", kDefaultColor), FillOf(element, "colorfill"));
  box->SetPenStyle(PenStyleFromName(element.Get("style")));
  if (const std::string thickness = element.Get("thickness"); !thickness.empty()) box->SetThickness(ParseInt(thickness));
  box->SetTransparency(IntOf(element, "transparency"));
  return box;
}

std::unique_ptr<MapObject> MakeEllipse(const ShapeElement& element) {
  auto ellipse = std::make_unique<EllipseObject>(CoordinateOf(element, "x"), CoordinateOf(element, "y"), CoordinateOf(element, "bx"),
                                                 CoordinateOf(element, "by"));
  ReadCommon(*ellipse, element, {});
  ellipse->SetLink(element.Get("href"));
  ellipse->SetOutline(!IsNo(element.Get("outline")));
  ellipse->SetColors(ColorOr(element, "color", kDefaultColor), ColorOr(element, "mouseovercolor", kDefaultColor));
  ReadFills(*ellipse, element);
  ellipse->SetPenStyle(PenStyleFromName(element.Get("style")));
  ellipse->SetThickness(ThicknessOf(element, 1));
  ellipse->SetTransparency(IntOf(element, "transparency"));
  ReadKeyTransparency(*ellipse, element);
  const bool hasRadials = element.Has("radicalx1") && element.Has("radicaly1") && element.Has("radicalx2") &&
                          element.Has("radicaly2");
  if (hasRadials)
    ellipse->SetPie({CoordinateOf(element, "radicalx1"), CoordinateOf(element, "radicaly1")},
                    {CoordinateOf(element, "radicalx2"), CoordinateOf(element, "radicaly2")}, IsYes(element.Get("drawpie")));
  return ellipse;
}

std::unique_ptr<MapObject> MakeLine(const ShapeElement& element) {
  auto line = std::make_unique<LineObject>(CoordinateOf(element, "x1"), CoordinateOf(element, "y1"), CoordinateOf(element, "x2"),
                                           CoordinateOf(element, "y2"));
  ReadCommon(*line, element, {});
  line->SetLink(element.Get("href"));
  line->SetColors(ColorOr(element, "color", kDefaultColor),
                  ColorOr(element, "mouseovercolor", kDefaultMouseOverColor));
  line->SetPenStyle(PenStyleFromName(element.Get("style")));
  // A negative thickness is a fixed width in screen pixels; 0 keeps the default.
  if (const int thickness = IntOf(element, "thickness"); thickness != 0) line->SetThickness(thickness);
  line->SetArrow(LineObject::ArrowFromName(element.Get("arrow")));
  if (const std::string length = element.Get("arrowlength"); !length.empty())
    line->SetArrowLength(LineObject::ParseReal(length));
  return line;
}

std::unique_ptr<MapObject> MakePolyVector(const ShapeElement& element) {
  auto polyline = std::make_unique<PolyVectorObject>();
  ReadCommon(*polyline, element, {false, false, false});
  polyline->SetColor(ColorOr(element, "color", kDefaultColor));
  polyline->SetPenStyle(PenStyleFromName(element.Get("style")));
  std::string thickness = element.Get("thickness");
  if (thickness.empty()) thickness = element.Get("width");
  polyline->SetThickness(ParseInt(thickness));
  polyline->SetClosed(IsYes(element.Get("close")));
  // Without isfreehand a polyline is free-hand, as one the user starts drawing; a saved one
  // always says which it is.
  const std::string freeHand = element.Get("isfreehand");
  polyline->SetPointMode(!freeHand.empty() && !IsYes(freeHand));
  for (const platform::Point& point : element.points)
    if (!polyline->AddPoint({Coordinate(point.x), Coordinate(point.y)})) break;
  return polyline;
}

}  // namespace

std::string ShapeElement::Get(std::string_view name) const { return FindAttribute(attributes, name); }

bool ShapeElement::Has(std::string_view name) const {
  for (const auto& attribute : attributes)
    if (EqualsNoCase(attribute.first, name)) return true;
  return false;
}

ShapeMaker::ShapeMaker(Fetcher fetcher) { SetFetcher(std::move(fetcher)); }

ShapeMaker::~ShapeMaker() = default;

void ShapeMaker::SetFetcher(Fetcher fetcher) {
  fetcher_ = std::move(fetcher);
  if (!fetcher_)
    fetcher_ = [](const std::string& url) -> std::optional<std::vector<std::uint8_t>> { return FetchUrl(url).bytes; };
  lastSource_.clear();
  lastBytes_.clear();
}

bool ShapeMaker::MakesElement(std::string_view tagName) {
  for (std::string_view name : {"rect", "rectangle", "img", "sound", "box", "ellipse", "line", "polyvector"})
    if (EqualsNoCase(tagName, name)) return true;
  return false;
}

std::unique_ptr<MapObject> ShapeMaker::Make(const ShapeElement& element, const std::string& basePath,
                                            ViewPrimitives* view) {
  const std::string tag = ToLower(element.tagName);
  std::unique_ptr<MapObject> object;
  if (tag == "rect" || tag == "rectangle" || tag == "img")
    object = MakeRect(element, basePath);
  else if (tag == "sound")
    object = MakeSound(element, basePath);
  else if (tag == "box")
    object = MakeBox(element);
  else if (tag == "ellipse")
    object = MakeEllipse(element);
  else if (tag == "line")
    object = MakeLine(element);
  else if (tag == "polyvector")
    object = MakePolyVector(element);
  if (object) FinishMadeObject(*object, element.attributes, view);
  return object;
}

std::shared_ptr<ViewImage> ShapeMaker::LoadPicture(const std::string& source, const std::string& basePath,
                                                   bool keep) {
  // The kept bytes are found by the joined URL: one view shows documents from many places,
  // and the same relative source in two of them names two pictures.
  const std::string url = ResolveUrl(source, basePath);
  std::vector<std::uint8_t> fetched;
  const std::vector<std::uint8_t>* bytes = &lastBytes_;
  if (url != lastSource_ || lastSource_.empty()) {
    auto answer = fetcher_(url);
    if (!answer) return nullptr;
    fetched = std::move(*answer);
    bytes = &fetched;
  }
  std::shared_ptr<ViewImage> picture = DecodePicture(bytes->data(), bytes->size(), FormatFromExtension(source));
  if (keep && bytes == &fetched) {
    lastSource_ = url;
    lastBytes_ = std::move(fetched);
  }
  return picture;
}

std::unique_ptr<MapObject> ShapeMaker::MakeRect(const ShapeElement& element, const std::string& basePath) {
  const std::string source = element.Get("src");
  const std::string overSource = element.Get("onmouseover");
  std::shared_ptr<ViewImage> normal = source.empty() ? nullptr : LoadPicture(source, basePath, true);
  std::shared_ptr<ViewImage> over =
      overSource.empty() || overSource == source ? normal : LoadPicture(overSource, basePath, false);

  int x = CoordinateOf(element, "x");
  int y = CoordinateOf(element, "y");
  int width = Difference(CoordinateOf(element, "bx"), x);
  int height = Difference(CoordinateOf(element, "by"), y);
  if (width < 1 || height < 1) {
    width = CoordinateOf(element, "width");
    height = CoordinateOf(element, "height");
  }
  if (width < 1 || height < 1) {
    width = normal ? normal->getWidth() : kDefaultSize;
    height = normal ? normal->getHeight() : kDefaultSize;
    x = Difference(x, width / 2);
    y = Difference(y, height / 2);
  }
  auto rect = std::make_unique<CComponentRect>(x, y, width, height, element.Get("href"), normal, over);
  rect->SetPictureSource(source);
  if (!overSource.empty() && overSource != source) rect->SetMouseOverPictureSource(overSource);
  ReadCommon(*rect, element, {true, true, true});
  // A picture shows without an outline unless asked for; a rectangle, or a picture that
  // could not be loaded, shows its outline unless told not to.
  const std::string outline = element.Get("outline");
  rect->SetOutline(source.empty() ? !IsNo(outline) : IsYes(outline) || !normal);
  if (rect->HasOutline())
    rect->SetColors(ColorOr(element, "color", kDefaultColor), ColorOr(element, "mouseovercolor", kDefaultColor));
  ReadFills(*rect, element);
  rect->SetPenStyle(PenStyleFromName(element.Get("style")));
  rect->SetThickness(ThicknessOf(element, 1));
  rect->SetTransparency(IntOf(element, "transparency"));
  ReadKeyTransparency(*rect, element);
  rect->SetEnterAction(element.Get("onmouseenter"));
  rect->SetExitAction(element.Get("onmouseexit"));
  return rect;
}

std::unique_ptr<MapObject> ShapeMaker::MakeSound(const ShapeElement& element, const std::string& basePath) {
  const std::string source = element.Get("src");
  std::string link;
  if (IsYes(element.Get("soundonmouse")))
    link = "exec:stopaudio";
  else if (!source.empty())
    link = ResolveUrl(source, basePath);
  ShapeElement withoutPicture = element;
  std::erase_if(withoutPicture.attributes, [](const auto& attribute) {
    return EqualsNoCase(attribute.first, "src") || EqualsNoCase(attribute.first, "onmouseover") ||
           EqualsNoCase(attribute.first, "href");
  });
  withoutPicture.attributes.emplace_back("href", link);
  return MakeRect(withoutPicture, basePath);
}

}  // namespace zolvex
