#pragma once
// The five functions a viewer plug-in exports, with C linkage, from a shared library named
// "zoplugin_<name>.dll". The header depends on nothing else so that plug-ins can include it
// alone. Pointers to viewer classes travel as void*:
//   view      a zolvex::MapView*
//   document  a zolvex::MapDocument* (the markup document whose "type" names the plug-in)
// Objects and documents a plug-in returns are allocated with new and owned by the viewer
// from then on; the plug-in stays loaded as long as the view that loaded it.

extern "C" {

// Non-zero when the plug-in works with a viewer of hostVersion.
typedef int (*ZolvexSupportVersionFn)(int hostVersion);
// The plug-in's own version.
typedef int (*ZolvexGetPluginVersionFn)(void);
// The markup document types the plug-in serves, separated by ","; may be empty.
typedef const char* (*ZolvexGetDocumentTypesFn)(void);
// A new zolvex::MapObject* for an element type and its attribute text, or null.
typedef void* (*ZolvexCreateComponentFn)(void* view, const char* type, const char* attributes, const char* baseUrl);
// A new zolvex::MapDocument* extending the markup document, or null.
typedef void* (*ZolvexCreateListenerFn)(void* view, void* document);
}
