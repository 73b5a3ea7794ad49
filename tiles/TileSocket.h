#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "platform/TcpConnection.h"
#include "tiles/FrameParser.h"
#include "tiles/ImageDescription.h"
#include "tiles/KtqConnectionParams.h"
#include "tiles/LoadAnswerParser.h"
#include "tiles/TileRequest.h"

namespace zolvex {

namespace platform {
class WorkerThread;
}

// One connection to a tile server, owned by the connection's worker thread: it connects
// (directly or through a relay), sends LOAD and reads the image description, numbers and
// writes request lines, and cuts what the server sends into frames. Every member runs on
// the worker thread, so the socket's state needs no lock.
class TileSocket : private platform::TcpListener {
 public:
  // Short texts of failures during operation.
  static constexpr const char* kConnectionAborted = "3. Socket error. Connection aborted";

  // What the socket reports to its owner, on the worker thread.
  class Events {
   public:
    virtual ~Events() = default;
    virtual void OnLoaded(const ImageDescription& description) = 0;
    // Connecting or LOAD failed; text is the user-visible message.
    virtual void OnLoadFailed(const std::string& text) = 0;
    virtual void OnFrame(ServerFrame& frame) = 0;
    // The connection broke during operation (reset mid-frame, a frame that cannot be read).
    virtual void OnBroken(const std::string& text) = 0;
    // The server closed the connection between frames; the next request reconnects.
    virtual void OnServerClosed() = 0;
  };

  // Writing stops while this many bytes wait in the platform's send queue, and resumes
  // when they have gone out, so the send list (not the platform) holds the backlog.
  static constexpr std::size_t kSendWindow = 64 * 1024;

  TileSocket(platform::WorkerThread& worker, KtqConnectionParams params, Events& events);
  ~TileSocket() override;
  TileSocket(const TileSocket&) = delete;
  TileSocket& operator=(const TileSocket&) = delete;

  // Connects with the stored parameters; LOAD follows.
  void Connect();
  // Numbers the request and writes it, reconnecting first when the server closed the
  // connection. False (nothing done) once the client has closed the connection itself.
  bool Submit(TileRequest& request);
  // Writes a cancellation at once when the connection is open; a cancellation for a
  // closed connection is pointless and dropped.
  void SubmitCancellation(const TileRequest& cancellation);
  // The client's own close: no further reports.
  void Close();

  bool IsConnected() const { return state_ == State::Open; }
  bool IsEnabled() const { return enabled_; }
  int ProtocolVersion() const { return protocolVersion_; }
  const std::optional<ImageDescription>& Description() const { return description_; }
  std::int32_t NextRequestNumber() const { return nextNumber_; }

 private:
  enum class State { Idle, Connecting, Loading, Open };

  void OnConnected() override;
  void OnClosed(const std::string& reason) override;
  void OnData(const std::uint8_t* data, std::size_t length) override;
  void OnWritable() override;

  void StartLoad();
  void LoadTimedOut(std::uint64_t attempt);
  // Feeds bytes to the LOAD answer; returns how many it used.
  std::size_t ReadLoadAnswer(const std::uint8_t* data, std::size_t length);
  void ReadFrames(const std::uint8_t* data, std::size_t length);
  void WriteSendList();
  void SendBytes(const std::string& text);
  // Ends the connection after a fault; the pending send list goes with it.
  void Drop();
  void FailLoad(const std::string& text);
  std::string Message(int number) const;
  std::string LoadRefusedText(int errorCode) const;

  platform::WorkerThread& worker_;
  KtqConnectionParams params_;
  Events& events_;
  std::unique_ptr<platform::TcpConnection> connection_;
  State state_ = State::Idle;
  bool enabled_ = true;
  bool sending_ = false;
  std::int32_t nextNumber_ = 1;
  std::deque<TileRequest> sendList_;
  LoadAnswerParser loadAnswer_;
  FrameParser frames_;
  int protocolVersion_ = 11;
  std::optional<ImageDescription> description_;
  std::uint64_t loadAttempt_ = 0;
  std::chrono::steady_clock::time_point connectStarted_ = std::chrono::steady_clock::now();
  std::uint64_t loadTimer_ = 0;
  // Timer tasks hold a weak reference and do nothing once the socket is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace zolvex
