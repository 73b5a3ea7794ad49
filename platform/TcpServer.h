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
class ServerConnection {
 public:
  virtual ~ServerConnection() = default;
  virtual void Write(std::vector<std::uint8_t> bytes) = 0;
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
