#include <gtest/gtest.h>

#include "documents/CReaderException.h"
#include "tiles/FolderDocument.h"
#include "documents/MessageTable.h"
#include "documents/XmmlDocument.h"
#include "objects/CComponentText.h"
#include "objects/NoteObject.h"
#include "objects/CComponentRect.h"
#include "objects/PageIndex.h"
#include "objects/ThumbnailNavigator.h"
#include "platform/InputEvent.h"
#include "tests/xmml/XmmlTestBase.h"
#include "tiles/MosaicDocument.h"
#include "tiles/TiledImageDocument.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

class XmmlDocumentTest : public XmmlTest {
 protected:
  XmmlDocument* Open(const std::string& name) {
    if (view_->OpenUrl(File(name), true, 0, 0, 0).empty()) return nullptr;
    return dynamic_cast<XmmlDocument*>(view_->GetDocument());
  }
  std::unique_ptr<XmmlDocument> Load(const std::string& name) {
    return std::make_unique<XmmlDocument>(*view_, File(name));
  }
  static std::vector<MapObject*> Plain(MapDocument& document) {
    std::vector<MapObject*> plain;
    for (MapObject* object : document.GetObjectList()) {
      if (object != document.GetLimitFrame()) plain.push_back(object);
    }
    return plain;
  }
};

TEST_F(XmmlDocumentTest, OpenedFromDiskItReadsEveryGroupOverItsBasemap) {
  XmmlDocument* document = Open("doc.xmml");
  ASSERT_NE(document, nullptr);
  EXPECT_TRUE(document->IsValid());
  EXPECT_EQ(document->GetFullWidth(), 512);
  EXPECT_EQ(document->GetLevelCount(), 3);
  EXPECT_EQ(document->GetParam("tilewidth"), "128");

  EXPECT_EQ(document->GetParam("ZOOM"), "2");
  EXPECT_EQ(document->GetParam("title"), "Café & plan");
  EXPECT_EQ(document->GetParam(""), "");
  EXPECT_EQ(document->Limit(), "0,0-256,256");
  EXPECT_EQ(document->Actions().at("home"), "goto:0,0,1,left");
  EXPECT_EQ(document->Menus().size(), 1u);  // the empty ID and the second MENUS are ignored
  EXPECT_EQ(document->BasemapList(), std::vector<std::string>{File("a.ktq")});
  EXPECT_EQ(document->ThumbnailSource(), "thumb.jpg");

  ASSERT_TRUE(document->PageIndex());
  const PageIndexData& index = *document->PageIndex();
  EXPECT_EQ(index.thumbWidth, 80);
  EXPECT_EQ(index.position, "bottom");
  EXPECT_FALSE(index.visible);
  ASSERT_EQ(index.items.size(), 2u);
  EXPECT_EQ(index.items[0].page, 1);
  EXPECT_EQ(index.items[0].source, File("thumbs/p1.jpg"));
  EXPECT_EQ(index.items[0].tooltipSize, "12");
  EXPECT_EQ(index.items[1].source, "http://elsewhere.example/p2.jpg");

  // Shapes, texts and notes are made; nothing is left as a record.
  EXPECT_TRUE(document->UnmadeElements().empty());
  const CComponentText* text = nullptr;
  const NoteObject* note = nullptr;
  for (MapObject* object : document->GetObjectList()) {
    if (auto* made = dynamic_cast<CComponentText*>(object)) text = made;
    if (auto* made = dynamic_cast<NoteObject*>(object)) note = made;
  }
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetText(), "Main street");
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->GetWidth(), 50);
  EXPECT_EQ(document->MapIds(), std::vector<std::string>{"streets"});
}

TEST_F(XmmlDocumentTest, ServedOverHttpItsReferencesResolveAgainstTheDocumentUrl) {
  HttpTestServer server;
  const std::string markup = ReadText(File("doc.xmml"));
  server.Route("/plans/doc.xmml", HttpTestServer::Response::Text(markup));
  LocalImageMakers makers(dir_->Path());
  view_->SetDocumentFactory(std::make_unique<DocumentFactory>(BuiltInDocumentConstructors(makers)));
  XmmlDocument document(*view_, server.Url("/plans/doc.xmml"));
  EXPECT_TRUE(document.IsValid());
  EXPECT_EQ(document.BasePath(), server.Url("/plans/"));
  EXPECT_EQ(document.BasemapList(), std::vector<std::string>{server.Url("/plans/a.ktq")});
  EXPECT_EQ(makers.paths, std::vector<std::string>{"/plans/a.ktq"});
  EXPECT_EQ(document.PageIndex()->items[0].source, server.Url("/plans/thumbs/p1.jpg"));
  EXPECT_EQ(document.GetParam("zoom"), "2");
  EXPECT_EQ(document.GetFullHeight(), 512);
}

