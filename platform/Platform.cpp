#include "platform/Platform.h"

#include <gtk/gtk.h>

#include <cstdlib>

#include "platform/gtk/DesktopServices.h"
#include "platform/gtk/GstMediaPlayer.h"
#include "platform/gtk/GtkDialogs.h"
#include "platform/gtk/GtkWindowHost.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "platform/headless/RecordingServices.h"
#include "platform/headless/ScriptedResponder.h"

namespace zolvex::platform {

namespace {

std::string UserSettingsFile(const PlatformOptions& options) {
  return options.settingsFile.empty() ? SettingsStore::DefaultUserFile() : options.settingsFile;
}

std::string MachineSettingsFile(const PlatformOptions& options) {
  if (!options.machineSettingsFile.empty()) return options.machineSettingsFile;
  return options.settingsFile.empty() ? SettingsStore::DefaultMachineFile() : std::string();
}

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(const PlatformOptions& options)
      : clock_(options.clock ? options.clock : std::make_shared<SystemClock>()),
        window_({options.width, options.height}, clock_),
        settings_(UserSettingsFile(options), MachineSettingsFile(options)) {
    window_.SetTitle(options.title);
  }
  Backend Kind() const override { return Backend::Headless; }
  WindowHost& Window() override { return window_; }
  platform::Dialogs& DialogBox() override { return responder_; }
  platform::Clipboard& ClipboardService() override { return recorder_; }
  platform::Shell& ShellService() override { return recorder_; }
  platform::Sound& SoundService() override { return recorder_; }
  SettingsStore& Settings() override { return settings_; }
  const platform::Clock& TimeSource() const override { return *clock_; }
  std::unique_ptr<MediaPlayer> CreateMediaPlayer() override { return recorder_.CreateMediaPlayer(); }
  ScriptedResponder* Responder() override { return &responder_; }
  RecordingServices* Recorder() override { return &recorder_; }

 private:
  std::shared_ptr<Clock> clock_;
  HeadlessWindowHost window_;
  ScriptedResponder responder_;
  RecordingServices recorder_;
  SettingsStore settings_;
};

class GtkPlatform : public Platform {
 public:
  explicit GtkPlatform(const PlatformOptions& options)
      : window_({options.width, options.height}, options.title),
        settings_(UserSettingsFile(options), MachineSettingsFile(options)) {}
  Backend Kind() const override { return Backend::Gtk; }
  WindowHost& Window() override { return window_; }
  platform::Dialogs& DialogBox() override { return dialogs_; }
  platform::Clipboard& ClipboardService() override { return desktop_; }
  platform::Shell& ShellService() override { return desktop_; }
  platform::Sound& SoundService() override { return sound_; }
  SettingsStore& Settings() override { return settings_; }
  const platform::Clock& TimeSource() const override { return clock_; }
  std::unique_ptr<MediaPlayer> CreateMediaPlayer() override { return std::make_unique<GstMediaPlayer>(); }

 private:
  SystemClock clock_;
  GtkWindowHost window_;
  GtkDialogs dialogs_;
  DesktopServices desktop_;
  GstSound sound_;
  SettingsStore settings_;
};

bool InitGtk() {
  static const bool ok = gtk_init_check(nullptr, nullptr);
  return ok;
}

}  // namespace

bool DisplayAvailable() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) return false;
  return InitGtk();
}

std::unique_ptr<Platform> CreatePlatform(const PlatformOptions& options, std::string& error) {
  if (options.backend == Backend::Headless) return std::make_unique<HeadlessPlatform>(options);
  if (options.backend == Backend::Web) {
    error = "the web page backend exists only in the WebAssembly build";
    return nullptr;
  }
  if (!DisplayAvailable()) {
    error = "no display: the desktop window needs X11 or Wayland (use --headless)";
    return nullptr;
  }
  return std::make_unique<GtkPlatform>(options);
}

}  // namespace zolvex::platform
