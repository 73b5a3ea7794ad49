#include <gtest/gtest.h>

#include <climits>

#include "documents/CReaderException.h"
#include "documents/LegacyMapDocument.h"
#include "documents/MessageTable.h"
#include "objects/CComponentRect.h"
#include "objects/CComponentText.h"
#include "objects/EllipseObject.h"
#include "tests/xmml/XmmlTestBase.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

class LegacyMapTest : public XmmlTest {};

const LegacyMapItem* Find(const LegacyMapText& map, const std::string& keyword, int nth = 0) {
  for (const LegacyMapItem& item : map.items) {
    if (item.keyword == keyword && nth-- == 0) return &item;
  }
  return nullptr;
}

TEST_F(LegacyMapTest, EveryLineKindIsRead) {
  LegacyMapText map = LegacyMapText::Parse(ReadText(File("city.map")));
  EXPECT_EQ(map.width, 512);
  EXPECT_EQ(map.height, 512);
  EXPECT_EQ(map.basemap, "a.ktq");
  EXPECT_TRUE(map.animated);
  EXPECT_EQ(map.animation, "spin");
  EXPECT_EQ(map.printWidth, -1);  // below 10: not set
  EXPECT_EQ(map.printHeight, 800);

  const LegacyMapItem* rect = Find(map, "RECT");
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->target, "page2.map");
  EXPECT_EQ(rect->x, 10);
  EXPECT_EQ(rect->y, 20);
  EXPECT_EQ(rect->width, 100);
  EXPECT_EQ(rect->height, 200);
  EXPECT_TRUE(rect->outline);
  EXPECT_EQ(rect->minLevel, 1);
  EXPECT_EQ(rect->maxLevel, 2);
  EXPECT_EQ(rect->layer, 3);

  const LegacyMapItem* circle = Find(map, "CIRCLE");
  ASSERT_NE(circle, nullptr);
  EXPECT_FALSE(circle->outline);
  EXPECT_EQ(circle->minLevel, 0);  // ALLOWLEVEL 2- with LINKPOINT 1
  EXPECT_EQ(circle->maxLevel, -1);
  EXPECT_EQ(circle->width, 20);
  EXPECT_EQ(circle->layer, 2);

  const LegacyMapItem* sound = Find(map, "SOUND");
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->target, "ring.wav");
  EXPECT_TRUE(sound->outline);
  EXPECT_EQ(Find(map, "SOUND", 1), nullptr);  // fewer than six fields

  const LegacyMapItem* bitmap = Find(map, "BITMAP");
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->image, "pic.jpg");
  EXPECT_EQ(bitmap->overImage, "");  // the same file twice
  EXPECT_FALSE(bitmap->transparent);
  EXPECT_EQ(bitmap->minLevel, 2);

  const LegacyMapItem* logo = Find(map, "LOGO");
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->image, "pic.jpg");  // the second logo line replaces the first
  EXPECT_TRUE(logo->screen);
  EXPECT_EQ(Find(map, "LOGO", 1), nullptr);

  const LegacyMapItem* text = Find(map, "TEXT");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->target, "");
  EXPECT_EQ(text->text, "Hello old town");
  EXPECT_EQ(text->font, "Arial");
  EXPECT_EQ(text->fontSize, 12);
  EXPECT_EQ(text->color, "#ff0000");
  EXPECT_EQ(text->shadow, "noshadow");
  EXPECT_EQ(text->minLevel, 0);
  EXPECT_EQ(text->maxLevel, 1);

  const LegacyMapItem* locations = Find(map, "LOCATION");
  ASSERT_NE(locations, nullptr);
  EXPECT_EQ(locations->locations, (std::vector<std::string>{"Harbour", "Old town"}));
  EXPECT_EQ(map.items.size(), 7u);
}

