#include <gtest/gtest.h>

#include "tiles/TileRequest.h"

using zolvex::TileRequest;

TEST(RequestLines, TileRequestsGiveLevelRowColumnAndPriority) {
  TileRequest tile = TileRequest::ForTile(3, 7, 5, 1);
  tile.id = 2;
  EXPECT_EQ(tile.Line(), "2 GETTILE 3 5 7 1\r\n");
  TileRequest cancellation = tile.Cancellation();
  EXPECT_EQ(cancellation.Line(), "2 CANCELTILE 3 5 7\r\n");

  TileRequest negative = TileRequest::ForTile(-1, -20, 0, 0);
  negative.id = 12;
  EXPECT_EQ(negative.Line(), "12 GETTILE -1 0 -20 0\r\n");
}

TEST(RequestLines, PreloadingPriorityIsSentAsZeroAndSticky) {
  TileRequest preload = TileRequest::ForTile(1, 2, 3, 3);
  EXPECT_TRUE(preload.sticky);
  EXPECT_EQ(preload.priority, 0);
  EXPECT_FALSE(TileRequest::ForTile(1, 2, 3, 1).sticky);
}

TEST(RequestLines, ThumbnailNamesUseGetThumbAndOthersGetFile) {
  struct Case {
    const char* name;
    const char* line;
  } cases[] = {
      {"/maps/b.xif", "4 GETTHUMB /maps/b.xif\r\n"},
      {"/maps/B.KTQ", "4 GETTHUMB /maps/B.KTQ\r\n"},
      {"/maps/notes.xml", "4 GETFILE /maps/notes.xml\r\n"},
      {".ktq", "4 GETFILE .ktq\r\n"},
      {"a.ktqx", "4 GETFILE a.ktqx\r\n"},
  };
  for (const auto& c : cases) {
    TileRequest file = TileRequest::ForFile(c.name);
    file.id = 4;
    EXPECT_EQ(file.Line(), c.line) << c.name;
  }
}

TEST(RequestLines, LoadLineEscapesTheAuthenticationString) {
  EXPECT_EQ(zolvex::LoadLine(1, "/maps/a.ktq", ""), "1 LOAD \"/maps/a.ktq\" 1\r\n");
  EXPECT_EQ(zolvex::LoadLine(1, "/a.ktq", "sid=a b;c"), "1 LOAD \"/a.ktq\" 1 sid%3Da%20b%3Bc\r\n");
}

TEST(RequestLines, PercentEscapingCoversControlsHighBytesAndTheListedCharacters) {
  EXPECT_EQ(zolvex::PercentEscape("\"<>%\\^[]`+$,@:;/!#?=&"),
            "%22%3C%3E%25%5C%5E%5B%5D%60%2B%24%2C%40%3A%3B%2F%21%23%3F%3D%26");
  EXPECT_EQ(zolvex::PercentEscape(std::string("\x01 z{\xff", 5)), "%01%20z%7B%FF");
  EXPECT_EQ(zolvex::PercentEscape("Abc-_.~'()*|09"), "Abc-_.%7E'()*%7C09");
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(zolvex::PercentUnescape(zolvex::PercentEscape(all)), all);
  EXPECT_EQ(zolvex::PercentUnescape("%4"), "%4");
}

TEST(RequestLines, SameTargetMatchesTilesByAddressAndFilesByName) {
  auto a = TileRequest::ForTile(2, 3, 4, 1);
  EXPECT_TRUE(a.SameTarget(TileRequest::ForTile(2, 3, 4, 0)));
  EXPECT_FALSE(a.SameTarget(TileRequest::ForTile(2, 4, 3, 1)));
  EXPECT_TRUE(TileRequest::ForFile("/a.xml").SameTarget(TileRequest::ForFile("/a.xml")));
  EXPECT_FALSE(TileRequest::ForFile("/a.xml").SameTarget(a));
}
