#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "control/ControlEvent.h"
#include "control/ControlProperties.h"
#include "control/Zolvex2.h"
#include "platform/Dialogs.h"
#include "platform/Surface.h"
#include "platform/WindowHost.h"
#include "view/NavigationListener.h"

namespace zolvex {

namespace platform {
class Platform;
}

class ControlLogo;
class ControlSite;
class ControlToolbar;
class FlipMapView;
class MapObject;
class PropertyBag;
struct ObjectEvent;
struct ViewEvent;

// The embeddable control that a page creates: it owns one view, keeps the control's
// properties as strings and hands them to the view, answers the page's method calls and
// fires the events of its event interface. Everything runs on the window thread; the page
// reaches the control only from there.
class CZolvexCtrl : public platform::WindowListener, public NavigationListener {
 public:
  static constexpr int kToolbarTimer = 2;
  static constexpr std::uint32_t kToolbarPeriodMs = 500;
  static constexpr int kRedrawTimer = 3;
  static constexpr std::uint32_t kRedrawPeriodMs = 300;
  static constexpr int kTickTimer = 4;
  static constexpr std::uint32_t kTickPeriodMs = 100;
  static constexpr const char* kProfileSection = "Zolvex Control 1.1";
  static constexpr const char* kPageSetupKey = "Software\\Microsoft\\Internet Explorer\\PageSetup";
  static constexpr int kDefaultWidth = 640;
  static constexpr int kDefaultHeight = 480;

  // site (may be null, not owned) is the page holding the control.
  explicit CZolvexCtrl(ControlSite* site = nullptr);
  ~CZolvexCtrl() override;
  CZolvexCtrl(const CZolvexCtrl&) = delete;
  CZolvexCtrl& operator=(const CZolvexCtrl&) = delete;

  // The host's handler of the events; null drops them.
  void SetEventSink(ControlEventSink* sink) { sink_ = sink; }

  // ---- Persistence ----------------------------------------------------------------------
  void LoadProperties(const PropertyBag& bag);
  void SaveProperties(PropertyBag& bag) const;
  bool IsModified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // ---- Lifecycle ------------------------------------------------------------------------
  // Creates the view in the platform's window, hands it the properties, opens Url and fires
  // "created". The platform outlives the control window.
  void CreateControlWindow(platform::Platform& platform);
  // Closes the document, destroys the view and restores the page-setup values.
  void DestroyControlWindow();
  FlipMapView* View() const { return view_.get(); }

  // ---- Properties (dispatch names, any case) -------------------------------------------
  // The value; none for a name that is no property of the control.
  std::optional<std::string> GetProperty(const std::string& name) const;
  // Raises AutomationError for a bad yes/no value; false for an unknown name.
  bool SetProperty(const std::string& name, const std::string& value);
  Zolvex2& GetZolvex2() { return zolvex2_; }

  // ---- Methods --------------------------------------------------------------------------
  void MoveTo(int x, int y, int level);
  void SetContent(const std::string& url);
  void ProcessEvent(const std::string& type, long long param1, long long param2, long long param3,
                    long long param4);
  int GetLevelCount() const;
  int GetMapWidth(int level) const;
  int GetCurrentLevel() const;
  int GetViewportX() const;
  int GetViewportY() const;
  int GetViewportWidth() const;
  int GetViewportHeight() const;
  int GetMapHeight(int level) const;
  std::string GetBrowserProperty(const std::string& name) const;
  void SetBrowserProperty(const std::string& name, const std::string& value);
  std::string GetCurrentURL() const;
  int SetObjectProperty(int objectId, const std::string& name, const std::string& value);
  int CommitObjectProperty(int objectId);
  int AddObject(const std::string& objectType, const std::string& parameter);
  int RemoveObject(int objectId);
  void Execute(const std::string& action, const std::string& param);
  void Repaint();
  void MoveTo2(int x, int y, int level);
  std::string QueryObject(int x1, int y1, int x2, int y2, int angle) const;
  std::string GetObjectProperty(int objectId, const std::string& name) const;
  int GetSelectedObjectID() const;
  int GetObjectIDByName(const std::string& name) const;
  std::string GetObjectIDList() const;
  std::string AddXMML(const std::string& xml);
  void SetPrintProp(const std::string& header, const std::string& footer, const std::string& marginLeft,
                    const std::string& marginTop, const std::string& marginRight, const std::string& marginBottom);
  void ResetPrintProp();

