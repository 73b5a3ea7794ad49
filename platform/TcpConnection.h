#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zolvex::platform {

class WorkerThread;

// What a connection reports; every call arrives on the connection's worker thread.
class TcpListener {
 public:
  virtual ~TcpListener() = default;
  virtual void OnConnected() {}
  // Connecting failed, or the peer closed, or a read or write failed. Reported once.
  virtual void OnClosed(const std::string& reason) = 0;
  virtual void OnData(const std::uint8_t* data, std::size_t length) = 0;
  // Everything handed to Send has been written.
  virtual void OnWritable() {}
};

// An asynchronous TCP client stream owned by one worker thread. Every member must be
// called on that thread. Destroying it closes the socket without further notifications.
class TcpConnection {
 public:
  TcpConnection(WorkerThread& worker, TcpListener& listener);
  ~TcpConnection();
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  // Resolves host and connects; OnConnected or OnClosed follows. timeoutMs > 0 bounds the
  // whole attempt.
  void Connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs = 0);
  // Queues bytes; they are written in the order given.
  void Send(std::vector<std::uint8_t> bytes);
  void Close();
  bool IsOpen() const;
  bool IsConnecting() const;
  std::size_t PendingSendBytes() const;

  class Impl;

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace zolvex::platform
