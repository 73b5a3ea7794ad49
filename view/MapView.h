#pragma once
#include <array>
#include <functional>
#include <memory>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "documents/DocumentHost.h"
#include "platform/Geometry.h"
#include "view/BrowserProperties.h"
#include "view/FrameTileWait.h"
#include "view/History.h"
#include "view/RubberBandObject.h"
#include "view/SmoothZoom.h"
#include "view/TooltipObject.h"
#include "objects/MapObject.h"
#include "objects/ObjectValues.h"
#include "objects/ViewEvent.h"
#include "objects/ViewPrimitives.h"

namespace zolvex {

namespace platform {
class Platform;
}

class BackButton;
class BrowserPropertyRules;
class ClipTools;
class CommandInterpreter;
class CReaderException;
class DocumentFactory;
class KeyHook;
class Magnifier;
class MapDocument;
class MapObject;
class MouseHook;
class NavigationListener;

// The view window: it opens content into its current document, keeps the viewport over
// the document's level pyramid and reports to the control. The drawing primitives belong
// to the renderer that derives from it.
class MapView : public ViewPrimitives, public DocumentHost {
 public:
  using ViewEventHandler = std::function<void(const ViewEvent&)>;
  using ObjectEventHandler = std::function<void(const ObjectEvent&)>;
  using KeyMessageHandler = std::function<void(int key)>;

  static constexpr std::size_t kMaxUrlLength = 8023;
  static constexpr const char* kMessageCaption = "Korvani Zolvex";

  explicit MapView(platform::Platform& platform);
  ~MapView() override;
  MapView(const MapView&) = delete;
  MapView& operator=(const MapView&) = delete;

  // ---- Content opening ----------------------------------------------------------------
  // Opens url (a link command, a media file, a web page or content). Answers the resolved
  // URL of the content opened, or "" when the call did something else or failed; "ext:"
  // and "ext_silent:" URLs come back unchanged and change nothing.
  std::string OpenUrl(const std::string& url, bool resetHistory, int x, int y, int level) override;
  // Opens url later, through the control's queue ("SetContent").
  void QueueContent(const std::string& url, bool recordHistory) override;
  // A reading failure: closes the document, shows the message (unless the page handles
  // errors itself) and tells the listener.
  void ReportError(const CReaderException& error);
  // An error of a document that stays open (its connection broke after loading): the page
  // hears it through OnError; the document is kept. Any thread.
  void ReportErrorAfterLoading(const std::string& message) override;

  void SetNavigationListener(NavigationListener* listener) { listener_ = listener; }
  NavigationListener* GetNavigationListener() const { return listener_; }
  // The control's handlers of posted events; without one, posted events are dropped.
  void SetEventHandlers(ViewEventHandler viewEvents, ObjectEventHandler objectEvents);
  void PostViewEvent(const ViewEvent& event) override;
  void PostObjectEvent(const ObjectEvent& event) override;
  // The control's key handling, which hears the key-down messages that "keyboard:" links
  // post; without one they go to the view's own key handling.
  void SetKeyMessageHandler(KeyMessageHandler handler) { keyMessageHandler_ = std::move(handler); }
  // Posts a key-down message of a key code to the control's window.
  void PostKeyMessage(int key);

  DocumentFactory& GetDocumentFactory() { return *factory_; }
  // The command interpreter: commands, link schemes, automatic play and scrolling.
  CommandInterpreter& Commands() { return *commands_; }
  // The clip frame, the clip panel and the output commands.
  ClipTools& Clipping() { return *clipTools_; }
  // Null restores the built-in factory.
  void SetDocumentFactory(std::unique_ptr<DocumentFactory> factory);

  MapDocument* GetDocument() const override { return document_.get(); }
  // Closes the document without opening another: the view becomes empty.
  void ClearContent();
  bool HasValidDocument() const;
  const std::string& GetCurrentUrl() const { return currentUrl_; }
  // Why the last OpenUrl opened nothing when its URL was not viewer content; empty otherwise.
  const std::string& NotContentReason() const { return notContentReason_; }
  const std::string& GetBaseUrl() const { return baseUrl_; }
  const std::string& GetPreviousBaseUrl() const { return previousBaseUrl_; }
  const std::string& GetPreviousUrl() const { return previousUrl_; }
  const History& GetHistory() const { return history_; }
  History& GetHistory() { return history_; }
  const std::vector<std::string>& GetPageHistory() const { return pageHistory_; }
  // The view lock: serialises document replacement against painting, input and commands.
  std::recursive_mutex& ViewLock() const { return viewLock_; }
  platform::Platform& GetPlatform() override { return platform_; }
  ViewPrimitives& ObjectView() override { return *this; }
  ObjectFactory& Objects() override { return *objects_; }
  std::unique_ptr<MapDocument> OpenSubDocument(const SubDocumentRequest& request) override;
  platform::Platform* PlatformServices() override { return &platform_; }
  bool IsPageAnimationOn() const { return pageAnimation_; }

