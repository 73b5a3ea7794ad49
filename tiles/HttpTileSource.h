#pragma once
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "net/KeptAnswers.h"
#include "tiles/CTileRetriever.h"
#include "tiles/LevelInfo.h"
#include "tiles/SourceOpener.h"
#include "tiles/TileDecodePool.h"
#include "tiles/TileSource.h"

namespace zolvex {

// A KTQ image on a tile server reached through plain HTTP requests (the tunnel for
// networks whose firewall blocks the tile server's port). The description is fetched at
// once; tiles and files are fetched by two retriever threads sharing one queue, and tiles
// decode on the shared TileDecodePool while the retrievers fetch the next ones. Where the
// HTTP client makes requests costly, tiles' answers are kept (within the client's budget):
// a tile asked for again is decoded from its kept answer without a request.
class HttpTileSource : public TileSource, public HttpTileQueue {
 public:
  static constexpr int kRetrievers = 2;

  // Raises CReaderException (402 or 412 for network failures, 409 for a refused
  // authentication, 401 otherwise) when the description cannot be had.
  explicit HttpTileSource(const HttpSourceSettings& settings);
  ~HttpTileSource() override;

  bool GetFile(const std::string& name, std::vector<std::uint8_t>& data, TileSourceListener* listener) override;
  void StartWorkers() override;
  void SetActive(bool active) override;
  std::unique_ptr<ViewImage> RequestTile(const std::string& name, int level, int column, int row,
                                         int priority) override;
  using TileSource::RequestTile;
  std::unique_ptr<ViewImage> GetThumbnail() override;
  std::optional<LevelInfo> LevelAt(int level) const override;
  int GetLevelCount() const override;
  void Close() override;
  void SetNeededTiles(int level, const std::vector<int>& columns, const std::vector<int>& rows) override;
  void CancelTile(const std::string& name, int level, int column, int row) override;

  const std::string& ImageUrl() const { return imageUrl_; }
  // The bytes of tiles' answers kept; 0 keeps none.
  void KeepAnswers(std::size_t budget) { kept_.SetBudget(budget); }
  std::size_t QueuedCount() const;

  // The port of the tunnel: the given number when it is 1 to 65535, else "8080".
  static std::string PortText(const std::string& given);
  struct Timeouts {
    int overallMs = 50000;
    platform::HttpTransferSettings transfer{50000, 50000, 50000, 2};
  };
  // "overall[,connect[,send[,receive]]]" in milliseconds; numbers not above 0 keep the default.
  static Timeouts ParseTimeouts(const std::string& text);

 private:
  void LoadDescription(const HttpSourceSettings& settings, const Timeouts& timeouts);
  void Enqueue(HttpTileRecord record);
  bool Take(HttpTileRecord& record) override;
  void Done(const HttpTileRecord& record) override;
  void Requeue(HttpTileRecord record) override;
  void TileArrived(const HttpTileRecord& record, std::unique_ptr<ViewImage> image) override;
  void TileFetched(const HttpTileRecord& record, std::vector<std::uint8_t> answer) override;
  // Decodes a tile's answer on the pool, the tile pending meanwhile.
  void Decode(const HttpTileRecord& record, KeptAnswers::Answer answer);
  std::string KeptKey(const HttpTileRecord& record) const;
  void FileArrived(const HttpTileRecord& record, std::vector<std::uint8_t> data) override;
  void ImageChanged() override;

  std::string host_;
  std::string serverBase_;
  std::string imageUrl_;
  std::string directory_;
  bool post_ = false;
  bool reloadOnModified_ = true;
  std::int64_t descriptionTime_ = 0;
  std::vector<LevelInfo> levels_;
  std::unique_ptr<ViewImage> thumbnail_;

  mutable std::mutex queueLock_;
  std::condition_variable wake_;
  std::deque<HttpTileRecord> queue_;
  std::vector<HttpTileRecord> inProgress_;
  // How many records of each target are queued or in progress (under the queue lock).
  std::unordered_map<HttpTileRecord::Target, int, HttpTileRecord::TargetHash> pending_;
  void Count(const HttpTileRecord& record, int delta);
  bool stopping_ = false;
  bool workersStarted_ = false;
  std::vector<std::unique_ptr<CTileRetriever>> retrievers_;
  KeptAnswers kept_{platform::AnswerKeepingBudget()};
  TileDecodeGroup decodes_{TileDecodePool::Shared()};
};

}  // namespace zolvex
