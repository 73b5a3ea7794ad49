#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>

#include "KtqTestImage.h"
#include "ProtocolTestUtil.h"
#include "apps/ktqserve/KtqHttpSession.h"
#include "apps/ktqserve/KtqServerSession.h"
#include "apps/ktqserve/WebFolder.h"
#include "platform/Files.h"
#include "platform/WorkerThread.h"
#include "tiles/FrameParser.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

// Keeps what a session writes.
class CapturingConnection : public platform::ServerConnection {
 public:
  void Write(std::vector<std::uint8_t> bytes) override {
    std::lock_guard lock(mutex);
    written.insert(written.end(), bytes.begin(), bytes.end());
  }
  void CloseAfterWrites() override { Close(); }
  void Close() override {
    std::lock_guard lock(mutex);
    closed = true;
  }
  std::string Peer() const override { return "peer"; }
  std::size_t UnsentBytes() const override { return unsent; }
  void PauseReading() override { paused = true; }
  void ResumeReading() override { paused = false; }
  void CallWhenWritable() override { writableWanted = true; }

  // The request numbers of the complete frames written so far, with their types.
  std::vector<std::pair<int, int>> Answers() {
    std::lock_guard lock(mutex);
    FrameParser parser;
    parser.Append(written.data(), written.size());
    std::vector<std::pair<int, int>> answers;
    ServerFrame frame;
    while (parser.Next(frame) == FrameParser::Result::Frame) answers.emplace_back(frame.requestNumber, frame.type);
    return answers;
  }

  std::mutex mutex;
  Bytes written;
  bool closed = false;
  // Back-pressure as the session sees it: what the client leaves unread, and the session's
  // requests to the connection.
  std::atomic<std::size_t> unsent = 0;
  std::atomic<bool> paused = false;
  std::atomic<bool> writableWanted = false;
};

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.File("maps"));
    ASSERT_TRUE(WriteTestImage(dir.File("maps/a.ktq"), 3, 16));
    context.store = &store;
    context.log = [this](const std::string& line) { logged.push_back(line); };
  }

  void Feed(KtqServerSession& session, const std::string& text) {
    session.OnData(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  }

  TempDir dir;
  KtqImageStore store{dir.Path(), 11};
  KtqServerContext context;
  std::vector<std::string> logged;
  std::shared_ptr<CapturingConnection> connection = std::make_shared<CapturingConnection>();
  platform::WorkerThread worker{"test-session"};
};

}  // namespace

TEST_F(Session, ACancelledTileThatIsStillQueuedIsNeverAnswered) {
  KtqServerSession session(connection, context, worker);
  // Hold the worker so that every request waits in the session's queue.
  std::promise<void> release;
  worker.Post([future = release.get_future().share()] { future.wait(); });
  Feed(session,
       "1 LOAD \"/maps/a.ktq\" 1\r\n2 GETTILE 2 0 0 1\r\n3 GETTILE 2 0 1 1\r\n2 CANCELTILE 2 0 0\r\n"
       "4 GETTILE 9 0 0 1\r\n5 NONSENSE\r\n");
  release.set_value();
  ASSERT_TRUE(WaitUntil([&] { return connection->Answers().size() == 4; }));
  EXPECT_EQ(connection->Answers(), (std::vector<std::pair<int, int>>{{1, 0}, {3, 0}, {4, 1}, {5, 1}}));
  session.OnClosed();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].rfind("peer /maps/a.ktq requests=6 bytes=", 0), 0u) << logged[0];
}

TEST_F(Session, TilesBeforeLoadFailAndOverlongLinesClose) {
  KtqServerSession session(connection, context, worker);
  Feed(session, "7 GETTILE 0 0 0 1\n");
  ASSERT_TRUE(WaitUntil([&] { return connection->Answers().size() == 1; }));
  EXPECT_EQ(connection->Answers()[0], std::make_pair(7, 1));
  EXPECT_FALSE(connection->closed);
  Feed(session, "8 GETFILE " + std::string(5000, 'a'));
  EXPECT_TRUE(connection->closed);
}