  // ---- Frame loop --------------------------------------------------------------------
  // New content arrived; the next redraw check draws a frame. Safe from any thread.
  void MarkDirty() override { dirty_ = true; }
  bool IsDirty() const { return dirty_; }
  // The frame's tiles are all in: the redraw check runs at once, through the window's
  // queue, instead of at the next timer.
  void FrameTilesArrived() override;
  // The control's redraw check (it takes the control's lock); without one only the timers
  // draw. Set before a document opens: transport threads read it.
  void SetRedrawCheck(std::function<void()> check) { redrawCheck_ = std::move(check); }
  // False while suspended or while an input handler runs; otherwise the dirty flag.
  bool NeedsRedraw() const;
  // Composes a frame into the back buffer; includeHidden also draws objects hidden for printing.
  // mayHoldBack lets a frame whose tiles are due within moments wait for them (the view
  // stays dirty and the back buffer unchanged until they arrive or the wait ends).
  void DrawFrame(bool includeHidden, bool mayHoldBack = false);
  // The last frame drawn was held back for its tiles: the back buffer is the one before.
  bool FrameHeldBack() const { return frameHeldBack_; }
  platform::Color GetBackgroundColor();
  ViewImage* GetBackgroundImage() const { return backgroundImage_.get(); }
  void SetBackgroundImage(std::unique_ptr<ViewImage> image);
  void SetSuspended(bool suspended) { suspended_ = suspended; }
  bool IsSuspended() const { return suspended_; }
  void SetInputBusy(bool busy) { inputBusy_ = busy; }
  // The draw items of the last frame.
  const std::vector<MapObject*>& VisibleItems() const { return visibleItems_; }
  // Tiles the last frame asked for that have not arrived (drafts count as missing).
  int PendingTileCount() const { return pendingTiles_; }
  // Fills the back buffer with the background colour, then draws the background image.
  virtual void ClearBackground() {}
  // ClearBackground, leaving out the areas the frame's items will paint opaquely.
  virtual void ClearBackgroundAround(const std::vector<platform::Rect>& /*covered*/) { ClearBackground(); }
  // Shows the back buffer in the window.
  virtual void FlushFrame() {}
  // Runs a view command on the window thread; workers use it for what servers ask.
  void PostCommand(const std::string& command, const std::string& argument) override;

  // ---- Page transitions (MapViewTransitions.cpp; the renderer plays them) --------------
  // Keeps the frame now shown as the old page of the next transition.
  virtual void CaptureTransitionSource() {}
  // Plays the transition an "ifx" request names, from the kept frame to the current state.
  virtual void RunTransition(const std::string& /*request*/) {}
  // Built-in sounds 1 to 7 by the identifier of their WAVE resource (0: none); other
  // numbers are ignored.
  void SetSoundResource(int number, int identifier);
  // The page sound the control downloaded ("flipsoundurl"), played instead of sound 7.
  void SetFlipSoundPath(const std::string& path) { flipSoundPath_ = path; }
  const std::string& GetFlipSoundPath() const { return flipSoundPath_; }
  // Drops pending mouse and key input and lets other pending window work run; frames are
  // not presented meanwhile.
  void DrainInput();
  bool IsDrainingInput() const { return drainingInput_; }

