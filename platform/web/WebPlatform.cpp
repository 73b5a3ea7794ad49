#include <emscripten.h>
#include <emscripten/threading.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/Platform.h"
#include "platform/web/BrowserServices.h"
#include "platform/web/HtmlDialogs.h"
#include "platform/web/WebWindowHost.h"

namespace zolvex::platform {

namespace {

constexpr const char* kSettingsFile = "/zolvex/settings.ini";

// clang-format off
// The settings file lives in the browser's storage of the page's origin between visits.
EM_JS(char*, zolvex_storage_read, (), {
  let text = null;
  try { text = window.localStorage.getItem('zolvex.settings'); } catch (e) {}
  if (text === null) return 0;
  const size = lengthBytesUTF8(text) + 1;
  const copy = _malloc(size);
  stringToUTF8(text, copy, size);
  return copy;
});

EM_JS(void, zolvex_storage_write, (const char* text), {
  try { window.localStorage.setItem('zolvex.settings', UTF8ToString(text)); } catch (e) {}
});
// clang-format on

void RestoreSettingsFile() {
  char* stored = zolvex_storage_read();
  if (!stored) return;
  std::ofstream(kSettingsFile, std::ios::trunc) << stored;
  std::free(stored);
}

void StoreSettingsFile() {
  std::ifstream in(kSettingsFile);
  std::ostringstream text;
  text << in.rdbuf();
  zolvex_storage_write(text.str().c_str());
}

class WebPlatform : public Platform {
 public:
  explicit WebPlatform(const PlatformOptions& options)
      : window_({options.width, options.height}, options.canvasId),
        dialogs_(options.canvasId),
        settings_((RestoreSettingsFile(), kSettingsFile)) {
    // Writes may come from any thread; the page's storage is reached from its own.
    settings_.SetSaveListener([](const std::string&) {
      if (emscripten_is_main_runtime_thread())
        StoreSettingsFile();
      else
        emscripten_async_run_in_main_runtime_thread(EM_FUNC_SIG_V, &StoreSettingsFile);
    });
  }
  Backend Kind() const override { return Backend::Web; }
  WindowHost& Window() override { return window_; }
  platform::Dialogs& DialogBox() override { return dialogs_; }
  platform::Clipboard& ClipboardService() override { return services_; }
  platform::Shell& ShellService() override { return services_; }
  platform::Sound& SoundService() override { return services_; }
  SettingsStore& Settings() override { return settings_; }
  const platform::Clock& TimeSource() const override { return clock_; }
  // Videos are not played in the page build.
  std::unique_ptr<MediaPlayer> CreateMediaPlayer() override { return nullptr; }

 private:
  SystemClock clock_;
  WebWindowHost window_;
  HtmlDialogs dialogs_;
  BrowserServices services_;
  SettingsStore settings_;
};

}  // namespace

bool DisplayAvailable() { return false; }

std::unique_ptr<Platform> CreatePlatform(const PlatformOptions& options, std::string& error) {
  if (options.backend != Backend::Web) {
    error = "this build runs only in a web page";
    return nullptr;
  }
  ::mkdir("/zolvex", 0700);
  return std::make_unique<WebPlatform>(options);
}

}  // namespace zolvex::platform
