#include "platform/FontCatalog.h"

namespace zolvex::platform {

// A page cannot list the fonts of its reader's machine; these families every browser
// knows, and it picks the installed font for each.
std::vector<std::string> InstalledFontFamilies() {
  return {"cursive", "fantasy", "monospace", "sans-serif", "serif"};
}

}  // namespace zolvex::platform
