#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/HttpClient.h"
#include "tiles/TileKey.h"

namespace zolvex {

class ViewImage;

// One request of the HTTP tunnel: a tile of the image, or a named file.
struct HttpTileRecord {
  bool file = false;
  std::string name;  // image URL for tiles ("" for the source's own image), file name for files
  int level = 0, column = 0, row = 0;
  int priority = 1;
  std::int64_t descriptionTime = 0;  // Last-Modified of the description (file time), 0: unknown
  int attempts = 0;                  // network failures so far
  int tileWidth = 0, tileHeight = 0;  // of the tile's level: no decoded tile may be larger

  bool SameAs(const HttpTileRecord& other) const;

  // What SameAs compares, hashable: queues find a duplicate in constant time.
  struct Target {
    bool file = false;
    std::string name;  // lower case
    TileKey tile;      // tiles only
    friend bool operator==(const Target&, const Target&) = default;
  };
  struct TargetHash {
    std::size_t operator()(const Target& target) const noexcept;
  };
  Target TargetOf() const;
};

// Where retrievers take their work and hand their results.
class HttpTileQueue {
 public:
  virtual ~HttpTileQueue() = default;
  // Waits for the next record; false when the retriever must stop.
  virtual bool Take(HttpTileRecord& record) = 0;
  virtual void Done(const HttpTileRecord& record) = 0;
  virtual void Requeue(HttpTileRecord record) = 0;
  // A tile with its picture, or a failed one (null).
  virtual void TileArrived(const HttpTileRecord& record, std::unique_ptr<ViewImage> image) = 0;
  // A tile's answer as the tunnel sent it (its 12-byte frame header, then the payload),
  // for the queue to decode.
  virtual void TileFetched(const HttpTileRecord& record, std::vector<std::uint8_t> answer) = 0;
  virtual void FileArrived(const HttpTileRecord& record, std::vector<std::uint8_t> data) = 0;
  virtual void ImageChanged() = 0;
};

struct RetrieverSettings {
  std::string serverBase;  // "http://host:port"
  std::string imageUrl;    // serverBase + the image path
  bool reloadOnModified = true;
  bool post = false;
  std::string authString;
  platform::HttpTransferSettings transfer{5000, 10000, 10000, 2};
};

// A thread that fetches tiles and files of an HTTP tile source one at a time.
class CTileRetriever {
 public:
  // A tile that fails this often on the network is given up (reported without an image).
  static constexpr int kMaxAttempts = 5;

  CTileRetriever(HttpTileQueue& queue, RetrieverSettings settings);
  ~CTileRetriever();  // stops and joins
  void Stop();

  // The tunnel URL of a record: tiles add "/b1" and row, column and level in five digits.
  static std::string UrlOf(const HttpTileRecord& record, const std::string& imageUrl, const std::string& serverBase);

 private:
  void Run();
  void Fetch(HttpTileRecord record);

  HttpTileQueue& queue_;
  RetrieverSettings settings_;
  std::unique_ptr<platform::HttpClient> client_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace zolvex
