#include "objects/TextDialog.h"

#include <algorithm>
#include <cmath>

#include "objects/CComponentText.h"
#include "objects/ObjectValues.h"
#include "platform/FontCatalog.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr int kDefaultSampleSize = 12;
// The custom entry starts as the window text colour.
constexpr platform::Color kWindowTextColor = platform::MakeColor(0, 0, 0);

}  // namespace

const platform::Color (&TextDialog::FixedColors())[kFixedColorCount] {
  using platform::MakeColor;
  static constexpr platform::Color kColors[kFixedColorCount] = {
      MakeColor(0x00, 0x00, 0x00), MakeColor(0x80, 0x00, 0x00), MakeColor(0x00, 0x80, 0x00),
      MakeColor(0x80, 0x80, 0x00), MakeColor(0x00, 0x00, 0x80), MakeColor(0x80, 0x00, 0x80),
      MakeColor(0x00, 0x80, 0x80), MakeColor(0xC0, 0xC0, 0xC0), MakeColor(0x80, 0x80, 0x80),
      MakeColor(0xFF, 0x00, 0x00), MakeColor(0x00, 0xFF, 0x00), MakeColor(0xFF, 0xFF, 0x00),
      MakeColor(0x00, 0x00, 0xFF), MakeColor(0xFF, 0x00, 0xFF), MakeColor(0x00, 0xFF, 0xFF),
      MakeColor(0xFF, 0xFF, 0xFF)};
  return kColors;
}

std::string TextDialog::SingleNewlines(const std::string& text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      result += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

platform::TextDialogFields TextDialog::InitialFields(const CComponentText& text, double scaleY,
                                                     const std::string& rememberedColor) {
  platform::TextDialogFields fields;
  fields.text = text.GetText();
  fields.fonts = platform::InstalledFontFamilies();
  fields.font = text.GetFontFace();
  const double shown = std::ceil(text.GetSize() * scaleY);
  fields.size = shown < 1 ? std::to_string(kDefaultSampleSize) : std::to_string(Truncate(shown));
  const auto& fixed = FixedColors();
  fields.colors.assign(std::begin(fixed), std::end(fixed));
  fields.customColor = kWindowTextColor;
  platform::Color color = text.GetColor();
  if (color == platform::kNoColor) color = ParseColor(rememberedColor).value_or(platform::MakeColor(0, 0, 0));
  const auto found = std::find(fields.colors.begin(), fields.colors.end(), color);
  if (found != fields.colors.end()) {
    fields.colorIndex = static_cast<int>(found - fields.colors.begin());
  } else {
    fields.customColor = color;
    fields.colorIndex = kFixedColorCount;
  }
  return fields;
}

bool TextDialog::Run(CComponentText& text) {
  ViewPrimitives* view = text.GetView();
  platform::Platform* services = view ? view->PlatformServices() : nullptr;
  if (!services) return false;
  const auto metrics = view->GetDocumentMetrics();
  // A text in screen coordinates has its size on the screen already.
  const double scaleY = metrics && !text.IsScreenCoordinates() ? metrics->scaleY : 1.0;
  platform::SettingsStore& settings = services->Settings();
  platform::TextDialogFields fields =
      InitialFields(text, scaleY, settings.GetProfileString(kProfileSection, kLastColor, "#000000"));
  if (!services->DialogBox().TextDialog(fields)) return false;

  const platform::Color color = fields.ChosenColor();
  settings.SetProfileString(kProfileSection, kLastFont, fields.font);
  settings.SetProfileString(kProfileSection, kLastFontSize, fields.size);
  settings.SetProfileString(kProfileSection, kLastColor, FormatColor(color));
  // The size field is on the screen; the text keeps its size in content pixels.
  const int size = scaleY > 0 ? Truncate(ParseInt(fields.size) / scaleY) : ParseInt(fields.size);
  text.ApplyDialogValues(fields.font, size, fields.size, color, SingleNewlines(fields.text));
  view->InvalidateObject(text, true);
  return true;
}

}  // namespace zolvex