  // ---- Input (window pixels; flags: platform::Modifier bits) ---------------------------
  void OnMouseMove(int x, int y, unsigned flags, std::uint64_t time);
  void OnLButtonDown(int x, int y, unsigned flags, std::uint64_t time);
  void OnLButtonUp(int x, int y, unsigned flags, std::uint64_t time);
  void OnRButtonDown(int x, int y, unsigned flags, std::uint64_t time);
  void OnRButtonUp(int x, int y, unsigned flags, std::uint64_t time);
  void OnMouseLeave();
  // Answers whether the key was handled.
  bool OnKeyDown(int key, int repeat, unsigned flags, std::uint64_t time);
  // The topmost object at a window point, or null.
  MapObject* ObjectAt(int x, int y) override;
  void UpdateHover(MapObject* object);
  // A click of kind 1 (left) or 2 (right).
  void Click(int x, int y, unsigned flags, ObjectButton kind);
  // Moves the view's top-left corner to (x, y) of the current level; animate glides there
  // in steps unless "PageAnimation" is "no" (MapViewAnimation.cpp). Without the flag the
  // move glides.
  void ScrollTo(int x, int y) override { ScrollTo(x, y, true); }
  virtual void ScrollTo(int x, int y, bool animate);
  bool IsDragging() const { return dragging_; }
  // The cursor by level: the zoom cursor ("zoom-in" with "UseZoomCursor", else "default")
  // while a further level exists, "default" at the last.
  std::string LevelCursor();
  // Replaces the level cursor, and the window's cursor too while it shows the level cursor.
  void SetLevelCursor(const std::string& cursor);
  // Takes the level cursor afresh and shows it, whatever the window showed.
  void ShowLevelCursor();
  // Downloads a cursor file (relative URLs join the content's base) and shows it; false
  // when it cannot be fetched or read.
  bool LoadCursorFile(const std::string& url);
  // The lens that magnifies the frame around the pointer, made on first use: shown or
  // hidden, and its size.
  void ShowMagnifier(bool shown);
  bool IsMagnifierShown() const;
  void SetMagnifierSize(int width, int height);
  Magnifier* GetMagnifier() const { return magnifier_.get(); }
  // A 24-bit copy of a window rectangle of the frame drawn so far; none without surfaces.
  virtual std::unique_ptr<ViewImage> CaptureImage(int, int, int, int) { return nullptr; }
  // The touch-screen back button (shown while "touchscreen" is "yes" and input comes).
  void ShowBackButton(bool shown);
  bool IsBackButtonShown() const;
  static constexpr std::int64_t kBackButtonIdleMs = 59999;

  // Opens a web link in the user's browser. "(target)" in the link names the window or
  // frame (anything else in the link is the URL, "%26" standing for "&"); without one the
  // default target is used, and without that a new window.
  void NavigateBrowser(const std::string& link, const std::string& defaultTarget = {});

  // ---- Periodic work, tooltips and input hooks ---------------------------------------
  // The control's 100-millisecond tick: animated pages, automatic play and scrolling,
  // tooltips, the zoom area's idle time and the redraw check.
  void OnTick();
  // Hides the shown tooltips and drops the wait for a pending one.
  void HideTooltips();
  // Hooks of the active document; not owned, null removes.
  void SetMouseHook(MouseHook* hook) override { mouseHook_ = hook; }
  MouseHook* GetMouseHook() const override { return mouseHook_; }
  void SetKeyHook(KeyHook* hook) override { keyHook_ = hook; }
  KeyHook* GetKeyHook() const override { return keyHook_; }
  void PressKey(int key) override { OnKeyDown(key, 0, 0, lastEventTime_); }
  int HistoryLength() const override { return static_cast<int>(history_.Entries().size()); }
  // Back to the content shown before, on the page the view left it at.
  void GoBack() override;
  // The time argument of the last mouse or key event the view was given.
  std::uint64_t GetLastEventTime() const { return lastEventTime_; }
  // The view's own objects (tooltips, the selection band): drawn above the document's
  // objects and found by ObjectAt. Not owned by the list.
  const std::vector<MapObject*>& OwnObjects() const { return ownObjects_; }
  // Adds an object (not owned; its owner removes it before destroying it) to the view's own.
  void AddOwnObject(MapObject* object);
  void RemoveOwnObject(MapObject* object);
  // 0 none, 1 simple tooltip, 2 sized tooltip: the kind last shown.
  int TooltipKind() const { return tooltipKind_; }
  // The tooltip box now among the view's own objects, or null.
  const TooltipObject* ShownTooltip() const;
  MapObject* TooltipCandidate() const { return tooltipCandidate_; }
  // The object under the pointer, or null.
  MapObject* HoveredObject() const { return hovered_; }
  bool IsZoomAreaHidden() const { return zoomAreaHidden_; }
  bool IsRubberBandActive() const { return rubberBand_; }
  const RubberBandObject& RubberBand() const { return *rubberBandObject_; }

