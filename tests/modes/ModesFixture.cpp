#include "tests/modes/ModesFixture.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "image/qmImage.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "tiles/KtqWriter.h"

namespace zolvex::test {

void ModesFixture::WriteKtq(const std::string& name, const TileGrid& levels, const TileColour& colour) {
  KtqWriter writer({.codec = qmFormatJpeg});
  auto encode = [&writer](qmRGBQuad shade) {
    qmImage tile(kTile, kTile, 24);
    for (int y = 0; y < kTile; ++y)
      for (int x = 0; x < kTile; ++x) tile.setPixelColor(x, y, shade);
    return writer.Encode(tile);
  };
  const std::vector<std::uint8_t> plain = encode(qmMakeColor(200, 200, 190));
  ASSERT_TRUE(writer.Begin(dir_.File(name), static_cast<int>(levels.size()), {})) << writer.LastError();
  for (int level = 0; level < static_cast<int>(levels.size()); ++level) {
    const auto [columns, rows] = levels[level];
    ASSERT_TRUE(writer.BeginLevel(rows, columns));
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns; ++column) {
        const std::vector<std::uint8_t> stream = colour ? encode(colour(level, column, row)) : plain;
        ASSERT_TRUE(writer.AddTileStream(stream.data(), stream.size()));
      }
    }
  }
  ASSERT_TRUE(writer.Finish()) << writer.LastError();
}

FakeKtqServer::Script ModesFixture::DescriptionOnly(const TileGrid& levels) {
  return [levels](platform::ServerConnection& connection, const std::string& line) {
    if (line.find(" LOAD ") == std::string::npos) return;
    Bytes description = Be32(static_cast<std::int32_t>(levels.size()));
    for (const auto& [columns, rows] : levels) {
      description = Concat({description, Be32(columns * kTile), Be32(rows * kTile), Be32(kTile), Be32(kTile),
                            Be32(rows), Be32(columns)});
    }
    connection.Write(LoadAnswer(std::stoi(line), Concat({description, Be32(0)})));
  };
}

std::set<int> ModesFixture::ColumnsAsked(FakeKtqServer& server, int level, std::size_t fromLine) {
  // "n GETTILE level row column priority"
  std::set<int> columns;
  const std::vector<std::string> lines = server.Lines();
  for (std::size_t i = fromLine; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    int number = 0, asked = 0, row = 0, column = 0;
    if (std::sscanf(line.c_str(), "%d GETTILE %d %d %d", &number, &asked, &row, &column) == 4 && asked == level)
      columns.insert(column);
  }
  return columns;
}

std::string ModesFixture::WriteMarkup(const std::string& type, const std::string& section,
                                      const std::string& basemap) {
  const std::string file = dir_.File("paper.xmml");
  const std::string element = type == "comics" ? "comics" : "news";
  std::ofstream(file) << "<xmml><param name=\"type\" value=\"" << type << "\"/><" << element << ">" << section
                      << "</" << element << "><body><basemap><ktq src=\"" << basemap << "\"/></basemap></body></xmml>";
  return file;
}

bool ModesFixture::Open(const std::string& type, const std::string& section, const std::string& basemap, int width,
                        int height, const std::vector<std::pair<std::string, std::string>>& properties) {
  const std::string file = WriteMarkup(type, section, basemap);
  window_.reset();
  MakePlatform(width, height);
  std::string error;
  std::vector<std::pair<std::string, std::string>> all = {{"CustomErrorHandling", "yes"}};
  all.insert(all.end(), properties.begin(), properties.end());
  window_ = std::make_unique<ViewWindow>(*platform_, all);
  window_->View().SetEventHandlers([this](const ViewEvent& event) { events_.push_back(event); }, nullptr);
  const bool opened = window_->Open(file, error);
  EXPECT_TRUE(opened) << error;
  return opened;
}

platform::Platform& ModesFixture::MakePlatform(int width, int height) {
  platform::PlatformOptions options;
  options.width = width;
  options.height = height;
  options.settingsFile = dir_.File("settings.ini");
  std::string error;
  platform_ = platform::CreatePlatform(options, error);
  if (!platform_) throw std::runtime_error(error);
  return *platform_;
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
