#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "documents/MouseHook.h"
#include "documents/PublicationDocument.h"
#include "documents/modes/ComicsBookmarks.h"
#include "documents/modes/ComicsLayout.h"
#include "platform/Geometry.h"

namespace zolvex {

class ObjectGroup;
class PageIndicator;
class PageScroller;
class PictureButton;

// A comic: one picture in which equally sized pages stand in rows or columns. At level 0
// the view stays on one page; the reader turns pages with the toolbar, the page scroller,
// click zones at the window's edges or automatic play, and the last page read is kept per
// user as a bookmark.
class ComicsDocument : public PublicationDocument, public MouseHook, public ObjectListener {
 public:
  // markup: the XMML text of a ".cms" file's built-in settings; empty for an XMML document,
  // whose own comics section is read. url names the publication (its file name is the
  // default bookmark id).
  ComicsDocument(DocumentHost& host, std::unique_ptr<MapDocument> inner, const std::string& markup,
                 const std::string& url);
  ~ComicsDocument() override;

  void Activate() override;
  void Deactivate() override;
  void SetParam(const std::string& name, const std::string& value) override;
  bool HandleCommand(const std::string& name, const std::string& argument) override;
  int CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int a, int b) override;
  void Close() override;
  void SetLevel(int level) override;
  void OnViewChanged(int flags, int& x, int& y, int width, int height, int level, int mode, int px,
                     int py) override;
  // Switches the view's magnifier on or off, as the toolbar's magnifier button does.
  virtual void ToggleMagnifier();

  // Click zones at the window's edges (only at level 0).
  bool OnMouseMove(int x, int y, unsigned flags, std::uint64_t time) override;
  bool OnLButtonDown(int x, int y, std::uint64_t time) override;
  bool OnLButtonUp(int x, int y, std::uint64_t time) override;

  // The toolbar's buttons and scroller.
  void OnObjectMouse(MapObject& object, const std::string& notification, unsigned flags,
                     platform::Point point) override;

  const ComicsLayout& Layout() const { return layout_; }
  int PageCount() const { return pageCount_; }
  int CurrentPage() const { return currentPage_; }
  int ZoneCount() const { return zones_; }
  bool IsPlaying() const { return playing_; }
  PageScroller* Scroller() const { return scroller_; }
  ObjectGroup* Panel() const { return panel_; }

 private:
  enum class Zone { None, Previous, Next };

  void ReadComicsParams(const std::string& markup);
  void CreateToolbar();
  // Places the toolbar for the window's size.
  void PlaceToolbar();
  PictureButton* AddButton(const char* picture, int x, int y, const std::string& command);
  void ShowToolbar(bool shown);
  void RevealPanelNear(int x, int y);
  void LayOutPages();
  void ApplyPlaySettings();
  void SaveBookmark();
  bool BookmarksOn();

  void GotoPage(int page);
  void ScrollToPage(int page);
  void ShowPage(int page);
  void TrackPageUnderView();
  void NoteTurn(int page);
  void FetchAhead();
  void FetchPage(int page);
  void RunToolbarCommand(const std::string& command);
  void TogglePlay();
  void ToggleMode();
  void RunSettingsDialog();

  Zone ZoneAt(int x, int y) const;
  bool ZonesActive();
  bool OverMouseObject(int x, int y);
  int LevelWidth();
  int LevelHeight();

  std::string url_;
  bool fromComicsFile_ = false;
  ComicsLayout layout_;
  int pageCount_ = 1;
  int currentPage_ = 1;
  int trackedPage_ = -1;
  int aheadPage_ = -1;  // the page whose neighbours are fetched ahead
  int aheadStep_ = 0;   // how the reader came to it: 1 forward, -1 back, 0 a jump
  bool scrollingToPage_ = false;
  int zones_ = 7;
  bool playing_ = false;
  bool pressed_ = false;
  platform::Point pressPoint_{0, 0};
  ComicsBookmarks::Mark saved_;
  std::unique_ptr<ComicsBookmarks> bookmarks_;
  std::string savedCursor_;
  bool active_ = false;
  bool toolbarShown_ = true;
  platform::Size toolbarWindow_{0, 0};  // the window size the toolbar was placed for

  // The toolbar objects: owned by the document's object list.
  PictureButton* prevButton_ = nullptr;
  PictureButton* nextButton_ = nullptr;
  PictureButton* modeButton_ = nullptr;
  PictureButton* playButton_ = nullptr;
  ObjectGroup* panel_ = nullptr;
  PageScroller* scroller_ = nullptr;
  PageIndicator* pageIndicator_ = nullptr;
  PageIndicator* countIndicator_ = nullptr;
  MapObject* ageImage_ = nullptr;
  std::shared_ptr<ViewImage> playPicture_;
  std::shared_ptr<ViewImage> pausePicture_;
};

}  // namespace zolvex
