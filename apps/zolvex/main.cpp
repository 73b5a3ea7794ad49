// zolvex: the desktop container of the control. It plays the part of the page that embeds
// it: the control's property bag comes from --param, its URL from the command line, its
// events go to stdout (--events) and to a page script (--script); it shows the control in
// a window or runs it headless, and can save the frame (--snapshot).
#include <cstdio>
#include <filesystem>
#include <memory>

#include "apps/zolvex/ControlContainer.h"
#include "apps/zolvex/DesktopGreeting.h"
#include "apps/zolvex/HostOptions.h"
#include "apps/zolvex/PageScript.h"
#include "control/ControlProperties.h"
#include "control/CZolvexCtrl.h"
#include "control/PropertyBag.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "view/FlipMapView.h"
#include "image/qmImageUtils.h"
#include "tools/AreaSaver.h"

namespace {

using namespace zolvex;

bool IsPersisted(const std::string& name) {
  for (const char* persisted : ControlProperties::PersistedOrder()) {
    if (EqualsNoCase(persisted, name)) return true;
  }
  return false;
}

// The bag a page's PARAM elements would fill with the control's persisted properties.
// Without a window, errors reach the program (it prints them) instead of a message box
// unless a parameter says otherwise; in a window the view reports them as usual.
MemoryPropertyBag MakeBag(const host::HostOptions& options, bool inWindow) {
  MemoryPropertyBag bag;
  if (!inWindow) bag.Write(ControlProperties::kCustomErrorHandling, "yes");
  // --timeout bounds opening too: the tile sources wait no longer than that for an image,
  // unless the page's own "Timeout" is given.
  bag.Write("Timeout", std::to_string(options.timeoutSeconds * 1000));
  for (const auto& [name, value] : options.params) {
    if (IsPersisted(name)) bag.Write(name, value);
  }
  return bag;
}

// Parameters that are no property of the control are the view's browser properties
// ("firewalled", "DrawZoomArea", ...), set as a page's script would set them; then the
// URL of the command line opens.
void ApplyViewParameters(CZolvexCtrl& control, const host::HostOptions& options) {
  for (const auto& [name, value] : options.params) {
    if (!IsPersisted(name)) control.SetBrowserProperty(name, value);
  }
  if (!options.url.empty()) control.SetContent(options.url);
}

bool FrameComplete(FlipMapView& view) {
  if (!view.HasValidDocument()) return false;
  view.Redraw();
  return view.PendingTileCount() == 0;
}

int RunSnapshot(platform::Platform& platform, FlipMapView& view, const host::ControlContainer& container,
                const host::HostOptions& options, bool expectContent) {
  const std::uint64_t deadline = platform.TimeSource().NowMs() + static_cast<std::uint64_t>(options.timeoutSeconds) * 1000;
  if (expectContent) {
    while (!FrameComplete(view) && platform.TimeSource().NowMs() < deadline) platform.Window().RunFor(50);
  } else {
    view.Redraw();
  }
  const platform::Surface* frame = view.BackBuffer();
  auto image = frame ? view.CaptureImage(0, 0, frame->Width(), frame->Height()) : nullptr;
  if (!image || !qmImageUtils::saveImage(*image, options.snapshot)) {
    std::fprintf(stderr, "zolvex: cannot write %s\n", options.snapshot.c_str());
    return 1;
  }
  std::printf("%s\n", options.snapshot.c_str());
  // The frame is saved as far as it came; an error on the way (a connection lost after
  // loading) is still a failure.
  if (!container.LastError().empty()) {
    std::fprintf(stderr, "zolvex: %s\n", container.LastError().c_str());
    return 1;
  }
  return 0;
}

// Saves an area of the opened image through the viewer's own save path.
int RunSaveArea(FlipMapView& view, const host::ControlContainer& container, const host::HostOptions::SaveArea& area) {
  if (!view.HasValidDocument()) {
    std::fprintf(stderr, "zolvex: --save-area needs an image to open\n");
    return 1;
  }
  const int levels = view.GetLevelCount();
  if (area.level > levels) {
    std::fprintf(stderr, "zolvex: level %d does not exist; the image has levels 1 to %d\n", area.level, levels);
    return 1;
  }
  AreaSaver saver(view);
  if (saver.SaveArea(area.file, area.x, area.y, area.width, area.height, area.level - 1, false) != 0) {
    std::fprintf(stderr, "zolvex: %s\n", saver.LastError().c_str());
    return 1;
  }
  if (view.LastAreaMissingTiles() > 0) {
    std::fprintf(stderr, "zolvex: %s is incomplete: %d tiles did not arrive in time\n", area.file.c_str(),
                 view.LastAreaMissingTiles());
    return 1;
  }
  if (!container.LastError().empty()) {
    std::fprintf(stderr, "zolvex: %s\n", container.LastError().c_str());
    return 1;
  }
  std::printf("%s\n", area.file.c_str());
  return 0;
}

// Runs the window until the script calls host.exit (or the window closes); headless, at
// most the time-out.
int RunScript(platform::Platform& platform, host::PageScript& script, const host::HostOptions& options) {
  if (platform.Kind() == platform::Backend::Gtk) {
    if (!script.ExitCode()) platform.Window().Run();
    return script.ExitCode().value_or(0);
  }
  const std::uint64_t deadline = platform.TimeSource().NowMs() + static_cast<std::uint64_t>(options.timeoutSeconds) * 1000;
  while (!script.ExitCode() && platform.TimeSource().NowMs() < deadline) platform.Window().RunFor(50);
  if (script.ExitCode()) return *script.ExitCode();
  std::fprintf(stderr, "zolvex: the script did not call host.exit within %d seconds\n", options.timeoutSeconds);
  return 3;
}

// The desktop window stays open whatever happens to the URL: the title names what is
// open, and an empty window or a failed load says what to do next.
int RunWindow(platform::Platform& platform, CZolvexCtrl& control, host::ControlContainer& container,
              const host::HostOptions& options) {
  host::DesktopGreeting greeting(control, platform.Window());
  container.SetObserver([&greeting](const ControlEvent& event) { greeting.OnEvent(event); });
  ApplyViewParameters(control, options);
  greeting.Start();
  platform.Window().Run();
  container.SetObserver(nullptr);
  return 0;
}

std::string PageUrlOf(const host::HostOptions& options) {
  if (options.script.empty()) return {};
  std::error_code ignored;
  return std::filesystem::absolute(options.script, ignored).string();
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto options = host::ParseHostOptions(argc, argv, error);
  if (!options) {
    std::fprintf(stderr, "zolvex: %s (try zolvex --help)\n", error.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(host::HostUsage().c_str(), stdout);
    return 0;
  }
  platform::PlatformOptions platformOptions;
  platformOptions.width = options->width;
  platformOptions.height = options->height;
  bool wantWindow = !options->headless && options->snapshot.empty() && !options->saveArea;
  platformOptions.backend = wantWindow && platform::DisplayAvailable() ? platform::Backend::Gtk
                                                                       : platform::Backend::Headless;
  if (wantWindow && platformOptions.backend == platform::Backend::Headless) {
    std::fprintf(stderr, "zolvex: no display; rendering headless\n");
  }
  if (platformOptions.backend == platform::Backend::Headless && options->snapshot.empty() && options->script.empty() &&
      !options->saveArea) {
    std::fprintf(stderr, "zolvex: headless without --snapshot or --script has nothing to show\n");
    return 2;
  }
  auto platform = platform::CreatePlatform(platformOptions, error);
  if (!platform) {
    std::fprintf(stderr, "zolvex: %s\n", error.c_str());
    return 1;
  }
  host::ControlContainer container(PageUrlOf(*options), options->events);
  CZolvexCtrl control(&container);
  control.SetEventSink(&container);
  const bool inWindow = platformOptions.backend == platform::Backend::Gtk && options->script.empty();
  control.LoadProperties(MakeBag(*options, inWindow));
  std::unique_ptr<host::PageScript> script;
  if (!options->script.empty()) {
    // The page's script starts once the control is in place, as a page's would.
    control.CreateControlWindow(*platform);
    ApplyViewParameters(control, *options);
    script = std::make_unique<host::PageScript>(control, platform->Window());
    container.SetScript(script.get());
    script->RunFile(options->script);
    return RunScript(*platform, *script, *options);
  }
  control.CreateControlWindow(*platform);
  if (inWindow) return RunWindow(*platform, control, container, *options);
  ApplyViewParameters(control, *options);
  const bool hasUrl = !control.GetProperty("Url").value_or("").empty();
  if (hasUrl && !control.View()->HasValidDocument()) {
    if (container.LastError().empty()) std::fprintf(stderr, "zolvex: cannot open %s\n", options->url.c_str());
    return 1;
  }
  if (options->saveArea) return RunSaveArea(*control.View(), container, *options->saveArea);
  return RunSnapshot(*platform, *control.View(), container, *options, hasUrl);
}
