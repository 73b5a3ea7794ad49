#include "view/ShapeObjects.h"

#include <mutex>

#include "documents/DocumentHost.h"
#include "documents/MarkupObjectMaker.h"
#include "documents/XmlReader.h"
#include "documents/XmmlDocument.h"
#include "objects/MapObject.h"
#include "objects/PageIndex.h"
#include "objects/ShapeMaker.h"
#include "platform/TextValues.h"
#include "view/CommandInterpreter.h"
#include "view/MapView.h"

namespace zolvex {

namespace {

// One maker for the process, so that its picture cache serves every document in a row.
std::unique_ptr<MapObject> MakeShape(const ShapeElement& element, const std::string& basePath, ViewPrimitives& view) {
  static std::mutex lock;
  static ShapeMaker maker;
  std::lock_guard hold(lock);
  return maker.Make(element, basePath, &view);
}

// The page-index panel of an XMML INDEX element, hidden, with its pages queued.
std::unique_ptr<MapObject> MakePageIndex(DocumentHost& host, XmlReader& reader, const std::string& basePath) {
  const PageIndexData data = ReadPageIndexElement(host, reader, basePath);
  auto index = std::make_unique<PageIndex>(data.thumbWidth, data.thumbHeight, data.width, data.height, data.position);
  for (const PageIndexItem& item : data.items)
    index->AddPage(item.page, item.href, item.source, item.tooltip, item.tooltipSize);
  return index;
}

std::unique_ptr<MapObject> MakeShapeOfMarkup(DocumentHost& host, XmlReader& reader, const std::string& tagName,
                                             const std::string& basePath) {
  if (tagName == "index") return MakePageIndex(host, reader, basePath);
  if (!ShapeMaker::MakesElement(tagName)) return nullptr;
  return MakeShape(MarkupObjectMaker::DescribeShape(reader), basePath, host.ObjectView());
}

// The attribute text wrapped as an element of the type, as the page writes it to
// CreateObject ("x=\"5\" y=\"6\"").
std::unique_ptr<MapObject> MakeShapeOfText(MapView& view, const std::string& type, const std::string& attributes) {
  if (!ShapeMaker::MakesElement(Trim(type))) return nullptr;
  XmlReader reader;
  if (!reader.Parse("<XMML><parameter " + Trim(attributes) + "/></XMML>") || !reader.FindNext("XMML") ||
      !reader.FindChild("parameter"))
    return nullptr;
  ShapeElement element = MarkupObjectMaker::DescribeShape(reader);
  element.tagName = Trim(type);
  return MakeShape(element, view.GetBaseUrl(), view);
}

}  // namespace

void InstallShapeMakers(MapView& view) {
  if (!MarkupObjectMaker::IsInstalled()) MarkupObjectMaker::Install(MakeShapeOfMarkup);
  view.Commands().SetObjectMaker(
      [&view](const std::string& type, const std::string& attributes) { return MakeShapeOfText(view, type, attributes); });
}

}  // namespace zolvex
