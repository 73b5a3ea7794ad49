#pragma once
#include <map>
#include <optional>
#include <string>

#include "objects/ObjectValues.h"
#include "platform/Geometry.h"
#include "objects/ViewPrimitives.h"

namespace zolvex {

namespace platform {
class Canvas;
}

class MapObject;

// Receives the raw mouse notifications of the objects it listens to ("ldown", "lup",
// "rdown", "rup", "mmove") with the two mouse arguments. Interface pieces built out of
// objects (toolbars, panels, page-mode buttons) act on them.
class ObjectListener {
 public:
  virtual ~ObjectListener() = default;
  virtual void OnObjectMouse(MapObject& object, const std::string& notification, unsigned flags,
                             platform::Point point) = 0;
};

// An overlay object drawn over the image. Its rectangle is held in content coordinates
// (full-resolution pixels, or a virtual space of its own stretched over the content), or,
// for an object in screen coordinates, in screen pixels. Each mapping stores the screen
// rectangle; drawing and hit-testing use only that.
//
// Properties set by scripting stay pending (and readable) until CommitProperties applies
// them; the pending map is never emptied, so every commit applies them again.
class MapObject {
 public:
  // Where a draw item belongs in the frame: the image (clipped to the content, drawn
  // first) or the overlay above it (drawn by level range and stacking order).
  enum class DrawLayer { Image, Overlay };

  MapObject(int x, int y, int width, int height);
  virtual ~MapObject();
  MapObject(const MapObject&) = delete;
  MapObject& operator=(const MapObject&) = delete;

  // ---- Serialisation and properties ---------------------------------------------------
  // The object's XMML element; empty for objects that have none.
  virtual std::string GetXml() const;
  // Stores a pending value under the lower-cased name; changes nothing else.
  void SetProperty(const std::string& name, const std::string& value);
  // The pending value, else the built-in value, else "".
  virtual std::string GetProperty(const std::string& name) const;
  // Applies the properties (pending values win); true when anything was applied.
  virtual bool CommitProperties();
  const std::map<std::string, std::string>& GetPendingProperties() const { return pending_; }

  virtual int GetTransparency() const { return transparency_; }
  virtual void SetTransparency(int transparency) { transparency_ = transparency; }
  ObjectListener* GetListener() const { return listener_; }
  void SetListener(ObjectListener* listener) { listener_ = listener; }

  // ---- State queries ------------------------------------------------------------------
  virtual bool IsCapturingMouse() const { return false; }
  // Asks for level notices: the view gives it OnLevelNotice after each frame and level change.
  virtual bool IsActive() const { return false; }
  virtual void OnLevelNotice(int /*level*/) {}
  // Left out of frames drawn without the hidden objects (printing, saving); the view does
  // not scroll to it either.
  virtual bool IsHiddenForPrinting() const { return false; }
  // Hides itself when a frame finds it outside its levels.
  virtual bool HidesOutsideItsLevels() const { return false; }
  // A frame begins: marks and texts kept for one frame are dropped.
  virtual void ResetFrameState() {}
  virtual bool IsVisible() const { return visible_; }
  // Whether the object is drawn at a 0-based level index.
  virtual bool IsShownAtLevel(int level) const;
  virtual void SetVisible(bool visible) { visible_ = visible; }
  // 0-based limits, -1 = no limit; stored unchanged.
  virtual void SetLevelRange(int minLevel, int maxLevel);
  int GetMinLevel() const { return minLevel_; }
  int GetMaxLevel() const { return maxLevel_; }
  virtual void Suspend() { suspended_ = true; }
  virtual void Resume() { suspended_ = false; }
  virtual bool IsSuspended() const { return suspended_; }
  virtual bool IsWindowed() const { return false; }

  // ---- Rendering into another target --------------------------------------------------
  // mode: 0 normal, below 0 remap the anchored position, above 0 remap the visual one.
  virtual void BeginRemap(int mode);
  virtual void EndRemap() { renderMode_ = 0; }
  // Around the capture of a frame for a transition; windowed objects freeze their window.
  virtual void BeginCapture() {}
  virtual void EndCapture() {}
  virtual void UpdateVisualRect();
  virtual void DrawRemapped(const platform::Rect& reference);
  int GetRenderMode() const { return renderMode_; }
  const platform::Rect& GetReferenceRect() const { return referenceRect_; }
  virtual bool CanRenderToDevice() const { return false; }
  // Draws the object into a device for saving or printing; (dx, dy) is the device's
  // origin in displayed pixels of the level.
  virtual void RenderToDevice(platform::Canvas& device, int dx, int dy, int width, int height, int level);

