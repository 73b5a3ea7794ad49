#pragma once
#include <memory>
#include <string>
#include <utility>

namespace zolvex {

namespace platform {
class Platform;
}

class KeyHook;
class MapDocument;
class MapObject;
class MosaicLayout;
class MouseHook;
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
  // Every tile the last frame waited for has arrived: the frame is worth drawing now
  // rather than at the next redraw check. Safe from any thread.
  virtual void FrameTilesArrived() { MarkDirty(); }
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

  // ---- What page-mode documents steer ----------------------------------------------------
  // A host without a viewport (a document opened on its own) does nothing and answers
  // -1, false or null.
  // Runs a view command at once; true when handled.
  virtual bool Execute(const std::string& /*command*/, const std::string& /*argument*/) { return false; }
  // The 1-based page of the view's page grid at a point of the current level ((-1, -1): the
  // window's corner), and a page's top-left corner at the current level.
  virtual int PageAt(int /*x*/, int /*y*/) { return -1; }
  virtual bool PageOrigin(int /*page*/, int& /*x*/, int& /*y*/) { return false; }
  // Moves the window's corner (pixels of the current level), kept inside the content.
  virtual void SetPosition(int /*x*/, int /*y*/, bool /*redraw*/, bool /*report*/) {}
  virtual void ValidatePosition(bool /*report*/) {}
  // Moves the window's top-left corner to (x, y) of the current level, as a page turn does:
  // gliding, or turning the page when the page animation is on.
  virtual void ScrollTo(int /*x*/, int /*y*/) {}
  // Changes the level around (x, y) of the current level; keepPoint keeps that point still.
  virtual void ZoomTo(int /*level*/, int /*x*/, int /*y*/, bool /*keepPoint*/) {}
  // One level in (direction 1) or out (2) around a window point.
  virtual void ZoomAt(int /*x*/, int /*y*/, int /*direction*/) {}
  // The full-resolution rectangle the window may not leave; all 0 clears it.
  virtual void SetContentRect(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {}
  virtual void Redraw() {}
  // The topmost object at a window point, or null.
  virtual MapObject* ObjectAt(int /*x*/, int /*y*/) { return nullptr; }
  // A key pressed as if by the user (platform key codes).
  virtual void PressKey(int /*key*/) {}
  // The entries of the content history, and the step back to the previous one.
  virtual int HistoryLength() const { return 0; }
  virtual void GoBack() {}
  // The input hooks of the active document (not owned; null removes). A page-mode document
  // installs them when it becomes active and removes them when it stops being active.
  virtual void SetMouseHook(MouseHook* /*hook*/) {}
  virtual MouseHook* GetMouseHook() const { return nullptr; }
  virtual void SetKeyHook(KeyHook* /*hook*/) {}
  virtual KeyHook* GetKeyHook() const { return nullptr; }
};

}  // namespace zolvex
