#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "documents/KeyHook.h"
#include "documents/MouseHook.h"
#include "documents/PublicationDocument.h"
#include "documents/modes/PageModeHooks.h"
#include "platform/Geometry.h"

namespace zolvex {

class NewsBookmarks;
class NewsSpine;

// A newspaper: one image of equally sized two-page spreads side by side (or one below the
// other), shown spread by spread. At the main level (the highest at which a whole spread
// fits the window) page commands turn spreads; zoomed in, the view stays on the spread or
// on one of its pages. Coloured bookmark tabs mark spreads, a shaded spine runs down each
// spread, and the spreads ahead are fetched before the reader turns to them. While active
// the document hears the view's mouse and keys first.
class NewsDocument : public PublicationDocument, public MouseHook, public KeyHook {
 public:
  // Wraps the markup document of a news publication; reads its "news" section.
  NewsDocument(DocumentHost& host, std::unique_ptr<MapDocument> inner);
  ~NewsDocument() override;

  void Activate() override;
  void Deactivate() override;
  std::string GetParam(const std::string& name) override;
  bool HandleCommand(const std::string& name, const std::string& argument) override;
  int CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int a, int b) override;
  void SetScale(double sx, double sy) override;
  int GetPrintHeight() override;
  int GetPrintWidth() override;
  void OnViewChanged(int flags, int& x, int& y, int width, int height, int level, int mode, int px,
                     int py) override;
  bool ComputeZoomArea(int& x, int& y, int& width, int& height) override;

  // Input hooks.
  bool OnMouseMove(int x, int y, unsigned flags, std::uint64_t time) override;
  bool OnLButtonDown(int x, int y, std::uint64_t time) override;
  bool OnLButtonUp(int x, int y, std::uint64_t time) override;
  bool OnRButtonUp(int x, int y, std::uint64_t time) override;
  bool OnKeyDown(int key, int repeat, unsigned flags, std::uint64_t time) override;

  int SpreadCount() const { return spreadCount_; }
  int MainLevel() const { return mainLevel_; }
  platform::Size MainSpreadSize() const { return {spreadWidth_, spreadHeight_}; }
  platform::Size CacheSpreadSize() const { return {cacheWidth_, cacheHeight_}; }
  // The spread shown at the last ordinary draw, -1 when none is known.
  int CurrentSpread() const { return currentSpread_; }
  bool IsRowLayout() const { return row_; }
  NewsBookmarks* Bookmarks() const { return bookmarks_.get(); }
  NewsSpine* Spine() const { return spine_.get(); }

 private:
  void ReadNewsMarkup();
  void ReadSettings();
  void PassParamsToView();
  void CountSpreads();
  void ComputeMainLevel();
  int FittingLevel();
  platform::Size SpreadSizeAt(int level);
  void SetInitialContentRect();
  void LoadCursors();
  void MeasureCacheSpread();
  void MakeSpine();
  void MakeBookmarks();
  void PlaceTabsOnSpread();

  bool IsZoomedIn() { return GetLevel() > mainLevel_; }
  // "onepageflip" of the spread, else the general one.
  std::string OnePageFlipOf(int spread);
  void UpdateSpine(int spread);
  void FetchAhead(int spread, bool forward);
  void FetchSpread(int spread);
  void ApplyNewMainLevel();
  void LockToSpread(int level, int spread, int x, int y, int windowWidth, int windowHeight);

  // Commands.
  bool TurnPage(const std::string& name, const std::string& argument);
  bool ScrollOrTurn(bool back);
  bool Wheel(const std::string& argument);
  bool GotoHPage(const std::string& argument);
  bool GotoPage(const std::string& argument);
  void GoToSpread(int spread);
  void ToggleBookmark(const std::string& argument);
  void SetBookmark(const std::string& argument);
  void UnsetBookmark(const std::string& argument);
  bool ZoomIntoPage(const std::string& name, int x);
  void MoveView(int dx, int dy);
  void Post(const std::string& name, const std::string& param1, const std::string& param2);
  void ShowCursor(const std::string& cursor);
  bool Within10(int x, int y, platform::Point press) const;

  DocumentHost& host_;
  bool row_ = false;
  int pageWidth_ = 0;   // a spread, full-resolution pixels
  int pageHeight_ = 0;
  bool onePageFlip_ = false;
  bool twoPageLock_ = false;
  int arrowRange_ = 0;
  bool pageArrows_ = true;
  int cacheLevel_ = 0;
  int shadowStyle_ = 0;
  int shadowOffset_ = 0;
  int shadowStart_ = 0;  // "ShadowStartPage" halved
  bool allowShadow_ = true;
  int offsetX_ = 0;
  int offsetY_ = 0;
  int gotohPageInc_ = 0;

  int spreadCount_ = 1;
  int mainLevel_ = 0;
  int spreadWidth_ = 0;  // at the main level
  int spreadHeight_ = 0;
  int cacheWidth_ = 0;  // at "CacheLevel"
  int cacheHeight_ = 0;
  int currentSpread_ = -1;
  int targetSpread_ = -1;  // where the last move went, until a frame shows it
  int lastX_ = 0;
  int lastY_ = 0;
  int windowWidth_ = 0;
  int windowHeight_ = 0;

  std::unique_ptr<NewsBookmarks> bookmarks_;
  std::unique_ptr<NewsSpine> spine_;

  std::string leftCursor_, rightCursor_, upCursor_, downCursor_, lowCursor1_, lowCursor2_;
  std::string normalCursor_ = "default";
  PageModeHooks hooks_;
  bool leftHeld_ = false;
  platform::Point leftPress_{-100, -100};
};

}  // namespace zolvex
