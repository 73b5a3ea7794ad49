#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "control/ViewWindow.h"
#include "documents/CReaderException.h"
#include "documents/MapDocument.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessWindowHost.h"
#include "platform/headless/ScriptedResponder.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TestSupport.h"
#include "tiles/FileTileSource.h"
#include "tiles/HttpTileSource.h"
#include "tiles/KtqLocalFile.h"
#include "tiles/SocketTileSource.h"
#include "tiles/TileCache.h"

using namespace zolvex;

namespace {

// Collects the tiles a source delivers.
class TileCollector : public TileSourceListener {
 public:
  void OnTileArrived(std::unique_ptr<ViewImage> image, const std::string&, int level, int column, int row) override {
    std::lock_guard lock(mutex_);
    tiles_[{level, column, row}] = std::move(image);
    changed_.notify_all();
  }
  void OnFileArrived(const std::string&, const std::uint8_t*, std::size_t) override {}
  void OnError(int, const std::string&) override {}
  void OnServerMessage(const std::string& name, const std::string&) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(name);
  }
  std::vector<std::string> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  void OnRequestAhead(int, int, int, int) override {}

  bool WaitFor(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return tiles_.size() >= count; });
  }
  std::size_t Count() {
    std::lock_guard lock(mutex_);
    return tiles_.size();
  }
  ViewImage* Tile(int level, int column, int row) {
    std::lock_guard lock(mutex_);
    auto it = tiles_.find({level, column, row});
    return it == tiles_.end() ? nullptr : it->second.get();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::tuple<int, int, int>, std::unique_ptr<ViewImage>> tiles_;
  std::vector<std::string> messages_;
};

bool SamePixels(const qmImage& a, const qmImage& b) {
  if (a.getWidth() != b.getWidth() || a.getHeight() != b.getHeight()) return false;
  for (int y = 0; y < a.getHeight(); ++y) {
    for (int x = 0; x < a.getWidth(); ++x) {
      if (!(a.getPixelColor(x, y) == b.getPixelColor(x, y))) return false;
    }
  }
  return true;
}

// A synthetic image of 1024 x 1024 pixels in tiles of 256, served by ktqserve.
class TileSourcesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir();
    ASSERT_EQ(test::RunCommand(std::string(KTQTOOL_PROGRAM) + " synth '" + dir_->File("s.ktq") +
                               "' --size 1024 >/dev/null 2>&1"),
              0);
  }
  static void TearDownTestSuite() { delete dir_; }

  void StartServer(std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments{dir_->Path(), "--port", "0"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    server_ = std::make_unique<test::ServerProcess>(KTQSERVE_PROGRAM, arguments);
    ASSERT_TRUE(server_->Running()) << server_->Output();
  }

  // Starts the server with its HTTP tunnel: the settings of a tunnel source for path.
  HttpSourceSettings StartTunnel(const std::string& path) {
    StartServer({"--http-port", "0"});
    EXPECT_EQ(server_->Ports().size(), 2u) << server_->Output();
    HttpSourceSettings settings;
    settings.host = "127.0.0.1";
    settings.httpPort = std::to_string(server_->Ports().at(1));
    settings.path = path;
    return settings;
  }

  // A headless platform of that size with settings of its own (and the clock, if given).
  std::unique_ptr<platform::Platform> HeadlessPlatform(int width, int height,
                                                       std::shared_ptr<platform::Clock> clock = nullptr) {
    platform::PlatformOptions options;
    options.width = width;
    options.height = height;
    options.clock = std::move(clock);
    options.settingsFile = settingsDir_.File("settings-" + std::to_string(++platforms_) + ".ini");
    std::string error;
    auto made = platform::CreatePlatform(options, error);
    EXPECT_TRUE(made) << error;
    return made;
  }

  static test::TempDir* dir_;
  std::unique_ptr<test::ServerProcess> server_;
  test::TempDir settingsDir_;
  int platforms_ = 0;
};

test::TempDir* TileSourcesTest::dir_ = nullptr;

}  // namespace

