#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "view/PluginHost.h"

namespace zolvex {

class MapDocument;
class MapObject;
class MapView;

// The view's command language: commands with one text argument ("zoomin", "nextpage",
// "limit", "SelectObject", ...) and the link strings that name commands ("goto:", "exec:",
// "menu:", ...). The document hears every command first; what it does not handle runs
// here under the view lock. It also keeps the state those commands steer: automatic page
// play and scrolling, the object being created, multi-selection and the loaded plug-ins.
class CommandInterpreter {
 public:
  static constexpr int kDefaultPlayDelay = 5;

  explicit CommandInterpreter(MapView& view);
  ~CommandInterpreter();
  CommandInterpreter(const CommandInterpreter&) = delete;
  CommandInterpreter& operator=(const CommandInterpreter&) = delete;

  // Runs a command (names in any case); answers whether it was handled.
  bool Execute(const std::string& command, const std::string& argument);
  // Runs a link that names a command. Answers false when url is no such link (or too short
  // to be one) and is to be opened as content instead.
  bool RunLink(const std::string& url);

  // ---- State the commands steer -------------------------------------------------------
  bool IsPlaying() const { return playing_; }
  int PlayDelay() const { return playDelay_; }
  void SetPlayDelay(int delay) { playDelay_ = delay; }
  // Timer ticks counted since playing started.
  int PlayTicks() const { return playTicks_; }
  void SetPlayTicks(int ticks) { playTicks_ = ticks; }
  platform::Point AutoScrollSpeed() const { return autoScroll_; }
  // The ID of the object being created, -1 when none.
  int CreatingObjectId() const { return creatingId_; }
  // The object being created is finished: creation mode ends and the object stays.
  void FinishCreatingObject(int id) {
    if (id == creatingId_) creatingId_ = -1;
  }
  // Multi-selection with Ctrl-click ("SelectObjects" "start").
  bool KeepsSelection() const { return keepStates_; }
  std::vector<std::string>& SelectedObjectIds() { return selectedIds_; }
  bool ExitRequested() const { return exitRequested_; }
  PluginHost& Plugins() { return plugins_; }

  // Repaints the view with its position unchanged.
  void Redraw();
  // Clears the edit mark of every item the last frame drew.
  void ClearEditMarks();

 private:
  using Handler = bool (CommandInterpreter::*)(const std::string& argument);
  static const std::map<std::string, Handler>& Handlers();

  // Links.
  void RunGoto(const std::string& url);
  void RunExecLink(const std::string& text);
  void PostKey(const std::string& text);

  // Navigation and zoom.
  bool Reset(const std::string& argument);
  bool ZoomIn(const std::string& argument);
  bool ZoomOut(const std::string& argument);
  bool PanTo(const std::string& argument);
  bool DragTo(const std::string& argument);
  bool Back(const std::string& argument);
  bool Limit(const std::string& argument);
  bool Rotate(const std::string& argument);
  bool Wheel(const std::string& argument);
  bool AutoScroll(const std::string& argument);
  bool AutoPlay(const std::string& argument);
  bool StopAudio(const std::string& argument);
  bool MagnifierCommand(const std::string& argument);
  bool Clear(const std::string& argument);

  // Pages and scrolling.
  bool NextPage(const std::string& argument);
  bool PrevPage(const std::string& argument);
  bool UpPage(const std::string& argument);
  bool DownPage(const std::string& argument);
  bool GotoPage(const std::string& argument);
  bool SnapLeft(const std::string& argument);
  bool SnapRight(const std::string& argument);
  bool ScrollLeft(const std::string& argument);
  bool ScrollRight(const std::string& argument);
  bool ScrollUp(const std::string& argument);
  bool ScrollDown(const std::string& argument);

  // Objects.
  bool SelectObject(const std::string& argument);
  bool SelectNextObject(const std::string& argument);
  bool GotoNextObject(const std::string& argument);
  bool SelectObjects(const std::string& argument);
  bool ObjectExec(const std::string& argument);
  bool CreateObject(const std::string& argument);
  bool CancelCreateObject(const std::string& argument);
  bool AddPlugin(const std::string& argument);

  // Helpers.
  void PostEvent(const std::string& name, const std::string& param1, const std::string& param2);
  void PostPageEvent(const std::string& name, const std::string& argument);
  MapDocument* ValidDocument() const;
  bool HasPageGrid() const;
  bool IsReversed();
  int CurrentPage();
  bool IsPlausiblePage(int page);
  bool StepToNextObject();
  // Where the view would rest for a wanted position, without moving it.
  platform::Point ValidatedPosition(int x, int y);
  void Jump(long long x, long long y);
  void ScrollToClamped(long long x, long long y);
  platform::Point ScrollStep();
  void RunScrollStep(const std::string& direction);
  bool SetLimit(long long x, long long y, long long width, long long height, bool present);

  MapView& view_;
  PluginHost plugins_;
  bool playing_ = false;
  int playTicks_ = 0;
  int playDelay_ = kDefaultPlayDelay;
  platform::Point autoScroll_{0, 0};
  int creatingId_ = -1;
  bool keepStates_ = false;
  std::vector<std::string> selectedIds_;
  bool exitRequested_ = false;
};

}  // namespace zolvex
