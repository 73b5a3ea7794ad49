#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "apps/ktqserve/KtqImageStore.h"
#include "platform/TcpServer.h"

namespace zolvex {

namespace platform {
class WorkerThread;
}

// What every connection of a tile server shares.
class ClipStore;
class WebFolder;

struct KtqServerContext {
  KtqImageStore* store = nullptr;
  ClipStore* clips = nullptr;  // null: clips are neither received nor served
  WebFolder* web = nullptr;    // null: no page is served on the HTTP port
  std::string authToken;  // empty: no authentication
  bool scramble = false;  // version-11 tiles sent scrambled
  std::function<void(const std::string&)> log;
};

// One client connection of a tile server. Request lines are read on the server's network
// threads and queued; a worker thread answers the queue in order, one request at a time,
// so a CANCELTILE that arrives while tiles wait takes its tile out before it is sent.
class KtqServerSession : public platform::ServerSession {
 public:
  static constexpr std::size_t kMaxLineLength = 4096;
  // The largest payload a frame can carry through the client's receive buffer.
  static constexpr std::size_t kMaxPayload = 1'000'000 - 12;
  // Requests waiting for the worker; beyond this the connection stops reading until half
  // of them are answered, so a client that pipelines without end is held back.
  static constexpr std::size_t kMaxQueuedRequests = 1024;

  KtqServerSession(std::shared_ptr<platform::ServerConnection> connection, const KtqServerContext& context,
                   platform::WorkerThread& worker);
  ~KtqServerSession() override;

  void OnData(const std::uint8_t* data, std::size_t length) override;
  void OnWritable() override;
  void OnClosed() override;

 private:
  struct Request {
    std::int32_t number = 0;
    std::string command;
    std::string argument;  // the rest of the line
  };
  // The part the worker uses; it outlives the session while answers are being made.
  struct State;

  void HandleLine(const std::string& line);
  void CloseForOverlongLine();
  static void AnswerNext(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
  std::string pending_;  // bytes of an incomplete line
};

}  // namespace zolvex