  // ---- Properties and services for objects -------------------------------------------
  std::string GetBrowserProperty(const std::string& name) override;
  void SetBrowserProperty(const std::string& name, const std::string& value) override;
  // View commands; the command interpreter extends this. The base handles none.
  bool Execute(const std::string& command, const std::string& argument) override;
  void PlayBuiltInSound(int number) override;
  void StopSound() override;
  void InvalidateObject(MapObject& object, bool redraw) override;
  void EndObjectCreation(MapObject& object) override;
  std::optional<DocumentMetrics> GetDocumentMetrics() const override;

  // ---- Viewport -----------------------------------------------------------------------
  int GetViewWidth() const override { return viewWidth_; }
  int GetViewHeight() const override { return viewHeight_; }
  // The view position in pixels of the current level; -1 without a valid document.
  int GetViewportX() const override;
  int GetViewportY() const override;
  // The window size for the host; -1 without a valid document.
  int GetViewportWidth() const;
  int GetViewportHeight() const;
  // The stored position, with or without a document.
  int ViewX() const override { return viewX_; }
  int ViewY() const override { return viewY_; }
  void SetViewSize(int width, int height);

  platform::Rect GetContentRect() const override { return contentRect_; }
  void SetContentRect(int left, int top, int right, int bottom) override;
  // Full-resolution rectangle the content is limited to; a width or height of 0 clears it.
  void SetViewLimit(int x, int y, int width, int height);
  // x, y, width, height of the limit; x = -1 while there is none.
  platform::Rect GetViewLimit() const { return platform::Rect::FromSize(limitX_, limitY_, limitWidth_, limitHeight_); }
  int GetMaxLevel() const { return maxLevel_; }
  int GetMinLevel() const { return minLevel_; }
  double GetPageWidth() const { return pageWidth_; }
  double GetPageHeight() const { return pageHeight_; }
  double GetPageScaleX() const { return pageScaleX_; }
  double GetPageScaleY() const { return pageScaleY_; }
  platform::Size GetPrintPageSize() const { return {printPageWidth_, printPageHeight_}; }
  // A "pagewidth" or "pageheight" write: the page grid takes it at once.
  void TakePageSizeProperty();
  // The picture turns to degrees: a quarter turn more or less exchanges page width and height.
  void TurnPageSize(int degrees);
  bool IsReportingPages() const { return reportPages_; }
  int GetLastReportedPage() const { return lastReportedPage_; }

  void SetPosition(int x, int y, bool redraw, bool report) override;
  void SetViewPosition(int x, int y, bool redraw, bool report) override { SetPosition(x, y, redraw, report); }
  void ValidatePosition(bool report) override;
  // level is 1-based (0 or less keeps the level); mode "center", "abs" or "left".
  void MoveTo(int x, int y, int level, const std::string& mode);
  // x, y in full-resolution pixels, level 1-based.
  void MoveTo2(int x, int y, int level);
  void FitToWindow(bool stretch);
  // x, y in pixels of the current level.
  void ZoomTo(int level, int x, int y, bool keepPoint) override;
  // Brings the point (x, y) of a 0-based level to the middle of the window at that level:
  // zooms out as far as the distance asks, moves, and zooms in again.
  void PanTo(int x, int y, int level);
  // x, y in window pixels; direction 1 zooms in, 2 zooms out.
  void ZoomAt(int x, int y, int direction) override;
  // One level in (out) around the middle of the window, within the level limits.
  bool ZoomIn();
  bool ZoomOut();
  // The 1-based page at a point of the current level ((-1, -1): the top-left corner), or -1.
  int PageAt(int x, int y) override;
  bool PageOrigin(int page, int& x, int& y) override;
  // Pages of the "pagechanged" report.
  int PageCount();

  // Host conversions: levels counted from 1; -1 without a valid document.
  int GetLevelCount() const;
  int GetCurrentLevel() const;
  int GetMapWidth(int level) const;
  int GetMapHeight(int level) const;

 protected:
  // Runs a link command ("goto:", "exec:", ...) through the command interpreter.
  virtual void RunLinkCommand(const std::string& url);
  // Repaints the window; the renderer draws the frame.
  void Redraw() override;
  // Restricts drawing to an area of the window, and lifts the restriction.
  virtual void ClipDrawing(const platform::Rect&) {}
  virtual void ResetDrawingClip() {}
  // Moves the view's corner without validation: a renderer that draws a region of another
  // level places the items with it, and puts the corner back afterwards.
  void SetOriginUnchecked(int x, int y) {
    viewX_ = x;
    viewY_ = y;
  }
  // The zoom animations a frame starts before it is composed; the renderer plays them.
  virtual void AnimateZoomIn(const ZoomRequest&) {}
  virtual void AnimateZoomOut(const ZoomRequest&) {}
  void DrawCenterMarker();
  // Waits (at most 1999 ms) for the tiles of the view to arrive, then plays the transition.
  void PlayRequestedTransition(const std::string& request);
  // Polls every 20 ms, draining input, while the document still loads tiles, for at most
  // 1999 ms.
  void WaitForPendingTiles();