  // ---- Commands and mouse -------------------------------------------------------------
  // Cursor name over the object's link area; "" = none.
  virtual std::string GetObjectCursor() const { return {}; }
  virtual bool ExecuteCommand(const std::string& name, const std::string& value);
  virtual void OnMouseMove(unsigned flags, platform::Point point);
  virtual void OnLButtonUp(unsigned flags, platform::Point point);
  virtual void OnLButtonDown(unsigned flags, platform::Point point);
  virtual void OnRButtonUp(unsigned flags, platform::Point point);
  virtual void OnRButtonDown(unsigned flags, platform::Point point);
  virtual void OnMouseExit();
  virtual void OnMouseEnter();
  // A completed click; button 1 left, 2 right.
  virtual void OnClick(platform::Point point, int button);
  virtual void OnClickWithOption(platform::Point point, int button, const std::string& option);

  // ---- Drawing and hit-testing --------------------------------------------------------
  // Updates the screen rectangle and draws the selection frame when selected. Subclasses
  // draw their content first and then call this.
  virtual void Draw();
  virtual DrawLayer GetDrawLayer() const { return DrawLayer::Overlay; }
  // The screen area that drawing this item now would cover with opaque pixels, if it is
  // sure to: the frame leaves its background unpainted there. Placed for the coming
  // frame, so it is asked after the item has its view.
  virtual std::optional<platform::Rect> OpaqueScreenArea() { return std::nullopt; }
  virtual bool HasLinkAt(int x, int y) const;
  virtual bool AllowsViewDrag(int x, int y) const;
  virtual bool IsClickThroughAt(int x, int y) const;
  // True for a point inside the screen rectangle: left and top edges in, right and bottom out.
  virtual bool HitTest(int x, int y) const;
  // False without a view or document; true for an object in screen coordinates; else
  // whether the screen rectangle touches the displayed content.
  bool IsOnScreen() const;

  // ---- Placement ----------------------------------------------------------------------
  virtual ViewPrimitives* GetView() const { return view_; }
  // Stores the view (not owned) and maps the rectangle.
  virtual void SetView(ViewPrimitives* view);
  // Maps the rectangle to the screen.
  virtual void UpdateScreenRect();
  // The inverse: the rectangle from the screen rectangle after a move or resize.
  virtual void UpdateFromScreenRect();
  // One coordinate of a point of the object on the screen; -1 when it cannot be mapped.
  virtual int MapXToScreen(int x) const;
  virtual int MapYToScreen(int y) const;
  // Single points for interactive editing: screen to content and back; nothing without a
  // view or a document.
  std::optional<platform::Point> ScreenToContent(platform::Point screen) const;
  std::optional<platform::Point> ContentToScreen(platform::Point content) const;

