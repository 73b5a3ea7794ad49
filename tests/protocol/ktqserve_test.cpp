#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "KtqTestImage.h"
#include "ProtocolTestUtil.h"
#include "RecordingClient.h"
#include "apps/ktqserve/KtqServer.h"
#include "documents/MessageTable.h"
#include "tiles/CKTQConnectionHandler.h"
#include "tiles/KtqLocalFile.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A served folder: /maps/a.ktq (3 levels) with notes.xml beside it, /maps/b.ktq, and a
// file outside the root.
class ServedFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root = dir.File("root");
    std::filesystem::create_directories(root + "/maps");
    ASSERT_TRUE(WriteTestImage(root + "/maps/a.ktq", 3, 32));
    ASSERT_TRUE(WriteTestImage(root + "/maps/b.ktq", 1, 16));
    WriteText(root + "/maps/notes.xml", "<notes/>");
    WriteText(dir.File("secret.txt"), "secret");
  }

  std::unique_ptr<KtqServer> StartServer(int protocol, const std::string& auth = "", std::uint16_t port = 0) {
    KtqServer::Options options;
    options.root = root;
    options.port = port;
    options.protocol = protocol;
    options.authToken = auth;
    options.scramble = true;
    options.threads = 1;  // one network thread and one worker: the answers of all connections interleave
    auto server = std::make_unique<KtqServer>(options);
    std::string error;
    EXPECT_TRUE(server->Start(error)) << error;
    return server;
  }

  KtqConnectionParams Params(const KtqServer& server, const std::string& path = "/maps/a.ktq") {
    auto params = LocalParams(server.Port());
    params.imagePath = path;
    return params;
  }

  TempDir dir;
  std::string root;
};

}  // namespace

TEST_F(ServedFolder, AWholeLevelArrivesDecodedAsTheLocalReaderDecodesIt) {
  KtqLocalFile local;
  ASSERT_TRUE(local.Open(root + "/maps/a.ktq")) << local.LastError();
  for (int protocol : {10, 11}) {
    auto server = StartServer(protocol);
    RecordingClient client;
    CKTQConnectionHandler handler(Params(*server), client);
    ASSERT_TRUE(handler.Open()) << handler.LastError();
    EXPECT_EQ(handler.ProtocolVersion(), protocol);
    EXPECT_EQ(client.description->levels, local.Levels());
    EXPECT_FALSE(client.description->thumbnail.empty());

    const int level = 2;
    const auto& info = local.Level(level);
    for (int row = 0; row < info.rows; ++row)
      for (int column = 0; column < info.columns; ++column) handler.Enqueue(TileRequest::ForTile(level, column, row, 1));
    ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 9; }));
    for (const auto& tile : client.tiles) {
      ASSERT_TRUE(tile.image) << protocol;
      auto expected = local.DecodeTile(tile.level, tile.column, tile.row);
      ASSERT_TRUE(expected);
      EXPECT_TRUE(SamePixels(*tile.image, *expected)) << protocol << " " << tile.column << "," << tile.row;
    }
  }
}

TEST_F(ServedFolder, FilesBesideTheImageAreAttachedAndNamedFilesArrive) {
  auto server = StartServer(11);
  RecordingClient client;
  CKTQConnectionHandler handler(Params(*server), client);
  ASSERT_TRUE(handler.Open()) << handler.LastError();
  ASSERT_EQ(client.description->files.size(), 1u);
  EXPECT_EQ(client.description->files[0].name, "/maps/notes.xml");
  std::string attached(client.description->files[0].data.begin(), client.description->files[0].data.end());
  EXPECT_EQ(attached, "<notes/>");

  handler.Enqueue(TileRequest::ForFile("/maps/notes.xml"));
  handler.Enqueue(TileRequest::ForFile("/maps/b.ktq"));
  handler.Enqueue(TileRequest::ForFile("/maps/missing.xml"));
  handler.Enqueue(TileRequest::ForFile("/../secret.txt"));
  handler.Enqueue(TileRequest::ForFile("/maps/../../secret.txt"));
  ASSERT_TRUE(client.WaitFor([&] { return client.files.size() == 5; }));
  for (const auto& file : client.files) {
    if (file.name == "/maps/notes.xml") {
      ASSERT_TRUE(file.data);
      EXPECT_EQ(std::string(file.data->begin(), file.data->end()), "<notes/>");
    } else if (file.name == "/maps/b.ktq") {
      EXPECT_EQ(file.data, KtqLocalFile::ReadThumbnailBlock(root + "/maps/b.ktq"));
    } else {
      EXPECT_FALSE(file.data) << file.name;
    }
  }
}

