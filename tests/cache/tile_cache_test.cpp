#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <set>
#include <thread>

#include "tiles/CacheAheadWorker.h"
#include "tiles/TileCache.h"
#include "tiles/TileSource.h"

using namespace zolvex;

namespace {

std::string Key(int level, int column, int row) {
  return std::to_string(level) + ":" + std::to_string(column) + ":" + std::to_string(row);
}

// A pyramid of square levels with tiles of 4 x 4 pixels; level n is 8 << n pixels wide.
// Tiles come back at once when `immediate`, else they are only recorded.
class FakeSource : public TileSource {
 public:
  explicit FakeSource(int levels, bool immediate) : levels_(levels), immediate_(immediate) {}
  // A source that reports every tile as failed, the way a server answers a tile that
  // does not decode.
  void FailTiles(TileSourceListener* listener) { failTo_ = listener; }
  int GetTileWidth(int) const override { return 4; }
  int GetTileHeight(int) const override { return 4; }
  std::unique_ptr<ViewImage> RequestTile(const std::string&, int level, int column, int row, int) override {
    requests.push_back(Key(level, column, row));
    if (failTo_) {
      failTo_->OnTileArrived(nullptr, "", level, column, row);
      return nullptr;
    }
    return immediate_ ? Tile(level, column, row) : nullptr;
  }
  std::unique_ptr<ViewImage> GetThumbnail() override { return nullptr; }
  int GetRows(int level) const override { return (LevelSize(level) + 3) / 4; }
  int GetColumns(int level) const override { return (LevelSize(level) + 3) / 4; }
  int GetLevelCount() const override { return levels_; }
  int GetLevelWidth(int level) const override { return LevelSize(level); }
  int GetLevelHeight(int level) const override { return LevelSize(level); }
  void Close() override {}
  void SetNeededTiles(int level, const std::vector<int>& columns, const std::vector<int>&) override {
    neededCalls.push_back({level, static_cast<int>(columns.size())});
  }
  void CancelTile(const std::string&, int, int, int) override {}

  static int LevelSize(int level) { return 8 << level; }
  // Every pixel of a tile carries the level in red, and its level coordinates in green and blue.
  static std::unique_ptr<ViewImage> Tile(int level, int column, int row) {
    auto image = std::make_unique<ViewImage>(4, 4, 24);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) image->setPixelColor(x, y, qmMakeColor(level * 40, column * 4 + x, row * 4 + y));
    return image;
  }

  std::vector<std::string> requests;
  std::vector<std::pair<int, int>> neededCalls;

 private:
  int levels_;
  bool immediate_;
  TileSourceListener* failTo_ = nullptr;
};

struct RecordingOwner : TileCacheOwner {
  void OnTileEntryArrived(CComponentTile* entry) override { arrived.push_back(entry); }
  void OnCacheError(int code, const std::string&) override { errors.push_back(code); }
  void OnCacheServerMessage(const std::string& name, const std::string&) override { messages.push_back(name); }
  void OnFrameTilesArrived() override { ++framesComplete; }
  std::vector<CComponentTile*> arrived;
  int framesComplete = 0;
  std::vector<int> errors;
  std::vector<std::string> messages;
};

std::vector<TilePosition> Rect(int c0, int r0, int columns, int rows) { return TileCache::CentreFirst(c0, r0, columns, rows); }

}  // namespace

TEST(TileCache, RequestsGoOutFromTheCentre) {
  EXPECT_EQ(Rect(10, 20, 3, 3), (std::vector<TilePosition>{{11, 21}, {10, 21}, {12, 21}, {11, 20}, {11, 22}, {10, 20},
                                                             {10, 22}, {12, 20}, {12, 22}}));
  // 4 x 2: centre (1, 0); the row below comes with each column.
  EXPECT_EQ(Rect(0, 0, 4, 2),
            (std::vector<TilePosition>{{1, 0}, {0, 0}, {2, 0}, {3, 0}, {1, 1}, {0, 1}, {2, 1}, {3, 1}}));
  EXPECT_TRUE(Rect(0, 0, 0, 3).empty());
}