// A client that does not read its answers is answered no further once a megabyte waits,
// and is not read from once its queue is full; it is served again when it has read.
TEST_F(Session, AClientThatDoesNotReadIsNeitherAnsweredNorReadFurther) {
  KtqServerSession session(connection, context, worker);
  Feed(session, "1 LOAD \"/maps/a.ktq\" 1\r\n");
  ASSERT_TRUE(WaitUntil([&] { return connection->Answers().size() == 1; }));
  connection->unsent = platform::ServerConnection::kUnsentHighWater + 1;
  std::string lines;
  for (std::size_t i = 0; i < KtqServerSession::kMaxQueuedRequests + 10; ++i) {
    lines += std::to_string(i + 2) + " GETTILE 2 " + std::to_string(i % 4) + " 0 1\r\n";
  }
  Feed(session, lines);
  ASSERT_TRUE(WaitUntil([&] { return connection->writableWanted.load(); }));
  EXPECT_TRUE(connection->paused);
  EXPECT_EQ(connection->Answers().size(), 1u);

  connection->unsent = 0;
  connection->writableWanted = false;
  session.OnWritable();
  ASSERT_TRUE(WaitUntil([&] { return connection->Answers().size() == KtqServerSession::kMaxQueuedRequests + 11; }));
  EXPECT_FALSE(connection->paused);
}

// The tunnel admits a request only when its cookies carry the token's cookies exactly; a
// cookie that merely contains the token is refused.
TEST_F(Session, TheTunnelMatchesTheAuthenticationCookieExactly) {
  context.authToken = "ticket=9; user=ann";
  struct Case {
    std::string cookies;
    int status;
  } cases[] = {
      {"ticket=9; user=ann", 200},
      {"other=1;user=ann ; ticket=9", 200},
      {"xticket=9; user=ann", 401},
      {"ticket=99; user=ann", 401},
      {"a=ticket=9; user=ann; b", 401},
      {"ticket=9", 401},
      {"", 401},
  };
  for (const auto& c : cases) {
    auto answer = KtqHttpSession::AnswerFor(context, "GET", "/maps/a.ktq/a1", c.cookies, "");
    EXPECT_EQ(answer.status, c.status) << c.cookies;
  }
}

TEST_F(Session, TheHttpPortServesThePageFolderBesideTheTunnelWithIsolationHeaders) {
  std::filesystem::create_directories(dir.File("page/js"));
  ASSERT_TRUE(platform::WriteFileBytes(dir.File("page/index.html"), {'<', 'p', '>'}));
  ASSERT_TRUE(platform::WriteFileBytes(dir.File("page/js/m.wasm"), {0, 'a', 's', 'm'}));
  ASSERT_TRUE(platform::WriteFileBytes(dir.File("page/.hidden"), {'x'}));
  WebFolder page(dir.File("page"));
  context.web = &page;
  struct Case {
    std::string path;
    int status;
    std::string contentType;
  } cases[] = {
      {"/", 200, "text/html; charset=utf-8"},
      {"/js/m.wasm", 200, "application/wasm"},
      {"/maps/a.ktq/a1", 200, "application/octet-stream"},  // not a file of the page: the tunnel's
      {"/../maps/a.ktq", 404, "application/octet-stream"},
      {"/js/../index.html", 404, "application/octet-stream"},
      {"/.hidden", 404, "application/octet-stream"},
      {"/js", 404, "application/octet-stream"},
  };
  for (const auto& c : cases) {
    auto answer = KtqHttpSession::AnswerFor(context, "GET", c.path, "", "");
    EXPECT_EQ(answer.status, c.status) << c.path;
    EXPECT_EQ(answer.contentType, c.contentType) << c.path;
  }
  EXPECT_EQ(KtqHttpSession::AnswerFor(context, "GET", "/js/m.wasm", "", "").body, Bytes({0, 'a', 's', 'm'}));

  KtqHttpSession session(connection, context);
  const std::string request = "GET /maps/a.ktq/a1 HTTP/1.1\r\nHost: x\r\n\r\n";
  session.OnData(reinterpret_cast<const std::uint8_t*>(request.data()), request.size());
  const std::string head(connection->written.begin(), connection->written.end());
  EXPECT_NE(head.find("\r\nCross-Origin-Opener-Policy: same-origin\r\n"), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nCross-Origin-Embedder-Policy: require-corp\r\n"), std::string::npos) << head;
}