TEST_F(XmmlDocumentTest, UnreadableDocumentsRaiseTheMissingFileAndAuthenticationMessages) {
  HttpTestServer server;
  server.Route("/locked.xml", HttpTestServer::Response::Text("no", 401));
  auto messageOf = [&](const std::string& url) {
    try {
      XmmlDocument document(*view_, url);
    } catch (const CReaderException& error) {
      return error.Message();
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(messageOf(File("nothing.xml")), GetMessageText(401, "", File("nothing.xml")));
  EXPECT_EQ(messageOf(server.Url("/gone.xml")), GetMessageText(401, "", server.Url("/gone.xml")));
  EXPECT_EQ(messageOf(server.Url("/locked.xml")), GetMessageText(409));
  EXPECT_NE(GetMessageText(401, "", "x").find("File x not found"), std::string::npos);

  // Through content opening the view stays with the content it had.
  ASSERT_NE(Open("doc.xmml"), nullptr);
  EXPECT_EQ(view_->OpenUrl(File("nothing.xmml"), false, 0, 0, 0), File("doc.xmml"));
  EXPECT_NE(dynamic_cast<XmmlDocument*>(view_->GetDocument()), nullptr);
}

TEST_F(XmmlDocumentTest, WithoutKtqOrWithBrokenMarkupTheBasemapIsNamedAfterTheDocument) {
  auto plain = Load("plain.xmml");
  EXPECT_TRUE(plain->IsValid());
  EXPECT_TRUE(plain->BasemapList().empty());
  EXPECT_EQ(plain->GetFullWidth(), 512);
  EXPECT_EQ(plain->GetParam("type"), "something");

  auto broken = Load("broken.xml");
  EXPECT_TRUE(broken->IsValid());
  EXPECT_EQ(broken->GetParam("a"), "");
  EXPECT_TRUE(broken->UnmadeElements().empty());
  EXPECT_EQ(broken->GetLevelCount(), plain->GetLevelCount());

  // A basemap that cannot be opened fails the document.
  WriteText(File("orphan.xml"), "<XMML><PARAM NAME=\"a\" VALUE=\"1\"/></XMML>");
  EXPECT_THROW(Load("orphan.xml"), CReaderException);
}

TEST_F(XmmlDocumentTest, TheDeclaredEncodingDecidesHowTheBytesAreRead) {
  const std::string body = "<XMML><PARAM NAME=\"t\" VALUE=\"caf\xE9\"/><BODY><BASEMAP><KTQ SRC=\"a.ktq\"/></BASEMAP></BODY></XMML>";
  WriteText(File("ansi.xml"), body);
  EXPECT_EQ(Load("ansi.xml")->GetParam("t"), "caf\xC3\xA9");
  WriteText(File("ansi80.xml"), "<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + std::string(body).replace(body.find('\xE9'), 1, "\x80"));
  EXPECT_EQ(Load("ansi80.xml")->GetParam("t"), "caf\xE2\x82\xAC");  // the euro sign
  WriteText(File("utf8.xml"), "<?xml version='1.0' encoding='UTF-8'?>" + std::string(body).replace(body.find('\xE9'), 1, "\xC3\xA9"));
  EXPECT_EQ(Load("utf8.xml")->GetParam("t"), "caf\xC3\xA9");
}

TEST_F(XmmlDocumentTest, MapsLoadAndUnloadByIdAndArePlacedByTheirSizes) {
  MakeRectsPlain(*view_);
  auto document = Load("maps.xml");
  ASSERT_TRUE(document->IsValid());
  // LoadOnInit "no": only the objects of the map whose ID was taken already exist.
  auto objects = Plain(*document);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0]->GetX(), 107);  // offsetx: placed in full-resolution pixels
  EXPECT_EQ(objects[0]->GetVirtualWidth(), 512);
  EXPECT_TRUE(document->FindMap("m1")->objectIds.empty());

  ASSERT_TRUE(document->HandleCommand("LoadMap", "m1"));
  const std::vector<int> first = document->FindMap("m1")->objectIds;
  ASSERT_EQ(first.size(), 1u);
  MapObject* scaled = document->FindObject(first[0]);
  ASSERT_NE(scaled, nullptr);
  EXPECT_EQ(scaled->GetX(), 20);
  EXPECT_EQ(scaled->GetY(), 20);
  EXPECT_EQ(scaled->GetWidth(), 40);
  EXPECT_EQ(scaled->GetHeight(), 40);
  EXPECT_EQ(scaled->GetVirtualWidth(), 512);  // the document's full size
  EXPECT_EQ(scaled->GetMinLevel(), 1);
  EXPECT_EQ(scaled->GetMaxLevel(), -1);
  EXPECT_TRUE(scaled->IsSelectable());

  document->HandleCommand("loadmap", "m1");  // already loaded: nothing happens
  document->HandleCommand("loadmap", "nope");
  EXPECT_EQ(Plain(*document).size(), 2u);

  ASSERT_TRUE(document->HandleCommand("loadmap", "[all]"));
  ASSERT_EQ(document->FindMap("m2")->objectIds.size(), 2u);
  MapObject* relative = document->FindObject(document->FindMap("m2")->objectIds[1]);
  EXPECT_EQ(relative->GetX(), 5);
  EXPECT_EQ(relative->GetVirtualWidth(), 256);  // scales with the map
  EXPECT_EQ(Plain(*document).size(), 4u);

  ASSERT_TRUE(document->HandleCommand("unloadmap", "[all]"));
  EXPECT_EQ(Plain(*document).size(), 1u);
  EXPECT_TRUE(document->FindMap("m1")->objectIds.empty());
  document->HandleCommand("loadmap", "m1");
  const std::vector<int> second = document->FindMap("m1")->objectIds;
  ASSERT_EQ(second.size(), 1u);
  EXPECT_GT(second[0], first[0]);
  std::vector<MapObject*> drawn;
  document->GetDrawList(drawn, 0, 0, 400, 300, 0, 0);  // sweeps the removed objects
}

TEST_F(XmmlDocumentTest, MenusRunTheChosenLinkWithTheParameter) {
  auto document = Load("doc.xmml");
  std::vector<platform::MenuItem> items;
  std::vector<std::string> links;
  ASSERT_TRUE(document->BuildMenu("m", items, links));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].command, 1);
  EXPECT_EQ(items[1].command, 0);  // the separator takes no number
  EXPECT_EQ(items[2].label, "More");
  ASSERT_EQ(items[2].submenu.size(), 2u);
  EXPECT_EQ(items[2].submenu[0].command, 3);
  EXPECT_EQ(links, (std::vector<std::string>{"goto:%s", "", "goto:1,%s", "goto:9"}));
  EXPECT_FALSE(document->BuildMenu("M", items, links));  // IDs are kept as written

  Responder().QueueMenuChoice(1);
  EXPECT_TRUE(document->HandleCommand("menu", "m(42)"));
  Responder().QueueMenuChoice(3);
  EXPECT_TRUE(document->HandleCommand("RMENU", "m(a(b))"));
  EXPECT_TRUE(document->HandleCommand("menu", "m"));  // dismissed: nothing runs
  EXPECT_EQ(view_->links, (std::vector<std::string>{"goto:42", "goto:1,a(b)"}));
  ASSERT_FALSE(Responder().Records().empty());
  EXPECT_EQ(Responder().Records().back().kind, "menu");
}