TEST(TileCache, TilesOutsideTheLevelAreNullAndNotRequested) {
  FakeSource source(3, true);
  TileCache cache(source, 0, true);
  auto entries = cache.GetTiles(0, {{0, 0}, {2, 0}, {-1, 0}, {1, 1}}, true);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_NE(entries[0], nullptr);
  EXPECT_EQ(entries[1], nullptr);
  EXPECT_EQ(entries[2], nullptr);
  EXPECT_NE(entries[3], nullptr);
  EXPECT_EQ(source.requests, (std::vector<std::string>{"0:0:0", "0:1:1"}));
  EXPECT_EQ(source.neededCalls.size(), 1u);
  // Held tiles are answered without asking the source again.
  cache.GetTiles(0, {{0, 0}}, true);
  EXPECT_EQ(source.requests.size(), 2u);
}

TEST(TileCache, PinnedLevelsRaiseCapacityAndSurviveEviction) {
  FakeSource source(6, true);
  TileCache cache(source, 0, true);
  cache.Configure(200, 100, 2);
  // Levels 0 and 1 hold 2 x 2 and 4 x 4 tiles.
  EXPECT_EQ(cache.Capacity(), 220);
  EXPECT_EQ(cache.LowWater(), 120);

  cache.Configure(10, 5, 0);
  cache.GetTiles(0, Rect(0, 0, 2, 2), true);  // pinned level 0
  cache.SetCentre(5, 0, 0);
  cache.GetTiles(4, Rect(0, 0, 3, 2), true);  // another level: evicted first
  auto visible = Rect(0, 0, 2, 1);
  cache.GetTiles(5, visible, true);  // 12 entries: over capacity 10 at the 11th insert
  EXPECT_LE(cache.Size(), 10u);
  for (auto [c, r] : Rect(0, 0, 2, 2)) EXPECT_NE(cache.Find(0, c, r), nullptr) << "pinned tile evicted";
  for (auto [c, r] : visible) EXPECT_NE(cache.Find(5, c, r), nullptr) << "visible tile evicted";
  int level4Left = 0;
  for (auto [c, r] : Rect(0, 0, 3, 2)) level4Left += cache.Find(4, c, r) != nullptr;
  EXPECT_EQ(level4Left, 1);  // other levels go first, down to the low-water mark
}

TEST(TileCache, EvictionRemovesFarTilesOfTheCurrentLevelDownToTheLowWaterMark) {
  FakeSource source(6, true);
  TileCache cache(source, 0, true);
  cache.Configure(8, 4, -1);
  cache.SetCentre(5, 0, 0);
  cache.GetTiles(5, Rect(0, 0, 8, 1), true);  // 8 tiles in a row
  ASSERT_EQ(cache.Size(), 8u);
  cache.GetTiles(5, {{0, 0}, {0, 1}}, true);  // the 9th insert evicts down to 4
  EXPECT_EQ(cache.Size(), 5u);
  EXPECT_NE(cache.Find(5, 1, 0), nullptr);
  EXPECT_NE(cache.Find(5, 2, 0), nullptr);
  EXPECT_EQ(cache.Find(5, 7, 0), nullptr);  // farthest from the centre
}

