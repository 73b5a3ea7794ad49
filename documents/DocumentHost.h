#pragma once
#include <memory>
#include <string>
#include <utility>

namespace zolvex {

namespace platform {
class Platform;
}

class MapDocument;
class MosaicLayout;
class ObjectFactory;
class ViewPrimitives;
struct ViewEvent;

// The kinds of document one document may ask its host to make for it.
enum class SubDocumentKind {
  Image,    // one KTQ image by URL
  Folder,   // the images of a local folder
  Mosaic,   // several images arranged by a layout
  Content,  // whatever the URL names, chosen as content opening chooses
};

struct SubDocumentRequest {
  SubDocumentRequest(SubDocumentKind kind, std::string url, const MosaicLayout* layout = nullptr,
                     std::string hint = {})
      : kind(kind), url(std::move(url)), layout(layout), hint(std::move(hint)) {}

  SubDocumentKind kind = SubDocumentKind::Image;
  std::string url;                       // Mosaic: the base the layout's sources join
  const MosaicLayout* layout = nullptr;  // Mosaic only
  std::string hint;                      // Content only: the document factory's hint
};

// What a document needs of the view that shows it. The view implements it; documents never
// see the view's class, so they build and test without one.
class DocumentHost {
 public:
  virtual ~DocumentHost() = default;

  // What the document's overlay objects draw through.
  virtual ViewPrimitives& ObjectView() = 0;
  // What makes the document's overlay objects of its markup elements.
  virtual ObjectFactory& Objects() = 0;
  virtual platform::Platform& GetPlatform() = 0;

  virtual std::string GetBrowserProperty(const std::string& name) = 0;
  virtual void SetBrowserProperty(const std::string& name, const std::string& value) = 0;

  // The window's size, and its top-left corner in pixels of the current level.
  virtual int GetViewWidth() const = 0;
  virtual int GetViewHeight() const = 0;
  virtual int ViewX() const = 0;
  virtual int ViewY() const = 0;

  // New content to show; the next redraw check draws a frame. Safe from any thread.
  virtual void MarkDirty() = 0;
  // Runs a view command later on the window thread. Safe from any thread.
  virtual void PostCommand(const std::string& command, const std::string& argument) = 0;
  // Queues an event for the control.
  virtual void PostViewEvent(const ViewEvent& event) = 0;
  // Opens a URL or runs a link command at once; answers the URL opened or "".
  virtual std::string OpenUrl(const std::string& url, bool resetHistory, int x, int y, int level) = 0;
  // A failure of a document that stays open (its connection broke after loading): the
  // page hears it through OnError and the document is kept. Safe from any thread.
  virtual void ReportErrorAfterLoading(const std::string& message) = 0;

  // A document made by the document factory for this one to hold (its basemap, for
  // example). Raises CReaderException when it cannot be read; answers null when the
  // factory makes nothing of the request.
  virtual std::unique_ptr<MapDocument> OpenSubDocument(const SubDocumentRequest& request) = 0;
};

}  // namespace zolvex
