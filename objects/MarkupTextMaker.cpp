#include "objects/MarkupTextMaker.h"

#include "net/Pictures.h"
#include "net/Url.h"
#include "objects/ElementSteps.h"
#include "objects/ObjectValues.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr platform::Color kTextDefaultColor = platform::MakeColor(0, 0, 0);

// The common attributes each type reads: a text has no virtual size and no alignment; a
// note reads its virtual size itself.
constexpr CommonReads kTextReads{.virtualSize = false, .tooltip = true, .anchor = true, .alignment = false};
constexpr CommonReads kNoteReads{.virtualSize = false, .tooltip = true, .anchor = true, .alignment = true};

// Attribute lookup by name without regard to case; "" when absent.
class AttributeReader {
 public:
  explicit AttributeReader(const MarkupTextMaker::Attributes& attributes) : attributes_(attributes) {}
  std::string operator[](std::string_view name) const {
    return FindAttribute(attributes_, name);
  }

 private:
  const MarkupTextMaker::Attributes& attributes_;
};

// The first of two attributes that is not empty.
std::string Either(const AttributeReader& read, std::string_view first, std::string_view second) {
  std::string value = read[first];
  return value.empty() ? read[second] : value;
}

}  // namespace

std::string MarkupTextMaker::TextOfAttribute(const std::string& value) {
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == 'n') {
      text += '\n';
      ++i;
    } else {
      text += value[i] == '_' ? ' ' : value[i];
    }
  }
  return text;
}

std::unique_ptr<CComponentText> MarkupTextMaker::MakeText(const Attributes& attributes, ViewPrimitives& view) {
  const AttributeReader read(attributes);
  const platform::Color color = ParseColor(read["color"]).value_or(kTextDefaultColor);
  auto text = std::make_unique<CComponentText>(ParseInt(read["x"]), ParseInt(read["y"]),
                                               TextOfAttribute(Either(read, "text", "value")),
                                               Either(read, "fontface", "font"), ParseInt(read["size"]), color,
                                               read["href"]);
  if (const auto background = ParseColor(read["background"])) text->SetBackground(*background);
  text->SetTextAlign(read["textalign"]);
  for (const char* name : {"indicator", "indicatorcolor", "indicatoralign", "outline"})
    if (const std::string value = read[name]; !value.empty()) text->SetProperty(name, value);
  ReadCommonAttributes(*text, attributes, kTextReads);
  FinishMadeObject(*text, attributes, &view);
  return text;
}

std::unique_ptr<NoteObject> MarkupTextMaker::MakeNote(const Attributes& attributes, const std::string& basePath,
                                                      ViewPrimitives& view, const PictureLoader& loadPicture) {
  const AttributeReader read(attributes);
  const std::string source = read["src"];
  std::shared_ptr<ViewImage> icon;
  if (!source.empty() && loadPicture)
    icon = loadPicture(source, basePath);
  else if (!source.empty())
    icon = LoadPictureFromUrl(basePath.empty() ? source : ResolveUrl(source, basePath));
  const int x = ParseInt(read["x"]), y = ParseInt(read["y"]);
  const std::string bx = read["bx"], by = read["by"], width = read["width"], height = read["height"];
  const int w = !width.empty() ? ParseInt(width) : !bx.empty() ? ParseInt(bx) - x : NoteObject::kDefaultSize;
  const int h = !height.empty() ? ParseInt(height) : !by.empty() ? ParseInt(by) - y : NoteObject::kDefaultSize;
  auto note = std::make_unique<NoteObject>(x, y, w, h, read["href"], icon);
  if (icon) note->SetPictureSource(source);
  note->SetDescription(NoteObject::DecodeDescription(read["description"]));
  const auto color = ParseColor(read["color"]);
  const auto overColor = ParseColor(read["mouseovercolor"]);
  note->SetColors(color.value_or(CComponentLink::kDefaultColor), overColor.value_or(CComponentLink::kDefaultColor));
  // A virtual size counts only when whole.
  const int virtualWidth = ParseInt(read["virtualwidth"]), virtualHeight = ParseInt(read["virtualheight"]);
  if (virtualWidth > 0 && virtualHeight > 0) note->SetVirtualSize(virtualWidth, virtualHeight);
  ReadCommonAttributes(*note, attributes, kNoteReads);
  FinishMadeObject(*note, attributes, &view);
  return note;
}

std::unique_ptr<MapObject> MarkupTextMaker::Make(const std::string& tagName, const Attributes& attributes,
                                                 const std::string& basePath, ViewPrimitives& view,
                                                 const PictureLoader& loadPicture) {
  if (EqualsNoCase(tagName, "text")) return MakeText(attributes, view);
  if (EqualsNoCase(tagName, "note")) return MakeNote(attributes, basePath, view, loadPicture);
  return nullptr;
}

}  // namespace zolvex
