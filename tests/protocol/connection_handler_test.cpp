#include <gtest/gtest.h>

#include <algorithm>

#include "ProtocolTestUtil.h"
#include "RecordingClient.h"
#include "documents/MessageTable.h"
#include "tiles/CKTQConnectionHandler.h"
#include "tiles/TilePayload.h"

using namespace zolvex;
using namespace zolvex::test;
using platform::ServerConnection;

namespace {

const Bytes kDescription = SimpleDescription(100, 80, 16);

// A server that loads every image and answers each GETTILE with the same picture.
FakeKtqServer::Script LoadingServer(Bytes tile) {
  return [tile](ServerConnection& c, const std::string& line) {
    if (IsLoad(line)) c.Write(LoadAnswer(NumberOf(line), kDescription));
    else if (line.find("GETTILE") != std::string::npos) c.Write(Frame(0, NumberOf(line), tile));
  };
}

// A server that loads every image and answers nothing else.
FakeKtqServer::Script LoadsOnly() {
  return [](ServerConnection& c, const std::string& line) {
    if (IsLoad(line)) c.Write(LoadAnswer(NumberOf(line), kDescription));
  };
}

bool IsRed(const ViewImage& image) {
  auto colour = image.getPixelColor(image.getWidth() / 2, image.getHeight() / 2);
  return colour.red > 235 && colour.green < 20 && colour.blue < 20;
}

}  // namespace

TEST(ConnectionHandler, LoadThenTheFirstTileRequestIsNumberTwoAndArrivesDecoded) {
  Bytes jpeg = PictureBytes("xc:#FF0000", "jpg");
  ASSERT_FALSE(jpeg.empty());
  FakeKtqServer server(LoadingServer(jpeg));
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open()) << handler.LastError();
  EXPECT_EQ(handler.ProtocolVersion(), 10);
  ASSERT_TRUE(client.description);
  EXPECT_EQ(client.description->levels.at(0).columns, 7);

  handler.Enqueue(TileRequest::ForTile(3, 7, 5, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 1; }));
  auto lines = server.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "1 LOAD \"/maps/a.ktq\" 1");
  EXPECT_EQ(lines[1], "2 GETTILE 3 5 7 1");
  const auto& tile = client.tiles[0];
  EXPECT_EQ(std::tie(tile.level, tile.column, tile.row), std::make_tuple(3, 7, 5));
  ASSERT_TRUE(tile.image);
  EXPECT_EQ(tile.image->getWidth(), 16);
  EXPECT_TRUE(IsRed(*tile.image));
  handler.Close();
  EXPECT_EQ(handler.WrittenCount(), 0u);
}

TEST(ConnectionHandler, Version11CarriesAttachedFilesAndScrambledTilesOfAnyCodec) {
  Bytes png = PictureBytes("xc:#FF0000", "png");
  Bytes description = Concat({kDescription, Be32(1), Be32(11), Bytes{'/', 'm', 'a', 'p', 's', '/', 'a', '.', 'x', 'm', 'l'},
                              Be32(3), Bytes{'<', 'a', '>'}});
  Bytes payload = TilePayload::Encode(png.data(), png.size(), 11, qmFormatPng, true, 0x1234);
  FakeKtqServer server([&](ServerConnection& c, const std::string& line) {
    if (IsLoad(line)) c.Write(LoadAnswer(NumberOf(line), description));
    else c.Write(Frame(0, NumberOf(line), payload));
  });
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open()) << handler.LastError();
  EXPECT_EQ(handler.ProtocolVersion(), 11);
  ASSERT_EQ(client.description->files.size(), 1u);
  EXPECT_EQ(client.description->files[0].name, "/maps/a.xml");
  handler.Enqueue(TileRequest::ForTile(0, 1, 2, 0));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 1; }));
  ASSERT_TRUE(client.tiles[0].image);
  EXPECT_TRUE(IsRed(*client.tiles[0].image));
}