 private:
  struct PendingPosition {
    bool set = false;
    int x = 0;
    int y = 0;
    int level = 0;
    std::string mode;
  };

  void ShowMessageFileErrors();
  std::string LoadDocument(const std::string& url);
  void CloseDocument();
  void ClearDragState();
  void CloseMediaWindow();
  void HandToBrowser(const std::string& url);
  void ForgetDocumentPageSize();
  void CopyPageSize();
  void CopyPageSide(const char* name, double scale, double& side, int viewSide);
  void SetPrintPageSize();
  void ApplyPendingPosition();
  void FitIfAsked();
  std::string FallBack();
  void ReportPage();
  std::string ErrorBoxText(const std::string& message);
  void UpdateLevelLimits(const std::string& name, const std::string& value);
  bool ContentRectInUse() const { return contentRect_.right - contentRect_.left > 0; }
  int DocumentOffset(const std::string& offset, double scale);
  int PageWidthAtLevel() const;
  int PageHeightAtLevel() const;

  // Animated moves (MapViewAnimation.cpp).
  // Moves to (x, y) with a redraw and shows the frame at once: one step of an animation.
  void ShowAnimationStep(int x, int y, bool report);
  // Pans the page under (x, y) into the window; answers the page's middle, or (x, y)
  // when there is no page there.
  platform::Point SnapZoomPan(int x, int y);
  void RunSnapPan(platform::Point shift);
  // The settings that allow a zoom animation from a view position.
  bool SmoothZoomAllowed(int fromX, int fromY);
  void RequestZoomIn(int x, int y, platform::Point old, double ratioX, double ratioY);
  void RequestZoomOut(platform::Point old, double oldScaleX, double oldScaleY);
  void StartPendingZoom();
  // Windowed objects held still while the picture moves are let go.
  void ResumeWindowedItems();

  platform::Platform& platform_;
  std::unique_ptr<DocumentFactory> factory_;
  std::unique_ptr<ObjectFactory> objects_;
  std::unique_ptr<CommandInterpreter> commands_;
  std::unique_ptr<BrowserPropertyRules> propertyRules_;
  std::unique_ptr<ClipTools> clipTools_;
  std::unique_ptr<MapDocument> document_;
  mutable std::recursive_mutex viewLock_;
  BrowserProperties properties_;
  NavigationListener* listener_ = nullptr;
  ViewEventHandler viewEventHandler_;
  ObjectEventHandler objectEventHandler_;
  KeyMessageHandler keyMessageHandler_;

  std::string currentUrl_;
  std::string notContentReason_;
  std::string baseUrl_;
  std::string previousBaseUrl_;
  std::string previousUrl_;
  int previousX_ = 0;
  int previousY_ = 0;
  int previousLevel_ = 0;
  History history_;
  std::vector<std::string> pageHistory_;
  PendingPosition pending_;
  std::vector<MapObject*> visibleItems_;
  bool mediaPlaying_ = false;
  bool pageAnimation_ = false;
  std::atomic<bool> dirty_ = false;
  bool suspended_ = false;
  bool inputBusy_ = false;
  int pendingTiles_ = 0;
  platform::Point lastMouse_{-1000, -1000};
  bool dragging_ = false;
  bool deadZone_ = false;
  platform::Point dragStart_{-100, -100};
  std::int64_t pressTime_ = -1;
  platform::Point rightPress_{-100, -100};
  MapObject* hovered_ = nullptr;
  // Among the visible items of the last frame or the view's own objects.
  bool IsListed(MapObject* object) const;
  bool IsOwnObject(MapObject* object) const;
  void DrawOwnObjects(bool includeHidden);
  // Level notices to the items that ask for them.
  void GiveLevelNotices(const std::vector<MapObject*>& items);
  std::vector<MapObject*> activeItems_;  // of the frame being drawn
  // New content: no tooltip, selection band or multi-selection carries over.
  void ForgetPointerState();
  std::int64_t NowMs() const;