// A task that runs while the menu is open may replace the document; the chosen link still
// runs, and nothing of the destroyed document is touched.
TEST_F(XmmlDocumentTest, AMenuWhoseDocumentIsReplacedMeanwhileStillRunsTheLink) {
  auto document = Load("doc.xmml");
  XmmlDocument* shown = document.get();
  Responder().QueueMenuAction([&] { document.reset(); });
  Responder().QueueMenuChoice(1);
  EXPECT_TRUE(shown->HandleCommand("menu", "m(7)"));
  EXPECT_EQ(document, nullptr);
  EXPECT_EQ(view_->links, std::vector<std::string>{"goto:7"});
}

TEST_F(XmmlDocumentTest, ActionsRunTheirCommandsAndUnknownCommandsGoToTheBase) {
  auto document = Load("doc.xmml");
  EXPECT_TRUE(document->HandleCommand("Action", "HOME"));
  EXPECT_EQ(view_->links, std::vector<std::string>{"goto:0,0,1,left"});
  EXPECT_FALSE(document->HandleCommand("action", "away"));
  EXPECT_FALSE(document->HandleCommand("frobnicate", ""));
  EXPECT_TRUE(document->HandleCommand("sortobjects", ""));
  EXPECT_TRUE(document->HandleCommand("showindex", ""));
  EXPECT_TRUE(document->PageIndex()->visible);
  document->HandleCommand("showindex", "");
  EXPECT_FALSE(document->PageIndex()->visible);

  // An action that opens content replaces the document that runs it.
  ASSERT_NE(Open("doc.xmml"), nullptr);
  EXPECT_TRUE(view_->GetDocument()->HandleCommand("action", "next"));
  auto* next = dynamic_cast<XmmlDocument*>(view_->GetDocument());
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->Url(), File("plain.xmml"));
}

