#include "platform/PluginLoader.h"

#include <dlfcn.h>

#include "platform/Files.h"

namespace zolvex::platform {

PluginLibrary::~PluginLibrary() {
  if (handle_) ::dlclose(handle_);
}

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, std::string& error) {
  void* handle = ::dlopen(NativePath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = ::dlerror();
    error = reason ? reason : "cannot load " + path;
    return nullptr;
  }
  return std::unique_ptr<PluginLibrary>(new PluginLibrary(handle));
}

void* PluginLibrary::Symbol(const std::string& name) const { return ::dlsym(handle_, name.c_str()); }

}  // namespace zolvex::platform