TEST(ConnectionHandler, AnswersAreMatchedByNumberAndFilesAndFailuresReachTheClient) {
  Bytes jpeg = PictureBytes("xc:#FF0000", "jpg");
  std::vector<std::string> pending;
  FakeKtqServer server([&](ServerConnection& c, const std::string& line) {
    if (IsLoad(line)) return c.Write(LoadAnswer(NumberOf(line), kDescription));
    pending.push_back(line);
    if (pending.size() < 4) return;
    // Answer in reverse order: a failure, a file, a tile answered twice, a failed file.
    c.Write(Frame(1, NumberOf(pending[3]), {}));
    c.Write(Frame(0, NumberOf(pending[2]), {'x', 'm', 'l'}));
    c.Write(Frame(0, NumberOf(pending[1]), jpeg));
    c.Write(Frame(0, NumberOf(pending[1]), jpeg));
    c.Write(Frame(1, NumberOf(pending[0]), {}));
  });
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open());
  handler.Enqueue(TileRequest::ForFile("/maps/missing.xml"));
  handler.Enqueue(TileRequest::ForTile(1, 0, 0, 1));
  handler.Enqueue(TileRequest::ForFile("/maps/b.xml"));
  handler.Enqueue(TileRequest::ForTile(1, 1, 0, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 2 && client.files.size() == 2; }));
  // Give a wrongly delivered duplicate the time to show up.
  EXPECT_FALSE(client.WaitFor([&] { return client.tiles.size() > 2; }, std::chrono::milliseconds(200)));

  EXPECT_EQ(server.Lines()[4], "5 GETTILE 1 0 1 1");
  EXPECT_EQ(client.tiles[0].column, 1);
  EXPECT_FALSE(client.tiles[0].image);
  EXPECT_EQ(client.tiles[1].column, 0);
  EXPECT_TRUE(client.tiles[1].image);
  EXPECT_EQ(client.files[0].name, "/maps/b.xml");
  EXPECT_EQ(client.files[0].data, (Bytes{'x', 'm', 'l'}));
  EXPECT_EQ(client.files[1].name, "/maps/missing.xml");
  EXPECT_FALSE(client.files[1].data);
  EXPECT_EQ(handler.WrittenCount(), 0u);
}

TEST(ConnectionHandler, AServerMessageRunsReset) {
  FakeKtqServer server([&](ServerConnection& c, const std::string& line) {
    if (IsLoad(line)) c.Write(Concat({LoadAnswer(NumberOf(line), kDescription), BareFrame(3), BareFrame(7)}));
  });
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open());
  ASSERT_TRUE(client.WaitFor([&] { return !client.messages.empty(); }));
  EXPECT_EQ(client.messages, std::vector<std::string>{"reset|"});
  EXPECT_TRUE(client.errors.empty());
}

TEST(ConnectionHandler, RefusedLoadsGiveTheirMessages) {
  struct Case {
    Bytes answer;
    int message;
  } cases[] = {
      {Concat({Be32(8), Be32(1), Be32(1)}), 401},
      {Concat({Be32(12), Be32(1), Be32(1), Be32(404)}), 401},
      {Concat({Be32(12), Be32(1), Be32(1), Be32(401)}), 409},
      {Concat({Be32(12), Be32(1), Be32(1), Be32(500)}), 410},
      {Concat({Be32(12), Be32(0), Be32(1), Be32(0)}), 411},  // no levels
  };
  for (const auto& c : cases) {
    FakeKtqServer server([&](ServerConnection& connection, const std::string&) { connection.Write(c.answer); });
    RecordingClient client;
    CKTQConnectionHandler handler(LocalParams(server.Port()), client);
    EXPECT_FALSE(handler.Open());
    EXPECT_EQ(handler.LastError(), GetMessageText(c.message, "", "/maps/a.ktq")) << c.message;
    EXPECT_EQ(client.errors.size(), 1u);
    handler.Close();
  }
  EXPECT_NE(GetMessageText(401, "", "/maps/a.ktq").find("File /maps/a.ktq not found"), std::string::npos);
}

