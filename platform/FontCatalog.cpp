#include "platform/FontCatalog.h"

#include <pango/pangocairo.h>

#include <algorithm>

#include "platform/TextValues.h"

namespace zolvex::platform {

std::vector<std::string> InstalledFontFamilies() {
  PangoFontMap* map = pango_cairo_font_map_get_default();  // owned by Pango
  PangoFontFamily** families = nullptr;
  int count = 0;
  pango_font_map_list_families(map, &families, &count);
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) names.emplace_back(pango_font_family_get_name(families[i]));
  g_free(families);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return ToLower(a) < ToLower(b); });
  return names;
}

}  // namespace zolvex::platform