TEST_F(TileSourcesTest, AWholeLevelArrivesOverTheDirectConnectionAsTheLocalReaderDecodesIt) {
  StartServer();
  SocketSourceSettings settings;
  settings.host = "127.0.0.1";
  settings.port = server_->Port();
  settings.path = "/s.ktq";
  SocketTileSource remote(settings);
  FileTileSource local(dir_->File("s.ktq"), "");
  ASSERT_EQ(remote.GetLevelCount(), local.GetLevelCount());
  const int level = local.GetLevelCount() - 1;
  ASSERT_EQ(remote.GetColumns(level), 4);
  TileCollector collector;
  remote.SetListener(&collector);
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) EXPECT_EQ(remote.RequestTile("", level, column, row), nullptr);
  }
  ASSERT_TRUE(collector.WaitFor(16));
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      ViewImage* arrived = collector.Tile(level, column, row);
      ASSERT_NE(arrived, nullptr);
      auto expected = local.RequestTile("", level, column, row);
      ASSERT_TRUE(expected);
      EXPECT_TRUE(SamePixels(*arrived, *expected)) << column << "," << row;
    }
  }
  remote.Close();
}

TEST_F(TileSourcesTest, ARefusedServerIsAConnectionFailure) {
  StartServer();
  int port = server_->Port();
  server_->Stop();
  SocketSourceSettings settings;
  settings.host = "127.0.0.1";
  settings.port = port;
  settings.path = "/s.ktq";
  try {
    SocketTileSource source(settings);
    FAIL() << "a refused connection opened";
  } catch (const CReaderException& error) {
    EXPECT_EQ(error.Message().substr(0, 1), "2") << error.Message();
  }
}

TEST_F(TileSourcesTest, TheViewShowsTheSameFrameFromTheServerAsFromTheFile) {
  StartServer();
  auto snapshot = [&](const std::string& url) {
    std::string error;
    auto platform = HeadlessPlatform(500, 400);
    ViewWindow window(*platform, {{"CustomErrorHandling", "yes"}});
    EXPECT_TRUE(window.Open(url + ",700,600,3,center", error)) << error;
    for (int i = 0; i < 200 && !window.FrameComplete(); ++i) platform->Window().RunFor(50);
    EXPECT_TRUE(window.FrameComplete());
    return window.View().CaptureImage(0, 0, 500, 400);
  };
  auto local = snapshot(dir_->File("s.ktq"));
  auto remote = snapshot("ktq://127.0.0.1:" + std::to_string(server_->Port()) + "/s.ktq");
  ASSERT_TRUE(local && remote);
  EXPECT_TRUE(SamePixels(*local, *remote));
}

// The window draws the frame again as soon as its last tile is in, over either road: the
// clock stands still, so no timer of the window could have drawn it.
TEST_F(TileSourcesTest, AFrameIsDrawnAgainAsSoonAsItsLastTileArrives) {
  StartServer({"--http-port", "0"});
  ASSERT_EQ(server_->Ports().size(), 2u) << server_->Output();
  const std::string name = "/s.ktq,700,600,3,center";
  const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> roads = {
      {"ktq://127.0.0.1:" + std::to_string(server_->Ports()[0]) + name, {}},
      {"ktq://127.0.0.1" + name, {{"firewalled", "yes"}, {"HTTPPort", std::to_string(server_->Ports()[1])}}},
  };
  for (const auto& [url, properties] : roads) {
    SCOPED_TRACE(url);
    auto platform = HeadlessPlatform(500, 400, std::make_shared<platform::ManualClock>(1000));
    auto& host = static_cast<platform::HeadlessWindowHost&>(platform->Window());
    auto all = properties;
    all.emplace_back("CustomErrorHandling", "yes");
    ViewWindow window(*platform, all);
    std::string error;
    ASSERT_TRUE(window.Open(url, error)) << error;  // its first frame asks for the tiles
    for (int i = 0; i < 500 && window.View().PendingTileCount() > 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      host.RunPending();
    }
    EXPECT_EQ(window.View().PendingTileCount(), 0);
  }
}