TEST(TileCache, DraftsComeFromTheFinerLevelFirstThenCoarser) {
  FakeSource source(3, false);
  TileCache cache(source, platform::MakeColor(1, 2, 3), true);
  // Nothing held: no draft, no entry.
  EXPECT_EQ(cache.GetTiles(1, {{0, 0}}, true)[0], nullptr);
  // Level 2 tiles (2, 0), (3, 0), (2, 1), (3, 1) cover tile (1, 0) of level 1.
  for (auto [c, r] : std::vector<TilePosition>{{2, 0}, {3, 0}, {2, 1}, {3, 1}}) cache.OnTileArrived(FakeSource::Tile(2, c, r), "", 2, c, r);
  CComponentTile* draft = cache.GetTiles(1, {{1, 0}}, true)[0].get();
  ASSERT_NE(draft, nullptr);
  EXPECT_TRUE(draft->IsDraft());
  draft->WithImage([](const ViewImage* image) {
    ASSERT_NE(image, nullptr);
    // Halved from level 2: red 80, green/blue the averaged level-2 coordinates.
    qmRGBQuad p = image->getPixelColor(0, 0);
    EXPECT_EQ(p.red, 80);
    EXPECT_NEAR(p.green, 8.5, 1.0);
    EXPECT_NEAR(p.blue, 0.5, 1.0);
    qmRGBQuad q = image->getPixelColor(3, 3);
    EXPECT_NEAR(q.green, 14.5, 1.0);
    EXPECT_NEAR(q.blue, 6.5, 1.0);
  });
  // From the coarser level 0 when the finer one is missing: tile (0, 0) of level 0 covers
  // tile (1, 1) of level 1 twice enlarged.
  cache.OnTileArrived(FakeSource::Tile(0, 0, 0), "", 0, 0, 0);
  CComponentTile* coarse = cache.GetTiles(1, {{1, 1}}, true)[0].get();
  ASSERT_NE(coarse, nullptr);
  coarse->WithImage([](const ViewImage* image) {
    qmRGBQuad p = image->getPixelColor(0, 0);
    EXPECT_EQ(p.red, 0);
    EXPECT_NEAR(p.green, 2, 1.0);
    EXPECT_NEAR(p.blue, 2, 1.0);
  });
}

TEST(TileCache, NoDraftOptionShowsTheBackgroundColour) {
  FakeSource source(2, false);
  TileCache cache(source, platform::MakeColor(10, 20, 30), false);
  CComponentTile* entry = cache.GetTiles(1, {{0, 0}}, true)[0].get();
  ASSERT_NE(entry, nullptr);
  entry->WithImage([](const ViewImage* image) { EXPECT_EQ(image->getPixelColor(2, 2), qmMakeColor(10, 20, 30)); });
}

TEST(TileCache, ArrivalsReplaceDraftsButNeverFinalTilesAndStopAfterDetach) {
  FakeSource source(2, false);
  TileCache cache(source, 0, false);
  RecordingOwner owner;
  cache.Attach(&owner);
  CComponentTile* entry = cache.GetTiles(1, {{0, 0}}, true)[0].get();
  ASSERT_TRUE(entry->IsDraft());
  cache.OnTileArrived(FakeSource::Tile(1, 0, 0), "", 1, 0, 0);
  EXPECT_FALSE(entry->IsDraft());
  ASSERT_EQ(owner.arrived, std::vector<CComponentTile*>{entry});
  auto other = FakeSource::Tile(0, 0, 0);
  cache.OnTileArrived(std::move(other), "", 1, 0, 0);  // same key, already final: discarded
  entry->WithImage([](const ViewImage* image) { EXPECT_EQ(image->getPixelColor(0, 0).red, 40); });
  cache.OnTileArrived(nullptr, "", 1, 1, 1);  // a failed tile reports nothing
  EXPECT_EQ(owner.arrived.size(), 2u);
  cache.OnServerMessage("reset", "");
  EXPECT_EQ(owner.messages, std::vector<std::string>{"reset"});
  cache.Detach();
  cache.OnTileArrived(FakeSource::Tile(1, 1, 0), "", 1, 1, 0);
  EXPECT_EQ(owner.arrived.size(), 2u);
}

