#include "view/PluginHost.h"

#include <algorithm>

#include "documents/MapDocument.h"
#include "documents/ObjectFactory.h"
#include "objects/MapObject.h"
#include "platform/TextValues.h"
#include "view/DocumentFactory.h"
#include "view/MapView.h"

namespace zolvex {

namespace {

constexpr const char* kExports[] = {"CreateComponent", "CreateListener", "GetDocumentTypes", "GetPluginVersion",
                                    "SupportVersion"};

// A plug-in name is a bare file-name part: a page must not make the viewer load a library
// from a path of its choosing.
bool IsPlainName(const std::string& name) {
  return !name.empty() && name.find_first_of("/\\:") == std::string::npos && name.find("..") == std::string::npos;
}

std::vector<std::string> SplitTypes(const char* text) {
  std::vector<std::string> types;
  if (!text) return types;
  std::string all(text);
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find(',', start);
    if (end == std::string::npos) end = all.size();
    std::string type = Trim(all.substr(start, end - start));
    if (!type.empty()) types.push_back(type);
    start = end + 1;
  }
  return types;
}

}  // namespace

PluginHost::PluginHost(MapView& view) : view_(view) {}

PluginHost::~PluginHost() = default;

bool PluginHost::Add(const std::string& name) {
  auto known = std::find_if(plugins_.begin(), plugins_.end(),
                            [&](const std::unique_ptr<Plugin>& plugin) { return plugin->name == name; });
  if (known != plugins_.end()) return (*known)->accepted;
  if (!IsPlainName(name)) return false;

  auto plugin = std::make_unique<Plugin>();
  plugin->name = name;
  std::string file = LibraryFileName(name);
  std::string error;
  plugin->library = platform::PluginLibrary::Load(folder_.empty() ? file : folder_ + "/" + file, error);
  if (plugin->library) Accept(*plugin);
  bool accepted = plugin->accepted;
  plugins_.push_back(std::move(plugin));
  return accepted;
}

void PluginHost::Accept(Plugin& plugin) {
  const platform::PluginLibrary& library = *plugin.library;
  bool complete = std::all_of(std::begin(kExports), std::end(kExports),
                              [&](const char* name) { return library.Symbol(name) != nullptr; });
  if (!complete) return;
  auto supportVersion = library.Function<ZolvexSupportVersionFn>("SupportVersion");
  if (supportVersion(kHostVersion) == 0) return;
  plugin.accepted = true;
  plugin.version = library.Function<ZolvexGetPluginVersionFn>("GetPluginVersion")();
  plugin.createComponent = library.Function<ZolvexCreateComponentFn>("CreateComponent");
  plugin.createListener = library.Function<ZolvexCreateListenerFn>("CreateListener");
  plugin.documentTypes = SplitTypes(library.Function<ZolvexGetDocumentTypesFn>("GetDocumentTypes")());
  RegisterDocumentTypes(plugin);
  RegisterObjectMaker(plugin);
}

void PluginHost::RegisterDocumentTypes(Plugin& plugin) {
  ZolvexCreateListenerFn create = plugin.createListener;
  for (const std::string& type : plugin.documentTypes) {
    DocumentTypeHandler handler;
    handler.typeName = type;
    handler.create = [create](MapView& view, MapDocument& document) {
      return std::unique_ptr<MapDocument>(static_cast<MapDocument*>(create(&view, &document)));
    };
    view_.GetDocumentFactory().RegisterDocumentType(handler);
  }
}

void PluginHost::RegisterObjectMaker(Plugin& plugin) {
  ZolvexCreateComponentFn create = plugin.createComponent;
  MapView& view = view_;
  view_.Objects().RegisterPlugin(
      [create, &view](const std::string& type, const std::string& attributes, const std::string& baseUrl) {
        void* made = create(&view, type.c_str(), attributes.c_str(), baseUrl.c_str());
        return std::unique_ptr<MapObject>(static_cast<MapObject*>(made));
      });
}

}  // namespace zolvex
