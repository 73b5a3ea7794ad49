#pragma once
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "control/ViewWindow.h"
#include "image/qmImage.h"
#include "objects/ViewEvent.h"
#include "platform/Platform.h"
#include "tests/protocol/FakeKtqServer.h"
#include "tests/support/TestSupport.h"

namespace zolvex::test {

// Levels of a tiled file: columns × rows of 100-pixel tiles each, smallest first.
using TileGrid = std::vector<std::pair<int, int>>;

// A page-mode publication opened in a real view (a headless window of its own) over a
// local tiled file of solid tiles, with the events the view posts.
class ModesFixture : public ::testing::Test {
 protected:
  static constexpr int kTile = 100;

  // The colour of a tile: level index, column, row.
  using TileColour = std::function<qmRGBQuad(int level, int column, int row)>;
  // Writes name (a .ktq) with the levels, all tiles of one colour unless colour is given.
  void WriteKtq(const std::string& name, const TileGrid& levels, const TileColour& colour = {});
  // A tile server script that describes an image of the levels and sends no tiles, so that
  // every tile asked for stays asked for.
  static FakeKtqServer::Script DescriptionOnly(const TileGrid& levels);
  // The columns of a level that a tile server was asked for, in the lines from the
  // fromLine-th on.
  static std::set<int> ColumnsAsked(FakeKtqServer& server, int level, std::size_t fromLine = 0);
  // Writes paper.xmml of the type with the section (the type's own element for comics,
  // "news" for the others) and the basemap; answers its path.
  std::string WriteMarkup(const std::string& type, const std::string& section, const std::string& basemap);
  // Writes name (an XMML file of the type) with the markup inside its type's section and
  // the basemap basemap, then opens it in a window of width × height.
  bool Open(const std::string& type, const std::string& section, const std::string& basemap, int width, int height,
            const std::vector<std::pair<std::string, std::string>>& properties = {});
  // A headless platform of width × height with settings of its own, kept in platform_.
  platform::Platform& MakePlatform(int width, int height);
  FlipMapView& View() { return window_->View(); }
  ViewWindow& Window() { return *window_; }
  // The events posted since the last call.
  std::vector<ViewEvent> TakeEvents();
  // Runs the window's pending work and timers for ms milliseconds.
  void RunFor(int ms);

  TempDir dir_;
  std::unique_ptr<platform::Platform> platform_;
  std::unique_ptr<ViewWindow> window_;
  std::vector<ViewEvent> events_;
};

// "<param name=.. value=../>" for each pair.
std::string Params(const std::vector<std::pair<std::string, std::string>>& params);

}  // namespace zolvex::test