  // Input steps (MapViewInput.cpp).
  bool MoveTooltipWithPointer(int x, int y);
  void CapPlayTicks();
  void EditObjectOnPress(MapObject* object);
  void StartRubberBand(int x, int y);
  void ResizeRubberBand(int x, int y, unsigned flags);
  void SelectInRubberBand(unsigned flags);
  void ToggleSelection(MapObject* object);
  void SnapToPage();
  bool HandleKey(int key, unsigned flags);
  void StepByPage(int key);
  void DeleteEditedObject();
  bool InPageMode();

  // Tick steps (MapViewTick.cpp).
  bool AdvanceAnimatedPage();
  void RunAutomaticPlay();
  bool RunAutomaticScroll();
  void ShowPendingTooltip();
  void ShowSimpleTooltip(const std::string& text);
  void ShowSizedTooltip(const std::string& text);
  bool CountZoomAreaIdle();

  MouseHook* mouseHook_ = nullptr;
  KeyHook* keyHook_ = nullptr;
  std::uint64_t lastEventTime_ = 0;
  std::int64_t lastInputTime_ = 0;
  std::vector<MapObject*> ownObjects_;
  MapObject* tooltipCandidate_ = nullptr;
  std::int64_t hoverStart_ = -1;
  std::string lastTooltipText_;
  int tooltipKind_ = 0;
  std::unique_ptr<TooltipObject> simpleTooltip_ = std::make_unique<TooltipObject>();
  std::unique_ptr<TooltipObject> sizedTooltip_ = std::make_unique<TooltipObject>();
  platform::Point tooltipAnchor_{-1000, -1000};
  int zoomAreaIdle_ = 0;
  bool zoomAreaHidden_ = false;
  bool rubberBand_ = false;
  std::unique_ptr<RubberBandObject> rubberBandObject_ = std::make_unique<RubberBandObject>();
  void ApplyCursor(const std::string& cursor);
  bool PanWithPointer(int x, int y);
  void ShowPointerCursor(MapObject* object, int x, int y);
  std::string levelCursor_ = "default";
  void ShowBackButtonOnTouch();
  bool HideIdleBackButton();
  std::unique_ptr<BackButton> backButton_;
  Magnifier& EnsureMagnifier();
  // Draws the magnifier once per frame, when it is shown.
  void DrawMagnifierOnce();
  std::unique_ptr<Magnifier> magnifier_;
  bool magnifierDrawn_ = false;
  std::string cursorFile_;  // the downloaded cursor now in use, removed when replaced
  static void RemoveCursorFile(const std::string& file);
  int maxPendingTiles_ = 0;
  std::unique_ptr<ViewImage> backgroundImage_;
  std::array<int, 7> soundResources_{};
  std::string flipSoundPath_;
  bool drainingInput_ = false;
  void DrawItems(const std::vector<MapObject*>& items, MapObject::DrawLayer layer, bool includeHidden);
  static std::vector<platform::Rect> OpaqueImageAreas(const std::vector<MapObject*>& items, const platform::Rect& clip);
  void DrawProgressBar();
  void DrawSelection();
  void DrawZoomArea();
  // Tasks posted to the window check it: they may run after the view is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  std::function<void()> redrawCheck_;
  std::atomic<bool> redrawCheckPosted_ = false;
  // Frames held back for tiles due within moments; the timer composes a held frame when
  // its wait ends (timers 1-5 are the control's).
  static constexpr int kTileWaitTimer = 6;
  FrameTileWait tileWait_;
  bool frameHeldBack_ = false;
  bool HoldForTiles(bool mayHold);

  int viewX_ = 0;
  int viewY_ = 0;
  int viewWidth_ = 0;
  int viewHeight_ = 0;
  int maxLevel_ = -1;
  int minLevel_ = -1;
  platform::Rect contentRect_;
  int limitX_ = -1;  // -1: no limit
  int limitY_ = 0;
  int limitWidth_ = 0;
  int limitHeight_ = 0;
  double pageWidth_ = 0.0;
  double pageHeight_ = 0.0;
  double pageScaleX_ = 1.0;
  double pageScaleY_ = 1.0;
  int pageTurn_ = 0;  // the rotation the page size was last turned to
  int printPageWidth_ = -1;
  int printPageHeight_ = -1;
  bool reportPages_ = true;
  int lastReportedPage_ = -1;
  ZoomRequest zoomRequest_;
};

}  // namespace zolvex
