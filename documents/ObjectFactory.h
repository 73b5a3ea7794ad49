#pragma once
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "objects/ShapeMaker.h"

namespace zolvex {

class DocumentHost;
class MapDocument;
class MapObject;
class XmlReader;

// Makes every overlay object of a view from an element name and its attributes. Each view
// owns one; markup documents reach it through their host, the page through the control's
// AddObject and AddXMML, and the view's CreateObject command through the command
// interpreter. An element name picks its maker (names compared without regard to case);
// the built-in makers cover the shapes, texts, notes and media objects, and others can be
// registered by name. Objects of types no maker knows come from the plug-ins, when they are
// asked with an attribute text. The shapes share one picture cache: the last picture
// source fetched and its bytes.
class ObjectFactory {
 public:
  // (host, reader whose child cursor is on the element, lower-case element name, base
  // path) -> the object, or null.
  using ElementMaker = std::function<std::unique_ptr<MapObject>(DocumentHost& host, XmlReader& reader,
                                                                const std::string& tagName, const std::string& basePath)>;
  // (type, attribute text, base URL) -> the object a plug-in made, or null.
  using PluginMaker = std::function<std::unique_ptr<MapObject>(const std::string& type, const std::string& attributes,
                                                               const std::string& baseUrl)>;

  // Without a fetcher, pictures are fetched over HTTP or read from local files.
  explicit ObjectFactory(ShapeMaker::Fetcher fetcher = {});
  ~ObjectFactory();
  ObjectFactory(const ObjectFactory&) = delete;
  ObjectFactory& operator=(const ObjectFactory&) = delete;

  // Makes the elements of that name (any case) with maker from now on, in place of the
  // maker that made them so far. The factory finishes what it makes (events, pending
  // values, layer, the view), as it does for the built-in makers.
  void RegisterMaker(const std::string& elementName, ElementMaker maker);
  bool HasMaker(const std::string& elementName) const;
  // Where the shapes' pictures come from from now on (a test's bytes); without one they are
  // fetched over HTTP or read from local files. "ktq://" pictures come from a document's
  // tile server as named files when a document with tiles is at hand (below).
  void SetPictureFetcher(ShapeMaker::Fetcher fetcher);
  // The document whose tile server serves "ktq://" pictures: the view's current content.
  void SetContentDocument(std::function<MapDocument*()> content);
  // While it lives, "ktq://" pictures come from document's tile server: a document making
  // its own objects while it loads, before it is the view's content.
  class LoadingDocument {
   public:
    LoadingDocument(ObjectFactory& factory, MapDocument& document);
    ~LoadingDocument();
    LoadingDocument(const LoadingDocument&) = delete;
    LoadingDocument& operator=(const LoadingDocument&) = delete;

   private:
    ObjectFactory& factory_;
    MapDocument* previous_;
  };
  // Appends a plug-in to those asked, in order, for the types no maker knows.
  void RegisterPlugin(PluginMaker maker);

  // The object of the reader's child element, read as an element called elementName;
  // null when no maker knows the name. Relative sources are joined to baseUrl.
  std::unique_ptr<MapObject> CreateObject(DocumentHost& host, const std::string& elementName, XmlReader& reader,
                                          const std::string& baseUrl);
  // The object of a type and its attribute text as it would stand inside an element
  // ("x=\"5\" y=\"6\""); when no maker knows the type, the first plug-in's object. Null
  // when nothing is made or the text does not parse.
  std::unique_ptr<MapObject> CreateObjectFromText(DocumentHost& host, const std::string& type,
                                                  const std::string& attributes, const std::string& baseUrl);
  // One object per child element of an "XMML" document element, in order; children no
  // maker knows are skipped. Nothing for text that does not parse or another document element.
  std::vector<std::unique_ptr<MapObject>> CreateObjectsOfXmml(DocumentHost& host, const std::string& xml,
                                                              const std::string& baseUrl);

 private:
  void RegisterBuiltInMakers();
  ElementMaker FindMaker(const std::string& elementName) const;
  std::unique_ptr<MapObject> MakeShape(DocumentHost& host, XmlReader& reader, const std::string& tagName,
                                       const std::string& basePath);
  // The bytes of a picture's URL: a tile server's named file for "ktq://", else the fetcher's.
  std::optional<std::vector<std::uint8_t>> FetchPicture(const std::string& url);
  MapDocument* DocumentWithFiles();

  mutable std::mutex lock_;
  std::map<std::string, ElementMaker> makers_;  // lower-case names
  std::vector<PluginMaker> plugins_;
  std::mutex shapesLock_;  // the picture cache of the shapes and what feeds it
  ShapeMaker::Fetcher fetcher_;
  std::function<MapDocument*()> content_;
  MapDocument* loading_ = nullptr;
  std::string lastMissingFile_;  // a named file that did not come: not waited for again
  ShapeMaker shapes_;
};

}  // namespace zolvex
