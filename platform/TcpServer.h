#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zolvex::platform {

// One accepted connection of a TcpServer. Reads are delivered to the session's data
// handler on the server's threads, one at a time per connection; Write may be called from
// any thread and keeps the order of calls.
//
// Back-pressure: while more than kUnsentHighWater bytes wait to be sent, the connection
// reads nothing more (a peer that does not read its answers stops being heard), and reads
// again when they fall to kUnsentLowWater. A session stops answering while UnsentBytes is
// above the high mark and asks CallWhenWritable to hear when to go on; it may also pause
// reading for the sake of a queue of its own.
class ServerConnection {
 public:
  static constexpr std::size_t kUnsentHighWater = 1 << 20;
  static constexpr std::size_t kUnsentLowWater = 256 << 10;

  virtual ~ServerConnection() = default;
  virtual void Write(std::vector<std::uint8_t> bytes) = 0;
  // Bytes handed to Write and not yet sent.
  virtual std::size_t UnsentBytes() const = 0;
  // The session's own pause: no data is delivered between the two calls.
  virtual void PauseReading() = 0;
  virtual void ResumeReading() = 0;
  // The session's OnWritable follows once the unsent bytes are at most kUnsentLowWater
  // (at once when they already are).
  virtual void CallWhenWritable() = 0;
  // Closes after everything written so far has gone out.
  virtual void CloseAfterWrites() = 0;
  virtual void Close() = 0;
  virtual std::string Peer() const = 0;
};

// The per-connection logic of a server.
class ServerSession {
 public:
  virtual ~ServerSession() = default;
  virtual void OnData(const std::uint8_t* data, std::size_t length) = 0;
  // Asked for by CallWhenWritable; on a server thread.
  virtual void OnWritable() {}
  virtual void OnClosed() {}
};

// A TCP server with a pool of threads. The factory makes one session per connection.
class TcpServer {
 public:
  using SessionFactory = std::function<std::unique_ptr<ServerSession>(std::shared_ptr<ServerConnection>)>;

  TcpServer();
  ~TcpServer();
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // Listens on address:port (port 0 picks a free one); false with error set when it cannot.
  bool Listen(const std::string& address, std::uint16_t port, SessionFactory factory, std::string& error);
  std::uint16_t Port() const;
  // Serves on `threads` threads until Stop; Start returns at once.
  void Start(int threads);
  void Stop();

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace zolvex::platform