TEST_F(XmmlDocumentTest, TheLimitParameterIsSetOnActivationAndClearedAfter) {
  ASSERT_NE(Open("doc.xmml"), nullptr);
  EXPECT_EQ(view_->GetBrowserProperty("limit"), "0,0-256,256");
  ASSERT_NE(Open("plain.xmml"), nullptr);
  EXPECT_EQ(view_->GetBrowserProperty("limit"), "");
}

TEST_F(XmmlDocumentTest, PreloadLevelAsksForEveryWholeTileOfThatLevel) {
  auto document = Load("plain.xmml");  // preloadlevel 2: level index 1, 256 x 256 in tiles of 128
  auto* image = dynamic_cast<TiledImageDocument*>(document->GetInner());
  ASSERT_NE(image, nullptr);
  ASSERT_GE(image->GetLevelCount(), 2);
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) EXPECT_NE(image->Cache()->Find(1, column, row), nullptr);
  }
  EXPECT_EQ(image->Cache()->Find(2, 0, 0), nullptr);
}

TEST_F(XmmlDocumentTest, SeveralImagesMakeAMosaicAndAFolderSourceAFolderDocument) {
  auto mosaic = Load("mosaic.xml");
  EXPECT_TRUE(mosaic->IsBasemapMosaic());
  ASSERT_NE(dynamic_cast<MosaicDocument*>(mosaic->GetInner()), nullptr);
  EXPECT_EQ(mosaic->GetFullWidth(), 1024);
  EXPECT_EQ(mosaic->GetFullHeight(), 512);

  auto folder = Load("folder.xml");  // preloadlevel beyond the levels: ignored
  EXPECT_TRUE(folder->IsBasemapFolder());
  auto* images = dynamic_cast<FolderDocument*>(folder->GetInner());
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->Images().size(), 3u);
  EXPECT_EQ(folder->GetFullWidth(), 512);  // 2 x 2 cells of 256
}

// Cells the view's int coordinates cannot reach are left out; the rest of the mosaic shows.
TEST_F(XmmlDocumentTest, AMosaicLeavesOutCellsBeyondTheCoordinates) {
  auto loadBasemap = [&](const std::string& name, const std::string& basemap) {
    WriteText(File(name), "<XMML><BODY>" + basemap + "</BODY></XMML>");
    auto document = Load(name);
    auto* mosaic = dynamic_cast<MosaicDocument*>(document->GetInner());
    EXPECT_NE(mosaic, nullptr);
    EXPECT_EQ(mosaic ? mosaic->ChildCount() : 0, 1);
    return document;
  };
  auto grid = loadBasemap("far-grid.xml", "<BASEMAP><KTQ SRC=\"a.ktq\" col=\"-3\"/>"
                                          "<KTQ SRC=\"b.ktq\" col=\"2147483647\" row=\"1\"/></BASEMAP>");
  EXPECT_EQ(grid->GetFullWidth(), 512 << 20);  // the widest grid the layout allows
  EXPECT_EQ(grid->GetFullHeight(), 1024);

  auto free = loadBasemap("far-free.xml", "<BASEMAP virtualwidth=\"1000\" virtualheight=\"1000\"><KTQ SRC=\"a.ktq\"/>"
                                          "<KTQ SRC=\"b.ktq\" x=\"2147483647\"/></BASEMAP>");
  std::vector<MapObject*> items;
  free->GetDrawList(items, 0, 0, 1000, 1000, 0, 0);
  EXPECT_FALSE(items.empty());
}