TEST_F(ServedFolder, UnknownImagesAndWrongTokensAreRefused) {
  auto server = StartServer(11, "let me in");
  struct Case {
    std::string path, auth;
    int message;
  } cases[] = {
      {"/maps/a.ktq", "let me in", 0},
      {"/maps/a.ktq", "wrong", 409},
      {"/maps/a.ktq", "", 409},
      {"/maps/none.ktq", "let me in", 401},
      {"/../root/maps/a.ktq", "let me in", 401},
  };
  for (const auto& c : cases) {
    RecordingClient client;
    auto params = Params(*server, c.path);
    params.authString = c.auth;
    CKTQConnectionHandler handler(params, client);
    EXPECT_EQ(handler.Open(), c.message == 0) << c.path << " " << c.auth;
    if (c.message != 0) {
      EXPECT_EQ(handler.LastError(), GetMessageText(c.message, "", c.path));
    }
  }
}

TEST_F(ServedFolder, AfterTheServerClosesTheNextRequestReconnects) {
  auto server = StartServer(11);
  std::uint16_t port = server->Port();
  RecordingClient client;
  CKTQConnectionHandler handler(Params(*server), client);
  ASSERT_TRUE(handler.Open());
  handler.Enqueue(TileRequest::ForTile(0, 0, 0, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 1; }));

  server.reset();  // closes every connection
  server = StartServer(11, "", port);
  handler.Enqueue(TileRequest::ForTile(1, 1, 1, 1));
  ASSERT_TRUE(client.WaitFor([&] { return client.tiles.size() == 2; }));
  EXPECT_TRUE(client.tiles[1].image);
  EXPECT_EQ(client.loads, 2);
}

TEST_F(ServedFolder, ARequestLineLongerThan4096BytesClosesTheConnection) {
  auto server = StartServer(11);
  RecordingClient client;
  CKTQConnectionHandler handler(Params(*server, "/maps/" + std::string(5000, 'x') + ".ktq"), client);
  EXPECT_FALSE(handler.Open());
  EXPECT_EQ(handler.LastError(), GetMessageText(411));
}

TEST_F(ServedFolder, ManyClientsAtOnceEachGetTheirWholeLevel) {
  auto server = StartServer(11);
  constexpr int kClients = 8;
  std::vector<std::unique_ptr<RecordingClient>> clients;
  std::vector<std::unique_ptr<CKTQConnectionHandler>> handlers;
  for (int i = 0; i < kClients; ++i) {
    clients.push_back(std::make_unique<RecordingClient>());
    handlers.push_back(std::make_unique<CKTQConnectionHandler>(Params(*server), *clients.back()));
    ASSERT_TRUE(handlers.back()->Open()) << handlers.back()->LastError();
  }
  for (auto& handler : handlers)
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) handler->Enqueue(TileRequest::ForTile(2, column, row, 1));
  for (auto& client : clients) {
    ASSERT_TRUE(client->WaitFor([&] { return client->tiles.size() == 9; }));
    EXPECT_TRUE(std::all_of(client->tiles.begin(), client->tiles.end(), [](const auto& t) { return t.image != nullptr; }));
  }
}

TEST_F(ServedFolder, TheProgramPrintsItsPortAndServes) {
  std::string program = std::string(ZOLVEX_BINARY_DIR) + "/apps/ktqserve/ktqserve";
  std::string output = dir.File("server.log");
  std::string pid;
  ASSERT_EQ(RunCommand("'" + program + "' '" + root + "' --port 0 --protocol 10 > '" + output + "' 2>&1 & echo $!", &pid), 0);
  pid.erase(pid.find_last_not_of(" \n") + 1);
  struct Stopper {
    std::string pid;
    ~Stopper() { RunCommand("kill " + pid + " 2>/dev/null"); }
  } stopper{pid};
  std::uint16_t port = 0;
  ASSERT_TRUE(WaitUntil([&] {
    std::ifstream in(output);
    std::string line;
    std::getline(in, line);
    auto at = line.rfind("port ");
    if (at == std::string::npos) return false;
    port = static_cast<std::uint16_t>(std::stoi(line.substr(at + 5)));
    return true;
  }));
  {
    RecordingClient client;
    CKTQConnectionHandler handler(LocalParams(port), client);
    EXPECT_TRUE(handler.Open()) << handler.LastError();
    EXPECT_EQ(handler.ProtocolVersion(), 10);
    handler.Enqueue(TileRequest::ForTile(1, 1, 0, 1));
    EXPECT_TRUE(client.WaitFor([&] { return client.tiles.size() == 1 && client.tiles[0].image; }));
  }
  // The connection's line is logged when it closes.
  EXPECT_TRUE(WaitUntil([&] {
    std::ifstream in(output);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.find("/maps/a.ktq requests=2") != std::string::npos;
  }));
}
