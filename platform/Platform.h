#pragma once
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/MediaPlayer.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/WindowHost.h"

namespace zolvex::platform {

class ScriptedResponder;
class RecordingServices;

enum class Backend { Headless, Gtk, Web };

struct PlatformOptions {
  Backend backend = Backend::Headless;
  int width = 1024;
  int height = 768;
  std::string title = "Zolvex";
  // Settings file of the current user; empty takes the default under the XDG config folder.
  std::string settingsFile;
  std::string machineSettingsFile;
  // Headless only: a clock the tests advance. Null takes the real clock.
  std::shared_ptr<Clock> clock;
  // Web only: the id of the page's canvas element the window draws on.
  std::string canvasId;
};

// Every platform service of one viewer, created together for one backend.
class Platform {
 public:
  virtual ~Platform() = default;
  virtual Backend Kind() const = 0;
  virtual WindowHost& Window() = 0;
  virtual platform::Dialogs& DialogBox() = 0;
  virtual platform::Clipboard& ClipboardService() = 0;
  virtual platform::Shell& ShellService() = 0;
  virtual platform::Sound& SoundService() = 0;
  virtual SettingsStore& Settings() = 0;
  virtual const platform::Clock& TimeSource() const = 0;
  // A new player of videos; null when the platform cannot play them.
  virtual std::unique_ptr<MediaPlayer> CreateMediaPlayer() = 0;
  // Headless only: the responder that answers dialogs and the recorder of clipboard,
  // shell and sound; null for the desktop backend.
  virtual ScriptedResponder* Responder() { return nullptr; }
  virtual RecordingServices* Recorder() { return nullptr; }
};

// A build has the backends of its kind: the native build headless and desktop, the web
// build (WebAssembly) only the web page's.
// The desktop backend needs a display; it answers null (and sets error) without one.
std::unique_ptr<Platform> CreatePlatform(const PlatformOptions& options, std::string& error);
bool DisplayAvailable();

}  // namespace zolvex::platform
