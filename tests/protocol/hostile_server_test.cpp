#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ProtocolTestUtil.h"
#include "RecordingClient.h"
#include "documents/MessageTable.h"
#include "tiles/CKTQConnectionHandler.h"
#include "tiles/TileSocket.h"

using namespace zolvex;
using namespace zolvex::test;
using platform::ServerConnection;

namespace {

const Bytes kDescription = SimpleDescription(64, 64, 16);

void WriteByteByByte(ServerConnection& c, const Bytes& bytes) {
  for (auto byte : bytes) {
    c.Write({byte});
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
}

}  // namespace

TEST(HostileServer, FramesThatCannotBeReadEndInAReportedError) {
  struct Case {
    const char* what;
    Bytes bytes;
    bool thenClose;
  } cases[] = {
      {"length 1,000,000", Concat({Be32(1'000'000), Be32(0), Be32(2), Bytes(5000, 1)}), false},
      {"negative length", Concat({Be32(-8), Be32(0), Be32(2)}), false},
      {"length too short for a type", Concat({Be32(2), Be32(0)}), false},
      {"result too short for its number", Concat({Be32(6), Be32(0), Be32(2)}), false},
      {"connection lost inside a frame", Concat({Be32(500), Be32(0), Be32(2), Bytes(100, 7)}), true},
  };
  for (const auto& c : cases) {
    FakeKtqServer server([&](ServerConnection& connection, const std::string& line) {
      if (IsLoad(line)) return connection.Write(LoadAnswer(NumberOf(line), kDescription));
      connection.Write(c.bytes);
      if (c.thenClose) connection.CloseAfterWrites();
    });
    RecordingClient client;
    CKTQConnectionHandler handler(LocalParams(server.Port()), client);
    ASSERT_TRUE(handler.Open());
    handler.Enqueue(TileRequest::ForTile(0, 0, 0, 1));
    ASSERT_TRUE(client.WaitFor([&] { return !client.errors.empty(); })) << c.what;
    EXPECT_EQ(client.errors[0], TileSocket::kConnectionAborted) << c.what;
    EXPECT_TRUE(client.tiles.empty());
  }
}

TEST(HostileServer, ALoadThatIsNeverAnsweredTimesOut) {
  FakeKtqServer server(nullptr);
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port(), 300), client);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(handler.Open());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(handler.LastError(), GetMessageText(411));
}

TEST(HostileServer, BrokenLoadAnswersGiveMessage411) {
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"negative length", Concat({Be32(-1), Be32(0), Be32(1)})},
      {"length no client would hold", Concat({Be32(0x7FFFFFFF), Be32(0), Be32(1), Bytes(100, 0)})},
      {"description cut short by the close", Concat({Be32(40), Be32(0), Be32(1), Be32(1), Be32(64)})},
      {"length too short for a description", Concat({Be32(6), Be32(0), Be32(1)})},
  };
  for (const auto& c : cases) {
    FakeKtqServer server([&](ServerConnection& connection, const std::string&) {
      connection.Write(c.bytes);
      connection.CloseAfterWrites();
    });
    RecordingClient client;
    CKTQConnectionHandler handler(LocalParams(server.Port()), client);
    EXPECT_FALSE(handler.Open()) << c.what;
    EXPECT_EQ(handler.LastError(), GetMessageText(411)) << c.what;
  }
}

TEST(HostileServer, AServerSendingOneByteAtATimeIsReadWhole) {
  Bytes jpeg = PictureBytes("xc:#00FF00", "jpg");
  FakeKtqServer server([&](ServerConnection& c, const std::string& line) {
    if (IsLoad(line)) WriteByteByByte(c, LoadAnswer(NumberOf(line), kDescription));
    else WriteByteByByte(c, Frame(0, NumberOf(line), jpeg));
  });
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open()) << handler.LastError();
  handler.Enqueue(TileRequest::ForTile(0, 1, 1, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 1; }));
  ASSERT_TRUE(client.tiles[0].image);
  EXPECT_EQ(client.tiles[0].image->getWidth(), 16);
}

TEST(HostileServer, AFloodOfUnsolicitedFramesIsAbsorbed) {
  Bytes jpeg = PictureBytes("xc:#0000FF", "jpg");
  FakeKtqServer server([&](ServerConnection& c, const std::string& line) {
    if (IsLoad(line)) return c.Write(LoadAnswer(NumberOf(line), kDescription));
    Bytes junk(8000, 0xEE);
    for (int i = 0; i < 2000; ++i) c.Write(Frame(i % 2, 1000 + i, junk));
    for (int i = 0; i < 200; ++i) c.Write(BareFrame(3));
    c.Write(Frame(0, NumberOf(line), jpeg));
  });
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open());
  handler.Enqueue(TileRequest::ForTile(0, 2, 2, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 1; }));
  EXPECT_TRUE(client.tiles[0].image);
  EXPECT_EQ(client.messages.size(), 200u);
  EXPECT_TRUE(client.errors.empty());
}

TEST(HostileServer, AfterABrokenFrameTheNextRequestReconnects) {
  Bytes jpeg = PictureBytes("xc:#FF0000", "jpg");
  std::atomic<int> loads = 0;
  FakeKtqServer server([&](ServerConnection& c, const std::string& line) {
    if (IsLoad(line)) {
      ++loads;
      return c.Write(LoadAnswer(NumberOf(line), kDescription));
    }
    if (loads == 1) return c.Write(Be32(-1));
    c.Write(Frame(0, NumberOf(line), jpeg));
  });
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open());
  handler.Enqueue(TileRequest::ForTile(0, 0, 0, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.errors.size() == 1; }));
  handler.Enqueue(TileRequest::ForTile(0, 1, 0, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 2; }));
  EXPECT_EQ(server.Connections(), 2);
}
