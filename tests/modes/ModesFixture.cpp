#include "tests/modes/ModesFixture.h"

#include <fstream>

#include "image/qmImage.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "tiles/KtqWriter.h"

namespace zolvex::test {

void ModesFixture::WriteKtq(const std::string& name, const TileGrid& levels) {
  KtqWriter writer({.codec = qmFormatJpeg});
  qmImage tile(kTile, kTile, 24);
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) tile.setPixelColor(x, y, qmMakeColor(200, 200, 190));
  const std::vector<std::uint8_t> stream = writer.Encode(tile);
  ASSERT_TRUE(writer.Begin(dir_.File(name), static_cast<int>(levels.size()), {})) << writer.LastError();
  for (const auto& [columns, rows] : levels) {
    ASSERT_TRUE(writer.BeginLevel(rows, columns));
    for (int i = 0; i < rows * columns; ++i) ASSERT_TRUE(writer.AddTileStream(stream.data(), stream.size()));
  }
  ASSERT_TRUE(writer.Finish()) << writer.LastError();
}

bool ModesFixture::Open(const std::string& type, const std::string& section, const std::string& basemap, int width,
                        int height, const std::vector<std::pair<std::string, std::string>>& properties) {
  const std::string file = dir_.File("paper.xmml");
  std::ofstream(file) << "<xmml><param name=\"type\" value=\"" << type << "\"/><news>" << section
                      << "</news><body><basemap><ktq src=\"" << basemap << "\"/></basemap></body></xmml>";
  platform::PlatformOptions options;
  options.width = width;
  options.height = height;
  options.settingsFile = dir_.File("settings.ini");
  std::string error;
  window_.reset();
  platform_ = platform::CreatePlatform(options, error);
  if (!platform_) return false;
  std::vector<std::pair<std::string, std::string>> all = {{"CustomErrorHandling", "yes"}};
  all.insert(all.end(), properties.begin(), properties.end());
  window_ = std::make_unique<ViewWindow>(*platform_, all);
  window_->View().SetEventHandlers([this](const ViewEvent& event) { events_.push_back(event); }, nullptr);
  const bool opened = window_->Open(file, error);
  EXPECT_TRUE(opened) << error;
  return opened;
}

std::vector<ViewEvent> ModesFixture::TakeEvents() {
  static_cast<platform::HeadlessWindowHost&>(platform_->Window()).RunPending();
  return std::exchange(events_, {});
}

void ModesFixture::RunFor(int ms) { platform_->Window().RunFor(ms); }

std::string Params(const std::vector<std::pair<std::string, std::string>>& params) {
  std::string markup;
  for (const auto& [name, value] : params) markup += "<param name=\"" + name + "\" value=\"" + value + "\"/>";
  return markup;
}

}  // namespace zolvex::test