// Corners at the ends of int give the widest span, not a wrapped one.
TEST_F(LegacyMapTest, AreasBetweenExtremeCornersSaturate) {
  LegacyMapText map = LegacyMapText::Parse("SOUND a.wav -2147483648,-2147483648 2147483647,2147483647 x.wav\n");
  const LegacyMapItem* sound = Find(map, "SOUND");
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->width, INT_MAX);
  EXPECT_EQ(sound->height, INT_MAX);
}

TEST_F(LegacyMapTest, LinesAreCutAt999BytesAndLevelRangesReadAsWritten) {
  const std::string longName(1500, 'n');
  LegacyMapText map = LegacyMapText::Parse("BASEMAP " + longName + "\n\n\rRECT t 1,2 3,4 level 3\r");
  EXPECT_EQ(map.basemap.size(), 999u - 8u);
  ASSERT_EQ(map.items.size(), 1u);  // the next line is still a line of its own
  EXPECT_EQ(map.items[0].minLevel, 2);
  EXPECT_EQ(map.items[0].maxLevel, -1);

  LegacyMapText area = LegacyMapText::Parse("RECT " + std::string(2000, 'x') + " 1,2 3,4\nRECT a\n");
  EXPECT_TRUE(area.items.empty());  // the cut line lost its coordinates; the short line has none

  struct Case {
    const char* text;
    int minLevel, maxLevel;
  } cases[] = {{"3", 2, -1}, {"3-", 2, -1}, {"2-4", 1, 3}, {"", -1, -1}, {"x", -1, -1}};
  for (const Case& c : cases) {
    int minLevel = 0, maxLevel = 0;
    LegacyMapText::ParseLevelRange(c.text, minLevel, maxLevel);
    EXPECT_EQ(minLevel, c.minLevel) << c.text;
    EXPECT_EQ(maxLevel, c.maxLevel) << c.text;
  }
}

TEST_F(LegacyMapTest, OpenedFromDiskItShowsItsAreasAndPicturesOverTheImage) {
  ASSERT_FALSE(view_->OpenUrl(File("city.map"), true, 0, 0, 0).empty());
  auto* document = dynamic_cast<LegacyMapDocument*>(view_->GetDocument());
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->ImageSource(), File("a.ktq"));
  EXPECT_EQ(document->GetFullWidth(), 512);
  EXPECT_EQ(document->GetPrintHeight(), 800);
  EXPECT_EQ(document->GetPrintWidth(), -1);

  std::vector<MapObject*> objects = document->LineObjects();
  ASSERT_EQ(objects.size(), 7u);  // RECT, CIRCLE, SOUND, BITMAP, LOGO, TEXT, the location list
  auto* rect = dynamic_cast<CComponentRect*>(objects[0]);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->GetLink(), "page2.map");
  EXPECT_TRUE(rect->HasOutline());
  EXPECT_EQ(rect->GetWidth(), 100);
  EXPECT_EQ(rect->GetLayer(), 3);
  EXPECT_EQ(rect->GetMinLevel(), 1);

  auto* circle = dynamic_cast<EllipseObject*>(objects[1]);
  ASSERT_NE(circle, nullptr);
  EXPECT_EQ(circle->GetLink(), "circle.map");
  EXPECT_EQ(platform::Rect::FromSize(circle->GetX(), circle->GetY(), circle->GetWidth(), circle->GetHeight()),
            platform::Rect::FromSize(50, 60, 20, 30));
  EXPECT_EQ(circle->GetLayer(), 2);

  auto* bitmap = dynamic_cast<CComponentLink*>(objects[3]);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(bitmap->GetNormalPicture(), nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 30);  // the picture's size, centred on 200,100
  EXPECT_EQ(bitmap->GetHeight(), 20);
  EXPECT_EQ(bitmap->GetX(), 185);
  EXPECT_EQ(bitmap->GetY(), 90);
  EXPECT_FALSE(bitmap->IsKeyTransparent());

  EXPECT_TRUE(objects[4]->IsScreenCoordinates());
  EXPECT_EQ(objects[4]->GetWidth(), 30);

  auto* text = dynamic_cast<CComponentText*>(objects[5]);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetText(), "Hello old town");
  EXPECT_EQ(text->GetFontFace(), "Arial");
  EXPECT_EQ(text->GetSize(), 12);
  EXPECT_EQ(text->GetColor(), platform::MakeColor(0xFF, 0, 0));
  EXPECT_EQ(text->GetShadowColor(), platform::kNoColor);
  EXPECT_FALSE(text->HasLinkAt(0, 0));
  EXPECT_EQ(text->GetLayer(), 2);
  EXPECT_EQ(text->GetMaxLevel(), 1);
  auto* locations = dynamic_cast<CComponentText*>(objects[6]);
  ASSERT_NE(locations, nullptr);
  EXPECT_EQ(locations->GetText(), "Harbour\nOld town");
  EXPECT_TRUE(locations->IsScreenCoordinates());

  EXPECT_TRUE(document->UnmadeElements().empty());

  // Drawn only on the levels of their ranges: the rectangle on levels 1 and 2.
  document->SetLevel(0);
  std::vector<MapObject*> items;
  document->GetDrawList(items, 0, 0, 400, 300, 0, 0);
  EXPECT_EQ(std::count(items.begin(), items.end(), objects[0]), 0);
  document->SetLevel(1);
  items.clear();
  document->GetDrawList(items, 0, 0, 400, 300, 0, 0);
  EXPECT_EQ(std::count(items.begin(), items.end(), objects[0]), 1);
}

