// A tile server facing clients that pipeline requests and never read the answers, over the
// direct port and the HTTP tunnel: its memory stays bounded while a normal client is
// served, and comes back when the attackers leave.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "KtqTestImage.h"
#include "ProtocolTestUtil.h"
#include "RecordingClient.h"
#include "tests/support/ServerProcess.h"
#include "tiles/CKTQConnectionHandler.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

// A client that writes its requests and never reads.
class SilentClient {
 public:
  explicit SilentClient(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    int small = 4096;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  }
  ~SilentClient() { close(fd_); }
  bool Connected() const { return connected_; }
  // Writes without blocking for long: a server that stops reading is not waited for.
  void Send(const std::string& text) {
    std::thread([fd = fd_, text] {
      for (size_t sent = 0; sent < text.size();) {
        ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
      }
    }).detach();
  }

 private:
  int fd_;
  bool connected_ = false;
};

std::string Repeat(int count, const std::function<std::string(int)>& line) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line(i);
  return text;
}

}  // namespace

TEST(Backpressure, ClientsThatDoNotReadCannotGrowTheServer) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer keeps freed memory in quarantine, so resident sizes say nothing here.
  GTEST_SKIP() << "resident memory is measured in the plain build";
#endif
  TempDir dir;
  std::filesystem::create_directories(dir.File("maps"));
  ASSERT_TRUE(WriteTestImage(dir.File("maps/a.ktq"), 3, 32));
  std::ofstream(dir.File("maps/big.bin"), std::ios::binary) << std::string(620 * 1024, 'x');
  ServerProcess server(std::string(ZOLVEX_BINARY_DIR) + "/apps/ktqserve/ktqserve",
                       {dir.Path(), "--port", "0", "--http-port", "0"});
  ASSERT_TRUE(server.Running()) << server.Output();
  ASSERT_EQ(server.Ports().size(), 2u);
  const long before = server.ResidentMb();

  std::vector<std::unique_ptr<SilentClient>> attackers;
  for (int i = 0; i < 3; ++i) {
    auto direct = std::make_unique<SilentClient>(server.Ports()[0]);
    ASSERT_TRUE(direct->Connected());
    direct->Send("1 LOAD \"/maps/a.ktq\" 1\r\n" +
                 Repeat(3000, [](int n) { return std::to_string(n + 2) + " GETFILE /maps/big.bin\r\n"; }) +
                 Repeat(30000, [](int n) { return std::to_string(n + 3002) + " GETTILE 2 0 0 1\r\n"; }));
    attackers.push_back(std::move(direct));
    auto tunnel = std::make_unique<SilentClient>(server.Ports()[1]);
    ASSERT_TRUE(tunnel->Connected());
    tunnel->Send(Repeat(3000, [](int) { return std::string("GET /maps/big.bin/c0 HTTP/1.1\r\nHost: h\r\n\r\n"); }));
    attackers.push_back(std::move(tunnel));
  }
  long peak = 0;
  for (int i = 0; i < 20; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    peak = std::max(peak, server.ResidentMb());
  }
  {
    // A normal client is still served meanwhile.
    RecordingClient client;
    auto params = LocalParams(static_cast<std::uint16_t>(server.Ports()[0]));
    CKTQConnectionHandler handler(params, client);
    ASSERT_TRUE(handler.Open()) << handler.LastError();
    for (int column = 0; column < 3; ++column) handler.Enqueue(TileRequest::ForTile(2, column, 0, 1));
    EXPECT_TRUE(client.WaitFor([&] { return client.tiles.size() == 3; }));
  }
  for (int i = 0; i < 10; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    peak = std::max(peak, server.ResidentMb());
  }
  EXPECT_LT(peak - before, 100) << "the server grew from " << before << " MB to " << peak << " MB";
  attackers.clear();
  EXPECT_TRUE(WaitUntil([&] { return server.ResidentMb() - before < 40; }))
      << "still " << server.ResidentMb() << " MB after the clients left (from " << before << " MB)";
}

// A client that pipelines more requests than the server queues is held back, not dropped:
// while the server does not read, the connection must stay alive, and every request is
// answered in the end.
TEST(Backpressure, AClientThatPipelinesThousandsOfRequestsGetsEveryAnswer) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("maps"));
  ASSERT_TRUE(WriteTestImage(dir.File("maps/a.ktq"), 3, 32));
  ServerProcess server(std::string(ZOLVEX_BINARY_DIR) + "/apps/ktqserve/ktqserve", {dir.Path(), "--port", "0"});
  ASSERT_TRUE(server.Running()) << server.Output();
  for (int round = 0; round < 3; ++round) {
    RecordingClient client;
    CKTQConnectionHandler handler(LocalParams(static_cast<std::uint16_t>(server.Port())), client);
    ASSERT_TRUE(handler.Open()) << handler.LastError();
    constexpr int kRequests = 5000;
    for (int i = 0; i < kRequests; ++i) handler.Enqueue(TileRequest::ForFile("/maps/none" + std::to_string(i) + ".xml"));
    EXPECT_TRUE(client.WaitFor([&] { return client.files.size() == kRequests; }, std::chrono::seconds(30)))
        << client.files.size() << " of " << kRequests << " answered";
  }
}