// The owner hears once, with the last of them, that every tile the last frame missed is
// in; tiles it did not ask for, and repeats, do not count.
TEST(TileCache, TheLastMissingTileOfAFrameCompletesIt) {
  FakeSource source(3, false);
  TileCache cache(source, 0, true);
  RecordingOwner owner;
  cache.Attach(&owner);
  const auto frame = Rect(0, 0, 2, 1);
  cache.GetTiles(2, frame, true);
  cache.OnTileArrived(FakeSource::Tile(2, 5, 5), "", 2, 5, 5);  // not in the frame
  cache.OnTileArrived(FakeSource::Tile(1, 0, 0), "", 1, 0, 0);  // another level
  cache.OnTileArrived(FakeSource::Tile(2, 0, 0), "", 2, 0, 0);
  cache.OnTileArrived(FakeSource::Tile(2, 0, 0), "", 2, 0, 0);  // again: already in
  EXPECT_EQ(owner.framesComplete, 0);
  cache.OnTileArrived(FakeSource::Tile(2, 1, 0), "", 2, 1, 0);
  EXPECT_EQ(owner.framesComplete, 1);
  // A frame that has every tile at hand completes nothing more.
  cache.GetTiles(2, frame, true);
  cache.OnTileArrived(FakeSource::Tile(2, 1, 0), "", 2, 1, 0);
  EXPECT_EQ(owner.framesComplete, 1);
}

// Waits (a few seconds at most) until the worker has asked for every tile on its list.
bool Drained(const CacheAheadWorker& worker) {
  for (int i = 0; i < 500 && !worker.PendingItems().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return worker.PendingItems().empty();
}

// A description may declare levels of billions of tiles; pinning them must not wrap the
// capacity negative (which would evict on every insert).
TEST(TileCache, PinnedLevelsOfHugeTileCountsSaturateTheCapacity) {
  struct HugeSource : FakeSource {
    HugeSource() : FakeSource(4, true) {}
    int GetRows(int) const override { return 65536; }
    int GetColumns(int) const override { return 65536; }
  } source;
  TileCache cache(source, 0, true);
  cache.Configure(200, 100, 3);
  EXPECT_EQ(cache.Capacity(), std::numeric_limits<int>::max());
  EXPECT_GT(cache.LowWater(), 0);
}

// More tiles in view than the capacity: none of them may be evicted, and the work must
// not grow with the square of the count (before, eviction scanned every entry per insert).
TEST(TileCache, AViewOfTwelveThousandTilesIsServedAndKeptWhole) {
  struct WideSource : FakeSource {
    WideSource() : FakeSource(1, true) {}
    int GetRows(int) const override { return 100; }
    int GetColumns(int) const override { return 120; }
    int GetLevelWidth(int) const override { return 480; }
    int GetLevelHeight(int) const override { return 400; }
  } source;
  TileCache cache(source, 0, true);
  cache.Configure(200, 100, -1);
  cache.SetCentre(0, 60, 50);
  const auto view = Rect(0, 0, 120, 100);
  for (int frame = 0; frame < 3; ++frame) {
    auto entries = cache.GetTiles(0, view, true);
    ASSERT_EQ(entries.size(), view.size());
    for (const auto& entry : entries) ASSERT_NE(entry, nullptr);
  }
  EXPECT_EQ(cache.Size(), view.size());
  EXPECT_EQ(source.requests.size(), view.size());  // each tile asked for once
}

// A handle outlives the eviction of its entry: the frame that holds it may still draw it.
TEST(TileCache, HandedOutTilesOutliveTheirEviction) {
  FakeSource source(6, true);
  TileCache cache(source, 0, true);
  cache.Configure(4, 2, -1);
  cache.SetCentre(5, 0, 0);
  TileHandle held = cache.GetTiles(5, {{7, 7}}, true)[0];
  ASSERT_NE(held, nullptr);
  cache.GetTiles(5, Rect(0, 0, 4, 1), true);  // the far tile goes
  EXPECT_EQ(cache.Find(5, 7, 7), nullptr);
  EXPECT_EQ(held->Column(), 7);
  EXPECT_TRUE(held->IsLoaded());
}

// A failing tile is asked for again only after growing pauses, and after the last try its
// draft (here the background) stands for good: final, and never asked for again.
TEST(TileCache, FailedTilesAreRetriedAfterGrowingPausesThenGivenUp) {
  FakeSource source(2, false);
  TileCache cache(source, platform::MakeColor(0, 0, 255), false);
  source.FailTiles(&cache);
  std::uint64_t now = 1000;
  cache.SetClock([&] { return now; });
  auto ask = [&] { return cache.GetTiles(1, {{0, 0}}, true)[0]; };
  std::vector<std::uint64_t> askedAt;
  for (int step = 0; step < 200 && !cache.GaveUp(1, 0, 0); ++step, now += 50) {
    size_t before = source.requests.size();
    ask();
    if (source.requests.size() > before) askedAt.push_back(now);
  }
  ASSERT_TRUE(cache.GaveUp(1, 0, 0));
  ASSERT_EQ(askedAt.size(), static_cast<size_t>(TileCache::kMaxTileFailures));
  for (size_t i = 2; i < askedAt.size(); ++i) {
    EXPECT_GT(askedAt[i] - askedAt[i - 1], askedAt[i - 1] - askedAt[i - 2]) << "pauses must grow";
  }
  TileHandle shown = ask();
  ASSERT_NE(shown, nullptr);
  EXPECT_FALSE(shown->IsDraft());
  shown->WithImage([](const ViewImage* image) {
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->getPixelColor(1, 1).blue, 255);
  });
  const size_t requests = source.requests.size();
  now += 60000;
  ask();
  EXPECT_EQ(source.requests.size(), requests);
}

