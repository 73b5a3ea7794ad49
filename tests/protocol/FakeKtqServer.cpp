#include "FakeKtqServer.h"

#include <chrono>
#include <stdexcept>

namespace zolvex::test {

Bytes Be32(std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v)};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes LoadAnswer(std::int32_t number, const Bytes& description) {
  return Concat({Be32(static_cast<std::int32_t>(8 + description.size())), Be32(0), Be32(number), description});
}

Bytes Frame(std::int32_t type, std::int32_t number, const Bytes& payload) {
  return Concat({Be32(static_cast<std::int32_t>(8 + payload.size())), Be32(type), Be32(number), payload});
}

Bytes BareFrame(std::int32_t type) { return Concat({Be32(4), Be32(type)}); }

Bytes SimpleDescription(int width, int height, int tile) {
  int columns = (width + tile - 1) / tile;
  int rows = (height + tile - 1) / tile;
  return Concat({Be32(1), Be32(width), Be32(height), Be32(tile), Be32(tile), Be32(rows), Be32(columns), Be32(0)});
}

class FakeKtqServer::Session : public platform::ServerSession {
 public:
  Session(FakeKtqServer& owner, std::shared_ptr<platform::ServerConnection> connection)
      : owner_(owner), lines_(std::make_shared<Lines>(std::move(connection))) {}

  void OnData(const std::uint8_t* data, std::size_t length) override {
    // A script that closes the connection destroys this session at once; what the loop
    // needs is held here.
    auto lines = lines_;
    auto connection = lines->connection.lock();
    if (!connection) return;
    FakeKtqServer& owner = owner_;
    lines->pending.append(reinterpret_cast<const char*>(data), length);
    std::size_t end;
    while ((end = lines->pending.find("\r\n")) != std::string::npos) {
      std::string line = lines->pending.substr(0, end);
      lines->pending.erase(0, end + 2);
      owner.Record(line);
      if (owner.script_) owner.script_(*connection, line);
    }
  }

 private:
  struct Lines {
    explicit Lines(std::shared_ptr<platform::ServerConnection> c) : connection(std::move(c)) {}
    std::weak_ptr<platform::ServerConnection> connection;  // the connection owns the session
    std::string pending;
  };
  FakeKtqServer& owner_;
  std::shared_ptr<Lines> lines_;
};

FakeKtqServer::FakeKtqServer(Script script) : script_(std::move(script)) {
  std::string error;
  bool listening = server_.Listen("127.0.0.1", 0, [this](std::shared_ptr<platform::ServerConnection> connection) {
    {
      std::lock_guard lock(mutex_);
      connections_.push_back(connection);
    }
    return std::make_unique<Session>(*this, std::move(connection));
  }, error);
  if (!listening) throw std::runtime_error(error);
  server_.Start(1);
}

FakeKtqServer::~FakeKtqServer() { server_.Stop(); }

std::vector<std::string> FakeKtqServer::Lines() {
  std::lock_guard lock(mutex_);
  return lines_;
}

int FakeKtqServer::Connections() {
  std::lock_guard lock(mutex_);
  return static_cast<int>(connections_.size());
}

bool FakeKtqServer::WaitForLines(std::size_t count) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return lines_.size() >= count; });
}

void FakeKtqServer::CloseAll() {
  std::lock_guard lock(mutex_);
  for (auto& weak : connections_) {
    if (auto connection = weak.lock()) connection->CloseAfterWrites();
  }
}

void FakeKtqServer::Record(const std::string& line) {
  {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
  }
  changed_.notify_all();
}

}  // namespace zolvex::test
