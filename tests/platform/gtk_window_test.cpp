#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/Surface.h"
#include "tests/support/TestSupport.h"

using namespace zolvex;
using namespace zolvex::platform;

namespace {

// Paints a fixed pattern: red left half, blue right half, a green square at (10, 10).
struct PatternListener : WindowListener {
  std::unique_ptr<Surface> surface;
  Size lastSize;
  int paints = 0;
  void OnSize(Size size) override {
    lastSize = size;
    surface = std::make_unique<Surface>(size.width, size.height);
    surface->Fill({0, 0, size.width / 2, size.height}, MakeColor(255, 0, 0));
    surface->Fill({size.width / 2, 0, size.width, size.height}, MakeColor(0, 0, 255));
    surface->Fill({10, 10, 30, 30}, MakeColor(0, 255, 0));
  }
  const Surface* OnPaint() override {
    ++paints;
    return surface.get();
  }
};

}  // namespace

TEST(GtkWindow, PaintsTheListenersSurfaceIntoARealWindow) {
  if (!DisplayAvailable()) GTEST_SKIP() << "no display (scripts/test.sh runs this under Xvfb)";
  PlatformOptions options;
  options.backend = Backend::Gtk;
  options.width = 200;
  options.height = 120;
  test::TempDir dir;
  options.settingsFile = dir.File("settings.ini");
  std::string error;
  auto platform = CreatePlatform(options, error);
  ASSERT_TRUE(platform) << error;
  PatternListener listener;
  platform->Window().SetListener(&listener);
  listener.OnSize(platform->Window().ClientSize());
  int posted = 0;
  platform->Window().Post([&] { posted = 1; });
  platform->Window().Post([&] { posted *= 10; });
  platform->Window().RunFor(700);
  EXPECT_EQ(posted, 10);
  ASSERT_EQ(listener.lastSize, (Size{200, 120}));
  ASSERT_GT(listener.paints, 0);

  // An independent look at the screen: without a window manager the window sits at (0, 0).
  std::string shot = dir.File("screen.png");
  ASSERT_EQ(test::RunCommand("import -window root -crop 200x120+0+0 +repage '" + shot + "' 2>/dev/null"), 0);
  auto pixels = test::MagickRead(shot);
  ASSERT_TRUE(pixels);
  auto expect = [&](int x, int y, int r, int g, int b) {
    EXPECT_EQ(pixels->R(x, y), r) << x << "," << y;
    EXPECT_EQ(pixels->G(x, y), g) << x << "," << y;
    EXPECT_EQ(pixels->B(x, y), b) << x << "," << y;
  };
  expect(5, 60, 255, 0, 0);
  expect(150, 60, 0, 0, 255);
  expect(20, 20, 0, 255, 0);

  // Theme cursors and the drawn zoom-hint cursors are taken by name.
  for (const char* cursor : {"grabbing", "IDC_CURSOR_LOW", "IDC_CURSOR_MID", "IDC_CURSOR_HIGH"}) {
    platform->Window().SetCursor(cursor);
    EXPECT_EQ(platform->Window().CurrentCursor(), cursor);
  }
  // A cursor file is read by the toolkit; an unreadable one leaves the cursor as it was.
  const std::string file = dir.File("cursor.png");
  ASSERT_TRUE(test::MagickRun("-size 16x16 xc:red '" + file + "'"));
  platform->Window().SetCursor(file);
  EXPECT_EQ(platform->Window().CurrentCursor(), file);
  platform->Window().SetCursor(dir.File("settings.ini"));
  EXPECT_EQ(platform->Window().CurrentCursor(), file);
  platform->Window().RunFor(50);

  // An animation holding the window thread shows its frame at once, without the main loop.
  listener.surface->Fill(listener.surface->Bounds(), MakeColor(0, 255, 0));
  platform->Window().PresentNow();
  ASSERT_EQ(test::RunCommand("import -window root -crop 200x120+0+0 +repage '" + shot + "' 2>/dev/null"), 0);
  pixels = test::MagickRead(shot);
  ASSERT_TRUE(pixels);
  expect(5, 60, 0, 255, 0);
  expect(150, 100, 0, 255, 0);
  platform->Window().SetListener(nullptr);
}