TEST(CacheAheadWorker, AsksForTwoRingsAroundTheViewNearestRingFirst) {
  FakeSource source(6, true);  // level 5: 64 x 64 tiles
  TileCache cache(source, 0, true);
  CacheAheadWorker worker(cache);
  cache.SetWorker(&worker);
  worker.SetRectangle(5, 10, 20, 3, 3);
  std::vector<CacheAheadWorker::Item> expected;
  for (int row = 19; row <= 23; ++row) expected.push_back({5, 13, row});  // right column
  for (int row = 19; row <= 23; ++row) expected.push_back({5, 9, row});   // left column
  for (int column = 10; column <= 12; ++column) expected.push_back({5, column, 23});  // bottom row
  for (int column = 10; column <= 12; ++column) expected.push_back({5, column, 19});  // top row
  auto items = worker.PendingItems();
  ASSERT_EQ(items.size(), 16u + 24u);
  EXPECT_EQ(std::vector<CacheAheadWorker::Item>(items.begin(), items.begin() + 16), expected);
  EXPECT_EQ(items[16], (CacheAheadWorker::Item{5, 14, 18}));  // the outer ring starts at its right column

  worker.Start();
  ASSERT_TRUE(Drained(worker));
  worker.SetRectangle(5, 10, 20, 3, 3);  // the same rectangle: nothing to do again
  EXPECT_TRUE(worker.PendingItems().empty());
  worker.Stop();
  EXPECT_FALSE(worker.IsRunning());
  ASSERT_EQ(source.requests.size(), items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(source.requests[i], Key(5, items[i].column, items[i].row));
    EXPECT_NE(cache.Find(5, items[i].column, items[i].row), nullptr);
  }
}

TEST(CacheAheadWorker, SkipsTilesOutsideTheLevelAndCachedOnes) {
  FakeSource source(3, true);  // level 2: 8 x 8 tiles
  TileCache cache(source, 0, true);
  CacheAheadWorker worker(cache);
  cache.SetWorker(&worker);
  cache.GetTiles(2, Rect(0, 0, 2, 2), true);
  const std::size_t own = source.requests.size();
  worker.SetRectangle(2, 0, 0, 2, 2);
  worker.Start();
  ASSERT_TRUE(Drained(worker));
  worker.Stop();
  // Rings at columns and rows -1 and -2 are outside; the rest of 0..3 x 0..3 is new.
  EXPECT_EQ(source.requests.size() - own, 16u - 4u);
  EXPECT_EQ(cache.Size(), 16u);
}