// The server goes away after the image has loaded: the page hears why tiles stopped coming,
// and the tiles that cannot come are given up after a few tries, so that the frame ends.
TEST_F(TileSourcesTest, AConnectionLostAfterLoadingReachesThePageAndTheFrameEnds) {
  StartServer();
  std::string error;
  auto platform = HeadlessPlatform(300, 200);
  ViewWindow window(*platform, {{"CustomErrorHandling", "yes"}, {"timeout", "3000"}});
  ASSERT_TRUE(window.Open("ktq://127.0.0.1:" + std::to_string(server_->Port()) + "/s.ktq,0,0,3", error)) << error;
  for (int i = 0; i < 200 && !window.FrameComplete(); ++i) platform->Window().RunFor(50);
  ASSERT_TRUE(window.FrameComplete());
  EXPECT_TRUE(window.LastError().empty()) << window.LastError();

  server_->Stop();
  window.View().SetPosition(700, 600, true, false);  // tiles not asked for yet
  for (int i = 0; i < 300 && !window.FrameComplete(); ++i) platform->Window().RunFor(50);
  EXPECT_TRUE(window.FrameComplete());
  EXPECT_EQ(window.LastError().substr(0, 2), "2.") << window.LastError();
  EXPECT_TRUE(window.View().HasValidDocument());
}

// Tiles asked for together decode side by side, yet come back in the order asked, as
// one by one; an address outside the level is null, and a tile that does not decode is
// null and reported to the listener as failed.
TEST_F(TileSourcesTest, LocalTilesAskedForTogetherComeBackAsOneByOne) {
  const std::string damaged = settingsDir_.File("damaged.ktq");
  std::filesystem::copy_file(dir_->File("s.ktq"), damaged);
  KtqLocalFile file;
  ASSERT_TRUE(file.Open(damaged));
  const int level = file.LevelCount() - 1;
  {
    // The tile's stream is found in the file by a piece of its middle; its start goes.
    auto stream = file.ReadTile(level, 2, 3);
    ASSERT_TRUE(stream && stream->size() > 64);
    std::ifstream in(damaged, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t middle = stream->size() / 2;
    const std::size_t found = bytes.find(std::string(stream->begin() + middle, stream->begin() + middle + 32));
    ASSERT_NE(found, std::string::npos);
    std::fstream out(damaged, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(static_cast<std::streamoff>(found - middle));
    out.write("\0\0\0\0", 4);  // no JPEG start any more
  }
  FileTileSource local(damaged, "");
  TileCollector failures;
  local.SetListener(&failures);
  std::vector<std::pair<int, int>> positions = TileCache::CentreFirst(0, 0, 4, 4);
  positions.emplace_back(4, 0);
  positions.emplace_back(-1, 2);
  auto together = local.RequestTiles(level, positions, 1);
  ASSERT_EQ(together.size(), positions.size());
  for (std::size_t i = 0; i < positions.size(); ++i) {
    auto [column, row] = positions[i];
    auto alone = local.RequestTile("", level, column, row);
    const bool decodable = column >= 0 && column < 4 && !(column == 2 && row == 3);
    ASSERT_EQ(together[i] != nullptr, decodable) << column << "," << row;
    if (decodable) {
      EXPECT_TRUE(SamePixels(*together[i], *alone)) << column << "," << row;
    }
  }
  ASSERT_TRUE(failures.WaitFor(1));
  EXPECT_EQ(failures.Tile(level, 2, 3), nullptr);
  EXPECT_EQ(failures.Count(), 1u);
}

TEST_F(TileSourcesTest, AWholeLevelArrivesThroughTheHttpTunnel) {
  HttpTileSource remote(StartTunnel("/s.ktq"));
  FileTileSource local(dir_->File("s.ktq"), "");
  ASSERT_EQ(remote.GetLevelCount(), local.GetLevelCount());
  TileCollector collector;
  remote.SetListener(&collector);
  remote.SetActive(true);
  const int level = local.GetLevelCount() - 1;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) remote.RequestTile("", level, column, row);
  }
  ASSERT_TRUE(collector.WaitFor(16));
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      ViewImage* arrived = collector.Tile(level, column, row);
      ASSERT_NE(arrived, nullptr) << column << "," << row;
      EXPECT_TRUE(SamePixels(*arrived, *local.RequestTile("", level, column, row)));
    }
  }
  remote.Close();
}