TEST_F(XmmlDocumentTest, ASecondaryDocumentIsDrawnWithTheBasemapAndFollowsItsLevel) {
  auto document = Load("doc.xmml");
  document->SetSecondaryDocument(std::make_unique<TiledImageDocument>(*view_, File("b.ktq"), DefaultSourceMakers::Shared()));
  document->SetLevel(1);
  std::vector<MapObject*> alone, together;
  auto plain = Load("plain.xmml");
  plain->SetLevel(1);
  plain->GetDrawList(alone, 0, 0, 256, 256, 0, 0);
  document->GetDrawList(together, 0, 0, 256, 256, 0, 0);
  EXPECT_EQ(document->GetSecondaryDocument()->GetLevel(), 1);
  EXPECT_GT(together.size(), alone.size());
}

}  // namespace

// "offsetx" and "offsety" place the first viewport; once the view is placed they are kept
// as "offsetxbak" and "offsetybak" and no longer hold the view.
TEST_F(XmmlDocumentTest, ContentOffsetsPlaceTheFirstViewportOnly) {
  WriteText(File("offset.xmml"),
            "<XMML><PARAM NAME=\"offsetx\" VALUE=\"64\"/><PARAM NAME=\"offsety\" VALUE=\"32\"/>"
            "<BODY><BASEMAP><KTQ SRC=\"a.ktq\"/></BASEMAP></BODY></XMML>");
  XmmlDocument* document = Open("offset.xmml");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->GetParam("offsetx"), "64");
  view_->MoveTo(0, 0, 3, "left");
  for (int move = 0; move < 2; ++move) {
    EXPECT_EQ(document->GetParam("offsetx"), "");
    EXPECT_EQ(document->GetParam("offsety"), "");
    EXPECT_EQ(document->GetParam("offsetxbak"), "64");
    EXPECT_EQ(document->GetParam("offsetybak"), "32");
    view_->MoveTo(0, 0, 3, "left");
  }
  EXPECT_EQ(view_->ViewX(), 0);
}

// A virtual size among the parameters sizes the picture: every level keeps its share of it.
TEST_F(XmmlDocumentTest, AVirtualSizeStretchesTheBasemapsLevels) {
  WriteText(File("virtual.xmml"),
            "<XMML><PARAM NAME=\"virtualwidth\" VALUE=\"1024\"/><PARAM NAME=\"virtualheight\" VALUE=\"256\"/>"
            "<BODY><BASEMAP><KTQ SRC=\"a.ktq\"/></BASEMAP></BODY></XMML>");
  XmmlDocument* document = Open("virtual.xmml");
  ASSERT_NE(document, nullptr);
  const int top = document->GetLevelCount() - 1;
  ASSERT_GE(top, 1);
  EXPECT_EQ(document->GetFullWidth(), 1024);
  EXPECT_EQ(document->GetFullHeight(), 256);
  EXPECT_EQ(document->GetLevelWidth(top - 1), 512);
  EXPECT_EQ(document->GetLevelHeight(top - 1), 128);
}

namespace {

// An index of two pages at the top left: 300 pixels wide, so (300 - 12) / 68 = 4 columns,
// and the two pages make a panel of 68 x 4 + 27 = 299 by 40 + 43 = 83 pixels.
class PageIndexPanelTest : public XmmlDocumentTest {
 protected:
  void SetUp() override {
    XmmlDocumentTest::SetUp();
    WriteText(File("index.xmml"), R"(<XMML>
  <INDEX thumbwidth="60" thumbheight="40" width="300" height="200" position="left-top">
    <item href="goto:100,0,1" src="pic.jpg" tooltip="One"/>
    <item href="two.xmml" src="pic.jpg"/>
  </INDEX>
  <BODY><BASEMAP><KTQ SRC="a.ktq"/></BASEMAP></BODY>
</XMML>)");
    view_->SetEventHandlers([this](const ViewEvent& event) { events.push_back(event); }, nullptr);
  }
  std::vector<ViewEvent> events;
};

}  // namespace

