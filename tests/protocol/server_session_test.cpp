#include <gtest/gtest.h>

#include <filesystem>
#include <future>

#include "KtqTestImage.h"
#include "ProtocolTestUtil.h"
#include "apps/ktqserve/KtqServerSession.h"
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
