#include "documents/ClipDocument.h"

#include "documents/DocumentHost.h"
#include "documents/DocumentText.h"
#include "documents/XmlReader.h"
#include "net/FetchUrl.h"
#include "objects/CComponentRect.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

bool EnterBody(XmlReader& reader) {
  reader.ResetPosition();
  return reader.FindNext("XMML") && reader.FindChild("BODY") && reader.EnterChild();
}

}  // namespace

ClipDocument::ClipDocument(DocumentHost& host, const std::string& url)
    : ImageHostDocument(host), url_(SlashedUrl(url)), basePath_(BasePathOf(url_)) {
  FetchResult fetched = FetchUrl(url_);
  if (!fetched.Ok() || fetched.bytes->empty()) ThrowNotFound(host, url_, 0);
  XmlReader reader;
  // Clips saved by a clip server declare UTF-8; older clips are read byte by byte.
  const bool utf8 = EqualsNoCase(DeclaredEncoding(*fetched.bytes), "utf-8");
  const bool parsed = reader.Parse(utf8 ? DecodeMarkup(*fetched.bytes) : BytesAsCharacters(*fetched.bytes));
  if (parsed && reader.FindNext("XMML")) {
    while (reader.FindChild("PARAM")) {
      std::string name = reader.GetChildAttribute("NAME");
      if (!name.empty()) SetParam(name, reader.GetChildAttribute("VALUE"));
    }
  }
  if (parsed && EnterBody(reader) && reader.FindChild("BASEMAP") && reader.EnterChild() && reader.FindChild("KTQ"))
    imageSource_ = reader.GetChildAttribute("SRC");
  if (imageSource_.empty()) imageSource_ = DerivedImageName(url_);
  limit_ = GetParam("limit");
  if (!IsServerUrl(url_)) {
    SetInner(host.OpenSubDocument({SubDocumentKind::Content, JoinToBase(imageSource_, basePath_), nullptr, "-news"}));
  }
  if (parsed) ReadObjects(reader);
}

ClipDocument::~ClipDocument() = default;

// A clip frame becomes a rectangle over the clipped region; other elements are objects.
void ClipDocument::ReadObjects(XmlReader& reader) {
  if (!EnterBody(reader) || !reader.FindChild("map") || !reader.EnterChild()) return;
  while (reader.FindChild()) {
    if (EqualsNoCase(reader.GetChildTagName(), "clipper")) {
      AddObject(MakeClipFrame(reader), false);
      continue;
    }
    if (auto object = MarkupObjectMaker::Make(Host(), reader, basePath_, "", unmade_)) AddObject(std::move(object), false);
  }
}

std::unique_ptr<MapObject> ClipDocument::MakeClipFrame(XmlReader& reader) {
  auto frame = std::make_unique<CComponentRect>(
      ParseInt(reader.GetChildAttribute("x")), ParseInt(reader.GetChildAttribute("y")),
      ParseInt(reader.GetChildAttribute("width")), ParseInt(reader.GetChildAttribute("height")), "", nullptr, nullptr);
  frame->SetOutline(true);
  frame->SetVirtualSize(GetFullWidth(), GetFullHeight());
  frame->SetView(&Host().ObjectView());
  return frame;
}

int ClipDocument::StartLevel(int viewWidth, int viewHeight) {
  const int count = GetLevelCount();
  int level = 0;
  while (level < count && GetLevelWidth(level) < viewWidth && GetLevelHeight(level) < viewHeight) ++level;
  return level >= 2 ? level - 1 : -1;
}

void ClipDocument::Activate() {
  if (!limit_.empty()) Host().SetBrowserProperty("limit", limit_);
  const int level = StartLevel(Host().GetViewWidth(), Host().GetViewHeight());
  if (level >= 0) {
    SetLevel(level);
    Host().MarkDirty();
  }
}

void ClipDocument::Deactivate() { Host().SetBrowserProperty("limit", ""); }

}  // namespace zolvex