TEST_F(PageIndexPanelTest, ShowIndexShowsThePagesOverTheImageAndHidesThemAgain) {
  XmmlDocument* document = Open("index.xmml");
  ASSERT_NE(document, nullptr);
  zolvex::PageIndex* index = document->PageIndexObject();
  ASSERT_NE(index, nullptr);
  EXPECT_FALSE(index->IsVisible());
  EXPECT_EQ(index->PageCount(), 2u);
  EXPECT_EQ(index->Page(1), nullptr);  // built when first shown

  EXPECT_TRUE(view_->Execute("showindex", ""));
  EXPECT_TRUE(index->IsVisible());
  ASSERT_NE(index->Page(1), nullptr);
  EXPECT_NE(index->Page(1)->GetCurrentPicture(), nullptr);
  view_->Present();
  auto frame = view_->CaptureImage(0, 0, 400, 300);
  ASSERT_TRUE(frame);
  auto rgb = [&](int x, int y) {
    const qmRGBQuad p = frame->getPixelColor(x, y);
    return std::array<int, 3>{p.red, p.green, p.blue};
  };
  EXPECT_EQ(rgb(150, 12), (std::array<int, 3>{0xD0, 0xD0, 0xD0}));  // title strip
  EXPECT_EQ(rgb(200, 60), (std::array<int, 3>{0xFF, 0xFF, 0xFF}));  // panel right of the pages
  const auto page = rgb(11 + 68 + 30, 34 + 25);                      // the picture, #2040e0
  EXPECT_NEAR(page[0], 0x20, 12);
  EXPECT_NEAR(page[1], 0x40, 12);
  EXPECT_NEAR(page[2], 0xE0, 12);
  EXPECT_NE(rgb(350, 60), (std::array<int, 3>{0xFF, 0xFF, 0xFF}));  // the image beside it

  view_->Execute("showindex", "");
  EXPECT_FALSE(index->IsVisible());
  EXPECT_FALSE(document->PageIndex()->visible);
}

TEST_F(PageIndexPanelTest, ClickingAPageFollowsItsLinkAndClosesTheIndex) {
  XmmlDocument* document = Open("index.xmml");
  ASSERT_NE(document, nullptr);
  view_->Execute("showindex", "");
  view_->Present();
  const int x = 11 + 68 + 30, y = 34 + 20;
  const int viewX = view_->ViewX();
  EXPECT_EQ(view_->ObjectAt(x, y), document->PageIndexObject());
  view_->OnLButtonDown(x, y, platform::kModLeftButton, 1000);
  view_->OnLButtonUp(x, y, 0, 1050);
  EXPECT_FALSE(document->PageIndexObject()->IsVisible());
  platform_->Window().RunFor(0);  // the posted events
  const auto found = std::find_if(events.begin(), events.end(), [](const ViewEvent& e) { return e.name == "SetContent"; });
  ASSERT_NE(found, events.end());
  EXPECT_EQ(found->param2, "two.xmml");
  EXPECT_EQ(view_->ViewX(), viewX);  // the press neither dragged nor zoomed the view
}

// A thumbnail picture of the document's own replaces the navigator of its image.
TEST_F(XmmlDocumentTest, ThumbnailSrcMakesTheDocumentsNavigatorAndHidesTheImagesOwn) {
  WriteText(File("thumbs.xmml"),
            R"(<XMML><BODY><BASEMAP thumbnailsrc="pic.jpg"><KTQ SRC="a.ktq"/></BASEMAP></BODY></XMML>)");
  XmmlDocument* document = Open("thumbs.xmml");
  ASSERT_NE(document, nullptr);
  auto navigators = [](MapDocument& of) {
    std::vector<MapObject*> found;
    for (MapObject* object : of.GetObjectList())
      if (object->GetProperty("type") == "thumbnail") found.push_back(object);
    return found;
  };
  const auto own = navigators(*document);
  ASSERT_EQ(own.size(), 1u);
  EXPECT_TRUE(own[0]->IsVisible());
  EXPECT_EQ(own[0]->GetLayer(), 10);
  auto* picture = static_cast<ThumbnailNavigator*>(own[0])->GetCurrentPicture();
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->getWidth(), 30);

  auto* image = dynamic_cast<TiledImageDocument*>(document->GetInner());
  ASSERT_NE(image, nullptr);
  ASSERT_NE(image->Navigator(), nullptr);
  EXPECT_FALSE(image->Navigator()->IsVisible());
}