TEST(ConnectionHandler, TheAuthenticationStringFollowsLoadEscaped) {
  FakeKtqServer server([&](ServerConnection& c, const std::string& line) {
    c.Write(LoadAnswer(NumberOf(line), kDescription));
  });
  RecordingClient client;
  auto params = LocalParams(server.Port());
  params.authString = "id=7; s=a/b";
  CKTQConnectionHandler handler(params, client);
  ASSERT_TRUE(handler.Open());
  EXPECT_EQ(server.Lines().at(0), "1 LOAD \"/maps/a.ktq\" 1 id%3D7%3B%20s%3Da%2Fb");
}

TEST(ConnectionHandler, ARefusedConnectionGives402Or412WhenTheModeIsFixed) {
  std::uint16_t port;
  {
    FakeKtqServer probe(nullptr);
    port = probe.Port();
  }
  for (bool fixed : {false, true}) {
    RecordingClient client;
    auto params = LocalParams(port);
    params.fixedMode = fixed;
    CKTQConnectionHandler handler(params, client);
    EXPECT_FALSE(handler.Open());
    EXPECT_EQ(handler.LastError(), GetMessageText(fixed ? 412 : 402));
  }
}

TEST(ConnectionHandler, ARelayIsUsedInsteadOfTheServerWhenSet) {
  FakeKtqServer relay([&](ServerConnection& c, const std::string& line) {
    c.Write(LoadAnswer(NumberOf(line), kDescription));
  });
  RecordingClient client;
  auto params = LocalParams(1);
  params.host = "server.invalid";
  params.relayHost = "127.0.0.1";
  params.relayPort = relay.Port();
  CKTQConnectionHandler handler(params, client);
  EXPECT_TRUE(handler.Open()) << handler.LastError();
  EXPECT_EQ(relay.Lines().at(0), "1 LOAD \"/maps/a.ktq\" 1");
}

TEST(ConnectionHandler, TwoEnqueuesOfOneTileGiveOneLine) {
  FakeKtqServer server(LoadsOnly());
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open());
  {
    // While the lists are held, both requests wait in the worker's queue together.
    std::lock_guard hold(handler.ListLock());
    handler.Enqueue(TileRequest::ForTile(2, 1, 1, 1));
    handler.Enqueue(TileRequest::ForTile(2, 1, 1, 0));
  }
  handler.Enqueue(TileRequest::ForTile(2, 1, 1, 1));  // by then already written
  handler.Enqueue(TileRequest::ForFile("/maps/x.xml"));
  handler.Enqueue(TileRequest::ForFile("/maps/x.xml"));
  handler.Enqueue(TileRequest::ForTile(0, 0, 0, 1));
  ASSERT_TRUE(server.WaitForLines(4));
  handler.Close();
  EXPECT_EQ(server.Lines(), (std::vector<std::string>{"1 LOAD \"/maps/a.ktq\" 1", "2 GETTILE 2 1 1 1",
                                                      "3 GETFILE /maps/x.xml", "4 GETTILE 0 0 0 1"}));
}

// A tile larger than its level's tile size (16 here) is refused: it reaches the client as a
// failed tile, whatever it would decode to.
TEST(ConnectionHandler, ATileLargerThanItsLevelsTileSizeArrivesAsAFailure) {
  FakeKtqServer server(LoadingServer(PictureBytes("xc:#FF0000", "jpg", 32)));
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open()) << handler.LastError();
  handler.Enqueue(TileRequest::ForTile(0, 1, 1, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 1; }));
  EXPECT_FALSE(client.tiles[0].image);
}

