#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/TcpServer.h"

namespace zolvex::test {

using Bytes = std::vector<std::uint8_t>;

// Big-endian integers and frames as a tile server sends them.
Bytes Be32(std::int32_t value);
Bytes Concat(std::initializer_list<Bytes> parts);
// length, status 0, request number, description.
Bytes LoadAnswer(std::int32_t number, const Bytes& description);
// length, type, request number, payload (types 0 and 1).
Bytes Frame(std::int32_t type, std::int32_t number, const Bytes& payload);
// length 4, type.
Bytes BareFrame(std::int32_t type);
// A version-10 description: one level of width x height in tiles of tile x tile.
Bytes SimpleDescription(int width, int height, int tile);

// A tile server that follows a script: every complete request line (without "\r\n") is
// handed to the script with the connection it came on. It records every line in order.
class FakeKtqServer {
 public:
  using Script = std::function<void(platform::ServerConnection& connection, const std::string& line)>;

  explicit FakeKtqServer(Script script);
  ~FakeKtqServer();

  std::uint16_t Port() const { return server_.Port(); }
  std::vector<std::string> Lines();
  int Connections();
  // Waits until at least count lines arrived (10 s at most).
  bool WaitForLines(std::size_t count);
  // Closes every connection from the server's side.
  void CloseAll();

 private:
  class Session;
  void Record(const std::string& line);

  Script script_;
  platform::TcpServer server_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  std::vector<std::weak_ptr<platform::ServerConnection>> connections_;
};

}  // namespace zolvex::test
