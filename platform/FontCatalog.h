#pragma once
#include <string>
#include <vector>

namespace zolvex::platform {

// The font families installed on this machine, as the text renderer knows them (fontconfig
// through Pango), sorted by name without regard to case.
std::vector<std::string> InstalledFontFamilies();

}  // namespace zolvex::platform