TEST_F(LegacyMapTest, ServedOverHttpItsImagesComeFromTheServer) {
  HttpTestServer server;
  server.Route("/maps/city.map", HttpTestServer::Response::Text(ReadText(File("city.map"))));
  server.Route("/maps/pic.jpg", HttpTestServer::Response::Text(ReadText(File("pic.jpg"))));
  LocalImageMakers makers(dir_->Path());
  view_->SetDocumentFactory(std::make_unique<DocumentFactory>(BuiltInDocumentConstructors(makers)));
  LegacyMapDocument document(*view_, server.Url("/maps/city.map"));
  EXPECT_TRUE(document.IsValid());
  EXPECT_EQ(document.ImageSource(), server.Url("/maps/a.ktq"));
  EXPECT_EQ(makers.paths, std::vector<std::string>{"/maps/a.ktq"});
  auto* bitmap = dynamic_cast<CComponentLink*>(document.LineObjects()[3]);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 30);
  bool askedForPicture = false;
  for (const auto& request : server.Requests()) askedForPicture |= request.path == "/maps/pic.jpg";
  EXPECT_TRUE(askedForPicture);
}

TEST_F(LegacyMapTest, MissingOrEmptyTextsAndMissingImagesFail) {
  auto messageOf = [&](const std::string& url) {
    try {
      LegacyMapDocument document(*view_, url);
    } catch (const CReaderException& error) {
      return error.Message();
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(messageOf(File("none.map")), GetMessageText(401, "", File("none.map")));
  WriteText(File("empty.map"), "");
  EXPECT_EQ(messageOf(File("empty.map")), GetMessageText(401, "", File("empty.map")));
  HttpTestServer server;
  server.Route("/secret.map", HttpTestServer::Response::Text("", 401));
  EXPECT_EQ(messageOf(server.Url("/secret.map")), GetMessageText(409));

  // A text without BASEMAP uses the image named like the file; here there is none.
  WriteText(File("lonely.him"), "RECT a 1,1 2,2\n");
  EXPECT_THROW(LegacyMapDocument(*view_, File("lonely.him")), CReaderException);
  std::filesystem::copy_file(File("a.ktq"), File("lonely.ktq"));
  LegacyMapDocument lonely(*view_, File("lonely.him"));
  EXPECT_EQ(lonely.ImageSource(), File("lonely.ktq"));
  EXPECT_EQ(lonely.LineObjects().size(), 1u);
}

}  // namespace
