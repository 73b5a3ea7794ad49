#pragma once
#include <memory>
#include <string>

namespace zolvex::platform {

// A shared library loaded by file name; unloaded when destroyed.
class PluginLibrary {
 public:
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // The library, or null with error set to the loader's reason.
  static std::unique_ptr<PluginLibrary> Load(const std::string& path, std::string& error);
  // The exported symbol, or null.
  void* Symbol(const std::string& name) const;
  template <typename Fn>
  Fn Function(const std::string& name) const {
    return reinterpret_cast<Fn>(Symbol(name));
  }

 private:
  explicit PluginLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace zolvex::platform
