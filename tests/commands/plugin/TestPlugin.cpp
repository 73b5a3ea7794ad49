// A viewer plug-in for the tests. Built three times: complete and agreeing to the viewer's
// version, complete but refusing every version, and without CreateListener.
#include <cstdio>
#include <cstring>
#include <string>

#include "objects/MapObject.h"
#include "view/PluginInterface.h"

#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string calls;
}

PLUGIN_EXPORT int SupportVersion(int hostVersion) {
  calls += "SupportVersion(" + std::to_string(hostVersion) + ");";
#ifdef TEST_PLUGIN_REFUSES
  return 0;
#else
  return hostVersion >= 11000 ? 1 : 0;
#endif
}

PLUGIN_EXPORT int GetPluginVersion(void) { return 42; }

PLUGIN_EXPORT const char* GetDocumentTypes(void) { return "gallery, album"; }

// Makes a plain object for the type "stamp", placed by the attribute text "x,y,w,h".
PLUGIN_EXPORT void* CreateComponent(void* view, const char* type, const char* attributes, const char* baseUrl) {
  calls += std::string("CreateComponent(") + type + "," + attributes + "," + baseUrl + ");";
  if (view == nullptr || std::strcmp(type, "stamp") != 0) return nullptr;
  int x = 0, y = 0, width = 0, height = 0;
  if (std::sscanf(attributes, "%d,%d,%d,%d", &x, &y, &width, &height) != 4) return nullptr;
  return new zolvex::MapObject(x, y, width, height);
}

#ifndef TEST_PLUGIN_WITHOUT_LISTENER
PLUGIN_EXPORT void* CreateListener(void* view, void* document) {
  calls += std::string("CreateListener(") + (view ? "view" : "null") + "," + (document ? "document" : "null") + ");";
  return nullptr;
}
#endif

// What the viewer called, for the tests to read.
PLUGIN_EXPORT const char* TestPluginCalls(void) { return calls.c_str(); }