// Thousands of outstanding requests: duplicates are still found, and closing does not
// first work through what is queued for the worker.
TEST(ConnectionHandler, TwentyThousandRequestsAreFiledOnceAndClosingDoesNotWaitForThem) {
  FakeKtqServer server(LoadsOnly());
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open());
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 20000; ++i) handler.Enqueue(TileRequest::ForTile(0, i % 200, i / 200, 1));
  }
  handler.Enqueue(TileRequest::ForFile("/maps/end.xml"));
  ASSERT_TRUE(server.WaitForLines(20002));
  EXPECT_EQ(handler.WrittenCount() + handler.QueuedCount(), 20001u);
  for (int i = 0; i < 20000; ++i) handler.Enqueue(TileRequest::ForTile(1, i % 200, i / 200, 1));
  handler.Close();
  EXPECT_EQ(handler.WrittenCount() + handler.QueuedCount(), 0u);
}

TEST(ConnectionHandler, TheNeededSetCancelsOtherLevelsKeepsItsOwnAndDropsTheQueue) {
  FakeKtqServer server(LoadsOnly());
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open());
  handler.Enqueue(TileRequest::ForTile(3, 1, 1, 1));  // 2: another level, cancelled
  handler.Enqueue(TileRequest::ForTile(2, 4, 4, 1));  // 3: in the set, kept
  handler.Enqueue(TileRequest::ForTile(2, 5, 4, 0));  // 4: not in the set, cancelled
  handler.Enqueue(TileRequest::ForTile(3, 2, 2, 3));  // 5: sticky, kept
  handler.Enqueue(TileRequest::ForFile("/maps/x.xml"));  // 6: files are kept
  ASSERT_TRUE(server.WaitForLines(6));
  {
    std::lock_guard hold(handler.ListLock());
    handler.Enqueue(TileRequest::ForTile(2, 6, 6, 1));  // still queued: dropped
    handler.SetNeededTiles(2, {{4, 4}, {6, 6}});
  }
  handler.Enqueue(TileRequest::ForTile(0, 0, 0, 1));  // marks the end
  ASSERT_TRUE(server.WaitForLines(9));
  auto lines = server.Lines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.end()),
            (std::vector<std::string>{"2 CANCELTILE 3 1 1", "4 CANCELTILE 2 4 5", "7 GETTILE 0 0 0 1"}));
  EXPECT_EQ(handler.WrittenCount(), 4u);
  EXPECT_EQ(handler.QueuedCount(), 0u);
}

TEST(ConnectionHandler, AfterTheServerClosesTheNextRequestReconnectsAndResendsWhatWasLost) {
  Bytes jpeg = PictureBytes("xc:#FF0000", "jpg");
  std::atomic<int> loads = 0;
  FakeKtqServer server([&](ServerConnection& c, const std::string& line) {
    if (IsLoad(line)) {
      ++loads;
      return c.Write(LoadAnswer(NumberOf(line), kDescription));
    }
    // The first connection closes without answering; later ones answer.
    if (loads == 1) return c.Close();
    c.Write(Frame(0, NumberOf(line), jpeg));
  });
  RecordingClient client;
  CKTQConnectionHandler handler(LocalParams(server.Port()), client);
  ASSERT_TRUE(handler.Open());
  handler.Enqueue(TileRequest::ForTile(1, 1, 1, 1));
  ASSERT_TRUE(server.WaitForLines(2));
  // The unanswered request goes back to the queue; nothing else happens until the next one.
  ASSERT_TRUE(WaitUntil([&] { return handler.QueuedCount() == 1; }));
  EXPECT_EQ(server.Connections(), 1);
  EXPECT_TRUE(client.errors.empty());
  handler.Enqueue(TileRequest::ForTile(1, 2, 2, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 2; }));
  auto lines = server.Lines();
  EXPECT_EQ(server.Connections(), 2);
  EXPECT_EQ(lines[2], "5 LOAD \"/maps/a.ktq\" 1");
  EXPECT_EQ(lines[3], "3 GETTILE 1 1 1 1");
  EXPECT_EQ(lines[4], "4 GETTILE 1 2 2 1");
  EXPECT_EQ(client.loads, 2);
  EXPECT_TRUE(client.errors.empty());
}
