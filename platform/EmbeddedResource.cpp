#include "platform/EmbeddedResource.h"

#include <strings.h>

namespace zolvex::platform {

extern const EmbeddedResource kEmbeddedResources[];

std::optional<std::span<const unsigned char>> FindResource(const std::string& name) {
  for (const EmbeddedResource* r = kEmbeddedResources; r->name; ++r) {
    if (::strcasecmp(r->name, name.c_str()) == 0) return std::span<const unsigned char>(r->data, r->size);
  }
  return std::nullopt;
}

}  // namespace zolvex::platform
