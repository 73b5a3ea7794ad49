#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>

#include "platform/TcpConnection.h"
#include "platform/TcpServer.h"
#include "platform/WorkerThread.h"

using namespace zolvex::platform;

namespace {

// Answers every chunk with the same bytes; "bye" closes the connection.
class EchoSession : public ServerSession {
 public:
  explicit EchoSession(std::shared_ptr<ServerConnection> c) : connection_(std::move(c)) {}
  void OnData(const std::uint8_t* data, std::size_t n) override {
    std::string text(reinterpret_cast<const char*>(data), n);
    if (text.find("bye") != std::string::npos) {
      connection_->CloseAfterWrites();
      return;
    }
    connection_->Write(std::vector<std::uint8_t>(data, data + n));
  }

 private:
  std::shared_ptr<ServerConnection> connection_;
};

// Collects what a client connection reports, for the test thread to wait on.
class Recorder : public TcpListener {
 public:
  void OnConnected() override { Note([&] { connected = true; }); }
  void OnClosed(const std::string& why) override { Note([&] { closed = why.empty() ? "closed" : why; }); }
  void OnData(const std::uint8_t* d, std::size_t n) override { Note([&] { received.append(reinterpret_cast<const char*>(d), n); }); }

  template <typename Pred>
  bool WaitFor(Pred pred) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), pred);
  }

  std::mutex mutex;
  std::condition_variable changed;
  bool connected = false;
  std::string closed;
  std::string received;

 private:
  template <typename F>
  void Note(F f) {
    {
      std::lock_guard lock(mutex);
      f();
    }
    changed.notify_all();
  }
};

template <typename F>
void OnWorker(WorkerThread& worker, F f) {
  std::promise<void> done;
  worker.Post([&] {
    f();
    done.set_value();
  });
  done.get_future().wait();
}

}  // namespace

TEST(Sockets, ClientAndServerExchangeBytesInOrderAndSeeTheClose) {
  TcpServer server;
  std::string error;
  ASSERT_TRUE(server.Listen("127.0.0.1", 0, [](auto c) { return std::make_unique<EchoSession>(c); }, error)) << error;
  server.Start(2);
  ASSERT_NE(server.Port(), 0);

  WorkerThread worker("test-client");
  Recorder recorder;
  std::unique_ptr<TcpConnection> client;
  OnWorker(worker, [&] {
    client = std::make_unique<TcpConnection>(worker, recorder);
    client->Connect("127.0.0.1", server.Port(), 5000);
    for (int i = 0; i < 100; ++i) client->Send({static_cast<std::uint8_t>('a' + i % 26)});
  });
  // Queued before the connection opened, the hundred blocks go out in gathered writes of
  // several blocks each; every byte comes back, in order.
  std::string sent;
  for (int i = 0; i < 100; ++i) sent += static_cast<char>('a' + i % 26);
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.received.size() == 100; }));
  EXPECT_TRUE(recorder.connected);
  EXPECT_EQ(recorder.received, sent);
  OnWorker(worker, [&] { EXPECT_EQ(client->PendingSendBytes(), 0u); });
  OnWorker(worker, [&] { client->Send({'b', 'y', 'e'}); });
  ASSERT_TRUE(recorder.WaitFor([&] { return !recorder.closed.empty(); }));
  OnWorker(worker, [&] {
    EXPECT_FALSE(client->IsOpen());
    client.reset();
  });
  server.Stop();
}

TEST(Sockets, ARefusedConnectionIsReportedOnce) {
  TcpServer probe;
  std::string error;
  ASSERT_TRUE(probe.Listen("127.0.0.1", 0, [](auto c) { return std::make_unique<EchoSession>(c); }, error));
  std::uint16_t port = probe.Port();
  probe.Stop();  // now nobody listens there

  WorkerThread worker("test-refused");
  Recorder recorder;
  std::unique_ptr<TcpConnection> client;
  OnWorker(worker, [&] {
    client = std::make_unique<TcpConnection>(worker, recorder);
    client->Connect("127.0.0.1", port, 5000);
  });
  ASSERT_TRUE(recorder.WaitFor([&] { return !recorder.closed.empty(); }));
  EXPECT_FALSE(recorder.connected);
  OnWorker(worker, [&] { client.reset(); });
}

TEST(WorkerThread, TimersRunOnTheWorkerAndCancelledOnesDoNot) {
  WorkerThread worker("test-timers");
  std::promise<bool> fired;
  bool cancelledRan = false;
  auto cancelled = worker.RunAfter(30, [&] { cancelledRan = true; });
  worker.CancelTimer(cancelled);
  worker.RunAfter(60, [&] { fired.set_value(worker.OnThread()); });
  EXPECT_TRUE(fired.get_future().get());
  EXPECT_FALSE(cancelledRan);
}