  // ---- Window messages -----------------------------------------------------------------
  void OnSize(platform::Size size) override;
  const platform::Surface* OnPaint() override;
  void OnMouse(const platform::MouseEvent& event) override;
  void OnWheel(const platform::WheelEvent& event) override;
  void OnKey(const platform::KeyEvent& event) override;
  // A key-down message: the page hears it, then the control's shortcuts or the view act.
  void OnKeyDown(int key, unsigned flags);

  // ---- What the view reports -----------------------------------------------------------
  void OnLoading(const std::string& url) override;
  void OnFollowLink(const std::string& url) override;
  void OnLoaded(const std::string& url) override;
  void OnError(const CReaderException& error) override;
  void OnViewEvent(const ViewEvent& event);
  void OnObjectEvent(const ObjectEvent& event);

  // ---- Pieces the host and tests look at ------------------------------------------------
  bool IsToolbarShown() const;
  bool IsMouseWheelEnabled() const { return mouseWheel_; }
  bool IsMagnifierShown() const { return magnifier_; }
  bool DrawsThroughBitmap() const { return dibPrint_; }
  // The help text of F1: the version and the mouse and key functions.
  std::string HelpText() const;
  // The connection-settings dialog; true when it was confirmed with a change.
  bool RunSetup();
  const ControlLogo& Logo() const { return *logo_; }
  ControlToolbar& Toolbar() { return *toolbar_; }

 private:
  struct RememberedMove {
    int x = 0;
    int y = 0;
    int level = 0;
    bool fullResolution = false;
  };

  void Fire(const std::string& name, int dispatchId, std::vector<EventArgument> arguments);
  void FireBrowserEvent(const std::string& name, const std::string& param1, const std::string& param2);
  void MarkModified() { modified_ = true; }
  bool HasReadyDocument() const;
  MapObject* FindObject(int objectId) const;

  // Property writes.
  void ApplyProperty(const ControlPropertySpec& spec, const std::string& value);
  void ApplyBackgroundImage(const std::string& value);
  void ApplyBackgroundColor(const std::string& value);
  void ApplyLogoLocation(const std::string& value);
  void ApplyDefaultLanguage(const std::string& value);
  void ShowToolbar(bool shown);

  // Lifecycle steps.
  void PassPropertiesToView();
  void StartTimers();
  void RedrawIfDirty();
  void StopTimers();
  std::string ResolveAgainstPage(const std::string& url) const;
  void ApplyRememberedMove();

  // Input.
  bool FireMouseEvent(const char* name, int dispatchId, int x, int y, unsigned flags);
  void ToggleSnapPage();
  bool HandleShortcut(int key, unsigned flags);
  bool ClippingAllowed() const;
  bool HandleControlClick(platform::Point point, bool down);
  void AskForUrl();
  void ShowHelp();
  void RunToolbarCommand(int command);
  void ApplyConnectionSettings(const std::vector<platform::FormField>& fields);
  void Reset(const ViewEvent& event);
  void SaveClip();
  void ShowConnectingNotice();
  void PlaceOnPage(MapObject& object);

  // Drawing.
  const platform::Surface* ComposeFrame(const platform::Surface* viewFrame);

  ControlSite* site_;
  ControlEventSink* sink_ = nullptr;
  ControlProperties properties_;
  Zolvex2 zolvex2_;
  bool modified_ = false;
  platform::Platform* platform_ = nullptr;
  std::unique_ptr<FlipMapView> view_;
  std::unique_ptr<ControlToolbar> toolbar_;
  std::unique_ptr<ControlLogo> logo_;
  std::unique_ptr<platform::Surface> composed_;
  mutable std::recursive_mutex lock_;
  std::optional<RememberedMove> rememberedMove_;
  bool mouseWheel_ = true;
  bool magnifier_ = false;
  bool dibPrint_ = false;
  bool printPropsChanged_ = false;
  std::map<std::string, std::string> savedPrintProps_;
  // Tasks posted to the window check it: they may run after the control is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace zolvex
