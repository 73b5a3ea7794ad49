#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/PluginLoader.h"
#include "view/PluginInterface.h"

namespace zolvex {

class MapObject;
class MapView;

// The plug-ins a view loaded with "addplugin". A plug-in is accepted when it exports all
// five entry points and agrees to the viewer's version; an accepted one serves the document
// types it names (registered with the view's document factory) and may make objects (asked
// by the view's object factory, in the order the plug-ins were accepted). A
// plug-in that is not accepted stays listed but serves nothing. The libraries are unloaded
// with the host, so everything a plug-in made must be gone by then.
class PluginHost {
 public:
  static constexpr int kHostVersion = 11163;

  struct Plugin {
    std::string name;
    std::unique_ptr<platform::PluginLibrary> library;  // null when it could not be loaded
    bool accepted = false;
    int version = 0;
    ZolvexCreateComponentFn createComponent = nullptr;
    ZolvexCreateListenerFn createListener = nullptr;
    std::vector<std::string> documentTypes;
  };

  explicit PluginHost(MapView& view);
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Loads the plug-in "zoplugin_<name>.dll" from the search folder (or, without one, the
  // system's library search path). Names holding a path are refused. A name loaded before
  // is not loaded again. Answers whether the plug-in is accepted.
  bool Add(const std::string& name);
  // The folder plug-ins are loaded from; empty uses the system's search path.
  void SetSearchFolder(const std::string& folder) { folder_ = folder; }
  const std::vector<std::unique_ptr<Plugin>>& Plugins() const { return plugins_; }

  static std::string LibraryFileName(const std::string& name) { return "zoplugin_" + name + ".dll"; }

 private:
  void Accept(Plugin& plugin);
  void RegisterDocumentTypes(Plugin& plugin);
  void RegisterObjectMaker(Plugin& plugin);

  MapView& view_;
  std::string folder_;
  std::vector<std::unique_ptr<Plugin>> plugins_;
};

}  // namespace zolvex