TEST_F(TileSourcesTest, TilesAskedForAgainDecodeFromKeptAnswersWithoutARequest) {
  HttpTileSource remote(StartTunnel("/s.ktq"));
  remote.KeepAnswers(1 << 20);
  FileTileSource local(dir_->File("s.ktq"), "");
  const int level = local.GetLevelCount() - 1;
  TileCollector first;
  remote.SetListener(&first);
  remote.SetActive(true);
  for (int column = 0; column < 4; ++column) remote.RequestTile("", level, column, 0);
  ASSERT_TRUE(first.WaitFor(4));
  server_.reset();  // nothing can be fetched any more
  TileCollector again;
  remote.SetListener(&again);
  for (int column = 0; column < 4; ++column) remote.RequestTile("", level, column, 0);
  ASSERT_TRUE(again.WaitFor(4));
  for (int column = 0; column < 4; ++column) {
    ViewImage* arrived = again.Tile(level, column, 0);
    ASSERT_NE(arrived, nullptr) << column;
    EXPECT_TRUE(SamePixels(*arrived, *local.RequestTile("", level, column, 0)));
  }
  remote.Close();
}

TEST_F(TileSourcesTest, AutoFallsBackFromARefusedDirectPortToTheTunnel) {
  StartServer({"--http-port", "0"});
  ASSERT_EQ(server_->Ports().size(), 2u);
  test::ServerProcess closed(KTQSERVE_PROGRAM, {dir_->Path(), "--port", "0"});
  int refusedPort = closed.Port();
  closed.Stop();
  std::string error;
  auto platform = HeadlessPlatform(300, 200);
  ViewWindow window(*platform, {{"CustomErrorHandling", "yes"},
                                {"DefaultProtocol", "auto"},
                                {"HTTPPort", std::to_string(server_->Ports()[1])}});
  ASSERT_TRUE(window.Open("ktq://127.0.0.1:" + std::to_string(refusedPort) + "/s.ktq", error)) << error;
  EXPECT_EQ(window.View().GetBrowserProperty("firewalled"), "yes");
  EXPECT_TRUE(platform->Responder()->Records().empty());
  for (int i = 0; i < 200 && !window.FrameComplete(); ++i) platform->Window().RunFor(50);
  EXPECT_TRUE(window.FrameComplete());
  EXPECT_EQ(platform->Settings().GetString("Software\\Korvani\\comics", "successfulmode"), "2");
}

TEST_F(TileSourcesTest, AWrongAuthenticationIsRefusedWithItsMessage) {
  StartServer({"--http-port", "0", "--auth", "secret"});
  HttpSourceSettings settings;
  settings.host = "127.0.0.1";
  settings.httpPort = std::to_string(server_->Ports()[1]);
  settings.path = "/s.ktq";
  settings.authString = "wrong";
  try {
    HttpTileSource source(settings);
    FAIL() << "a refused authentication opened";
  } catch (const CReaderException& error) {
    EXPECT_EQ(error.Message().substr(0, 2), "9.") << error.Message();
  }
  settings.authString = "secret";
  HttpTileSource accepted(settings);
  EXPECT_GT(accepted.GetLevelCount(), 0);
}