  // ---- Fields -------------------------------------------------------------------------
  int GetX() const { return x_; }
  int GetY() const { return y_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  void SetRect(int x, int y, int width, int height);
  int GetScreenX() const { return screenX_; }
  int GetScreenY() const { return screenY_; }
  int GetScreenWidth() const { return screenWidth_; }
  int GetScreenHeight() const { return screenHeight_; }
  platform::Rect GetScreenRect() const {
    return platform::Rect::FromSize(screenX_, screenY_, screenWidth_, screenHeight_);
  }
  void SetScreenRect(int x, int y, int width, int height);
  platform::Rect GetVisualRect() const {
    return platform::Rect::FromSize(visualX_, visualY_, visualWidth_, visualHeight_);
  }
  int GetVirtualWidth() const { return virtualWidth_; }
  int GetVirtualHeight() const { return virtualHeight_; }
  void SetVirtualSize(int width, int height);
  platform::Point GetScreenOffset() const { return {screenOffsetX_, screenOffsetY_}; }
  void SetScreenOffset(int x, int y);
  int GetAlignment() const { return alignment_; }
  void SetAlignment(int alignment) { alignment_ = alignment; }
  bool IsScreenCoordinates() const { return screenCoordinates_; }
  void SetScreenCoordinates(bool on) { screenCoordinates_ = on; }
  int GetBasePage() const { return basePage_; }
  void SetBasePage(int page) { basePage_ = page; }
  int GetLayer() const { return layer_; }
  void SetLayer(int layer) { layer_ = layer; }
  int GetId() const { return id_; }
  void SetId(int id) { id_ = id; }
  bool IsSilentLink() const { return silentLink_; }
  const std::string& GetTooltip() const { return tooltip_; }
  void SetTooltip(const std::string& tooltip) { tooltip_ = tooltip; }
  const std::string& GetTooltipSize() const { return tooltipSize_; }
  bool IsEditing() const { return editing_; }
  void SetEditing(bool on) { editing_ = on; }
  bool IsSelected() const { return selected_; }
  void SetSelected(bool on) { selected_ = on; }
  bool IsBeingCreated() const { return beingCreated_; }
  void SetBeingCreated(bool on) { beingCreated_ = on; }
  bool AllowsEditing() const { return allowEditing_; }
  void SetAllowEditing(bool on) { allowEditing_ = on; }
  bool IsSelectable() const { return selectable_; }
  void SetSelectable(bool on) { selectable_ = on; }
  const std::string& GetEnterAction() const { return enterAction_; }
  void SetEnterAction(const std::string& action) { enterAction_ = action; }
  const std::string& GetExitAction() const { return exitAction_; }
  void SetExitAction(const std::string& action) { exitAction_ = action; }
  bool IsEventListening() const { return eventListening_; }
  void SetEventListening(bool on) { eventListening_ = on; }

 protected:
  // Applies the integer value of a property that is not empty; true when the field changed.
  bool CommitInteger(const char* name, int& field) { return ApplyInteger(GetProperty(name), field); }
  static bool ApplyInteger(const std::string& value, int& field);
  // The pending value of a lower-case name, "" when none is pending (built-in values are
  // not consulted).
  std::string PendingValue(const std::string& name) const;
  // Passes a raw mouse notification to the listener, when there is one.
  void NotifyListener(const char* notification, unsigned flags, platform::Point point);
  // Runs the enter or exit action and posts the matching event to the host.
  void RunPointerAction(const std::string& action, const char* eventName);
  // Posts an ObjectEvent with this object's ID when event listening is on and there is a view.
  void PostEvent(const char* name);
  void SetSilentLink(bool on) { silentLink_ = on; }
  // The shown document's sizes and scales; nothing without a view or a document.
  std::optional<DocumentMetrics> ViewMetrics() const;
  // Where a press places an object being created: the content point of the press (the
  // press itself in screen coordinates), moved by the browser properties limitx and limity
  // unless limitx is -1. Nothing without a view or a document.
  std::optional<platform::Point> CreationPoint(platform::Point press) const;
  // Posts "donecreatingobject" with the object's ID to the host.
  void PostDoneCreating();

 private:
  bool IsAnchored() const;
  bool IsCenterAnchored() const;
  // Content-coordinate placement of one axis (R((p + size/2)·C·s/V − screenSize/2)).
  static int MapContentAxis(int p, int size, int contentSize, double scale, int virtualSize, int screenSize);
  platform::Point AnchorPoint(const DocumentMetrics& metrics) const;
  platform::Point RemapPosition(platform::Point anchored) const;
  // Right and bottom alignment of a mapped coordinate; raw is the unmapped one, which an
  // object in screen coordinates measures from the view's right or bottom edge.
  int AlignX(int mapped, int raw) const;
  int AlignY(int mapped, int raw) const;
  void UpdateFromScreenRectContent(const DocumentMetrics& metrics);
  void UpdateFromScreenRectScreen();
  // x (or y) of an anchored object whose anchor maps to the given screen coordinate.
  static int InverseAnchorAxis(int screen, int contentSize, double scale, int virtualSize, int viewOrigin, int offset);
  bool CommitText(const char* name, std::string& field);
  int PendingInt(const char* name) const;

  int basePage_ = -1;
  int screenOffsetX_ = 0;
  int screenOffsetY_ = 0;
  ViewPrimitives* view_ = nullptr;
  bool visible_ = true;
  int minLevel_ = -1;
  int maxLevel_ = -1;
  int layer_ = 1;
  int height_;
  int width_;
  int y_;
  int x_;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
  int screenX_ = 0;
  int screenY_ = 0;
  int virtualHeight_ = -1;
  int virtualWidth_ = -1;
  int visualX_ = 0;
  int visualY_ = 0;
  int visualWidth_ = 0;
  int visualHeight_ = 0;
  int alignment_ = 0;
  bool screenCoordinates_ = false;
  bool suspended_ = false;
  int transparency_ = 0;
  bool silentLink_ = false;
  std::string tooltipSize_;
  ObjectListener* listener_ = nullptr;
  int id_ = -1;
  std::map<std::string, std::string> pending_;
  std::string tooltip_;
  bool editing_ = false;
  bool selected_ = false;
  bool beingCreated_ = false;
  bool allowEditing_ = false;
  bool selectable_ = false;
  std::string enterAction_;
  std::string exitAction_;
  int renderMode_ = 0;
  platform::Rect referenceRect_;
  bool eventListening_ = false;
};

}  // namespace zolvex
