#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tiles/KtqConnectionClient.h"
#include "tiles/KtqConnectionParams.h"
#include "tiles/LevelInfo.h"
#include "tiles/TileDecodePool.h"
#include "tiles/TileKey.h"
#include "tiles/TileRequest.h"
#include "tiles/TileSocket.h"

namespace zolvex {

namespace platform {
class WorkerThread;
}

// The worker thread of one connection to a tile server. It owns the socket, the queue of
// requests not yet written and the list of requests written and not yet answered; other
// threads reach it only by posting messages (Enqueue, SetNeededTiles, Close), so the
// socket is only ever touched on the worker. Requests are pipelined and answers matched
// by request number. When the server closes the connection, the requests it left
// unanswered go back to the front of the queue and the next request reconnects. Tiles
// decode on the shared TileDecodePool and reach the client from its threads; a tile
// counts as pending until it has been delivered, so that it is not asked for twice.
//
//   CKTQConnectionHandler handler(params, client);
//   if (!handler.Open()) throw CReaderException(handler.LastError());
//   handler.Enqueue(TileRequest::ForTile(level, column, row, 1));
//   ...
//   handler.Close();
class CKTQConnectionHandler : private TileSocket::Events {
 public:
  CKTQConnectionHandler(KtqConnectionParams params, KtqConnectionClient& client);
  ~CKTQConnectionHandler() override;
  CKTQConnectionHandler(const CKTQConnectionHandler&) = delete;
  CKTQConnectionHandler& operator=(const CKTQConnectionHandler&) = delete;

  // Starts the worker, connects and waits until LOAD has succeeded or failed. False with
  // LastError set on failure; the caller then closes the handler.
  bool Open();
  std::string LastError() const;
  bool IsReady() const;
  // The protocol version that LOAD found (10 or 11).
  int ProtocolVersion() const;

  // Queues a request unless one for the same tile (or file name) is queued or written.
  void Enqueue(TileRequest request);
  // The tiles of level the view needs now: queued tile requests that are not sticky are
  // dropped, written ones outside the set are cancelled; file requests are kept.
  void SetNeededTiles(int level, std::vector<std::pair<int, int>> columnsAndRows);
  // Closes the connection and ends the worker; waits for it. Must not be called from a
  // client call.
  void Close();

  // The lock of the request lists; a caller that holds it pauses the worker's bookkeeping.
  std::mutex& ListLock() { return listMutex_; }
  // Counts of the two lists, for inspection.
  std::size_t QueuedCount() const;
  std::size_t WrittenCount() const;

 private:
  // Messages, run on the worker thread.
  void HandleConnect();
  void HandleSendNext();
  void HandleEnqueue(TileRequest request);
  void HandleNeededSet(int level, const std::vector<std::pair<int, int>>& columnsAndRows);
  void HandleClose();
  void HandleQuit();

  // Socket reports.
  void OnLoaded(const ImageDescription& description) override;
  void OnLoadFailed(const std::string& text) override;
  void OnFrame(ServerFrame& frame) override;
  void OnBroken(const std::string& text) override;
  void OnServerClosed() override;

  void ReportError(const std::string& text);
  void RequeueUnanswered();
  void KeepUnanswered();
  // Every queued and written request reaches the client as failed.
  void FailOutstanding();
  // Removes the written record answering requestNumber; with duplicates, also every
  // other record for the same target. False when nothing was waiting for that number.
  bool TakeAnswered(std::int32_t requestNumber, bool duplicates, TileRequest& answered);
  void DeliverResult(const TileRequest& request, ServerFrame& frame);
  void DeliverFailure(const TileRequest& request);
  std::pair<int, int> TileBound(int level) const;
  void Signal();
  // Bookkeeping of the targets in the two lists, so that a duplicate is found in
  // constant time however many requests are outstanding (under the list lock).
  bool Pending(const TileRequest& request) const;
  void Count(const TileRequest& request, int delta);
  void Forget(const TileRequest& request) { Count(request, -1); }

  KtqConnectionParams params_;
  KtqConnectionClient& client_;
  std::unique_ptr<platform::WorkerThread> worker_;
  std::unique_ptr<TileSocket> socket_;  // created and destroyed on the worker

  mutable std::mutex listMutex_;
  std::deque<TileRequest> queue_;
  std::map<std::int32_t, TileRequest> written_;  // by request number, that is in writing order
  std::unordered_map<TileKey, int, TileKeyHash> pendingTiles_;
  std::unordered_map<std::string, int> pendingFiles_;

  // The event the opening and closing caller waits on, and what it reads afterwards.
  mutable std::mutex eventMutex_;
  std::condition_variable event_;
  bool signalled_ = false;  // LOAD ended, in success or failure
  bool quit_ = false;       // the worker has released the socket and the lists
  bool ready_ = false;
  std::string lastError_;
  int protocolVersion_ = 11;
  std::vector<LevelInfo> levels_;  // of the last LOAD; worker only

  bool closing_ = false;  // worker only
  static constexpr int kMaxClosesWithoutAnswer = 3;
  int closesWithoutAnswer_ = 0;  // worker only
  std::atomic<bool> closed_ = false;  // set by Close; later requests are ignored
  TileDecodeGroup decodes_{TileDecodePool::Shared()};
};

}  // namespace zolvex