// A server that answers 500 was reached: that is the server's error, reported as one and
// not retried, never the "could not connect" message that advises another mode.
TEST(HttpTunnelErrors, AServerErrorIsReportedAsTheServersNotAsANetworkFailure) {
  test::HttpTestServer server;
  server.Route("/s.ktq/a1", test::HttpTestServer::Response::Text("oops", 500));
  HttpSourceSettings settings;
  settings.host = "127.0.0.1";
  settings.httpPort = std::to_string(server.Port());
  settings.path = "/s.ktq";
  try {
    HttpTileSource source(settings);
    FAIL() << "a server error opened the image";
  } catch (const CReaderException& error) {
    EXPECT_EQ(error.Message().substr(0, 3), "10.") << error.Message();
  }
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(HttpTunnelRules, PortsTimeoutsAndTileAddresses) {
  EXPECT_EQ(HttpTileSource::PortText("70000"), "8080");
  EXPECT_EQ(HttpTileSource::PortText(""), "8080");
  EXPECT_EQ(HttpTileSource::PortText("8081"), "8081");
  auto timeouts = HttpTileSource::ParseTimeouts("30000,5000");
  EXPECT_EQ(timeouts.overallMs, 30000);
  EXPECT_EQ(timeouts.transfer.connectTimeoutMs, 5000);
  EXPECT_EQ(timeouts.transfer.receiveTimeoutMs, 50000);
  HttpTileRecord tile;
  EXPECT_EQ(CTileRetriever::UrlOf(tile, "http://h:8080/a.ktq", "http://h:8080"), "http://h:8080/a.ktq/b1000000000000000");
  tile.level = 3;
  tile.column = 10;
  tile.row = 7;
  EXPECT_EQ(CTileRetriever::UrlOf(tile, "http://h:8080/a.ktq", "http://h:8080"), "http://h:8080/a.ktq/b1000070001000003");
  HttpTileRecord file;
  file.file = true;
  file.name = "/maps/notes.xml";
  EXPECT_EQ(CTileRetriever::UrlOf(file, "", "http://h:8080"), "http://h:8080/maps/notes.xml/c0");
  file.name = "/maps/other.KTQ";
  EXPECT_EQ(CTileRetriever::UrlOf(file, "", "http://h:8080"), "http://h:8080/maps/other.KTQ/d0");
}

TEST_F(TileSourcesTest, AnImageChangedOnTheServerAsksForAReset) {
  StartServer({"--http-port", "0"});
  ASSERT_EQ(test::RunCommand("cp '" + dir_->File("s.ktq") + "' '" + dir_->File("changing.ktq") + "'"), 0);
  HttpSourceSettings settings;
  settings.host = "127.0.0.1";
  settings.httpPort = std::to_string(server_->Ports()[1]);
  settings.path = "/changing.ktq";
  HttpTileSource source(settings);
  TileCollector collector;
  source.SetListener(&collector);
  source.SetActive(true);
  // The file is rewritten later than the description was read.
  ASSERT_EQ(test::RunCommand("touch -d '+1 hour' '" + dir_->File("changing.ktq") + "'"), 0);
  source.RequestTile("", 0, 0, 0);
  ASSERT_TRUE(collector.WaitFor(1));
  EXPECT_EQ(collector.Tile(0, 0, 0), nullptr);  // the stale tile is dropped
  EXPECT_EQ(collector.Messages(), std::vector<std::string>{"reset"});
  source.Close();
}

TEST(ServerFiles, NamesResolveAgainstTheImagesFolderAndHost) {
  EXPECT_EQ(TileSource::ServerFileName("notes.xml", "h", "/maps"), "/maps/notes.xml");
  EXPECT_EQ(TileSource::ServerFileName("/other/a.xml", "h", "/maps"), "/other/a.xml");
  EXPECT_EQ(TileSource::ServerFileName("ktq://H:30777/maps/b.ktq", "h", "/maps"), "/maps/b.ktq");
  EXPECT_EQ(TileSource::ServerFileName("ktq://elsewhere/maps/b.ktq", "h", "/maps"), std::nullopt);
  EXPECT_EQ(TileSource::ServerFileName("sub\\c.png", "h", "/maps"), "/maps/sub/c.png");
}
