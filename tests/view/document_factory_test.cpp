#include <gtest/gtest.h>

#include <unistd.h>

#include "documents/PublicationDocument.h"
#include "platform/Files.h"
#include "platform/TextValues.h"
#include "tests/view/ViewTestSupport.h"
#include "view/DocumentFactory.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

// A page-mode document over an inner one, named after the mode it stands for.
class ModeDocument : public PublicationDocument {
 public:
  ModeDocument(MapView& view, std::unique_ptr<MapDocument> inner, std::string mode, std::string markup)
      : PublicationDocument(&view, std::move(inner)), mode(std::move(mode)), markup(std::move(markup)) {}
  std::string mode;
  std::string markup;
};

// A factory whose every class is a test document that records the class chosen.
class FactoryTest : public ::testing::Test {
 protected:
  FactoryTest() {
    DocumentConstructors& make = factory.Constructors();
    make.legacyMap = Maker("legacy");
    make.tiledImage = Maker("tiled");
    make.clip = Maker("clip");
    make.mosaic = Maker("mosaic");
    make.folder = Maker("folder");
    make.xmml = [this](MapView&, const std::string& url) {
      made.push_back("xmml " + url);
      auto document = std::make_unique<GridDocument>(FiveLevels(), url);
      document->SetParam("type", xmmlType);
      return document;
    };
    make.comics = Wrapper("comics");
    make.news = Wrapper("news");
    make.layoutNews = Wrapper("layoutnews");
  }

  DocumentConstructors::FromUrl Maker(const std::string& kind) {
    return [this, kind](MapView&, const std::string& url) {
      made.push_back(kind + " " + url);
      return std::make_unique<GridDocument>(FiveLevels(), url);
    };
  }
  DocumentConstructors::Wrapper Wrapper(const std::string& mode) {
    return [mode](MapView& view, std::unique_ptr<MapDocument> inner, const std::string& markup) {
      return std::make_unique<ModeDocument>(view, std::move(inner), mode, markup);
    };
  }
  std::unique_ptr<MapDocument> Create(const std::string& url) {
    std::unique_ptr<MapDocument> document;
    resolved = factory.CreateDocument(*harness.view, url, document, &base, "");
    return document;
  }

  ViewHarness harness;
  DocumentFactory factory{DocumentConstructors{}};
  std::vector<std::string> made;
  std::string xmmlType;
  std::string resolved;
  std::string base;
};

}  // namespace

TEST_F(FactoryTest, ContentUrlsAreKnownByTheirLastFourCharacters) {
  struct Case {
    const char* url;
    bool content;
  } cases[] = {{"a.ktq", true},           {"http://h/A.KTQ", true}, {"x.him", true},     {"x.cms", true},
               {"x.map", true},           {"x.Mon", true},          {"clip", true},      {"page.xmml", true},
               {"c:\\pictures\\", true},   {"a.ktq,1,2,3", false},   {"pic.jpg", false},  {"kt", false},
               {"http://h/index.html", false}};
  for (const Case& c : cases) EXPECT_EQ(factory.IsContentUrl(c.url), c.content) << c.url;
}

TEST_F(FactoryTest, ChoosesTheClassByTailAndScheme) {
  struct Case {
    std::string url;
    std::string made;
  } cases[] = {
      {"/data/old.MAP", "legacy /data/old.MAP"},
      {"/data/old.him", "legacy /data/old.him"},
      {"/data/picture.ktq", "tiled /data/picture.ktq"},
      {"ktq://server:30777/set.mon", "tiled ktq://server:30777/set.mon"},
      {"/data/set.mon", "mosaic /data/set.mon"},
      {"/data/clip", "clip /data/clip"},
      {"ktq://server/clip", "xmml ktq://server/clip"},
      {"d:\\albums\\summer\\", "folder d:/albums/summer/"},
      {"ktq://server/album\\", "xmml ktq://server/album/"},
      {"http://host/page.xmml", "xmml http://host/page.xmml"},
      {"ktq://server/book.cms", "xmml ktq://server/book.cms"},
  };
  for (const Case& c : cases) {
    made.clear();
    auto document = Create(c.url);
    ASSERT_NE(document, nullptr) << c.url;
    ASSERT_EQ(made.size(), 1u) << c.url;
    EXPECT_EQ(made[0], c.made);
  }
}

TEST_F(FactoryTest, ComicsFileIsATiledImageInAComicsView) {
  auto document = Create("/data/book.cms");
  auto* comics = dynamic_cast<ModeDocument*>(document.get());
  ASSERT_NE(comics, nullptr);
  EXPECT_EQ(comics->mode, "comics");
  EXPECT_EQ(made, (std::vector<std::string>{"tiled /data/book.cms"}));
  EXPECT_EQ(comics->markup, DocumentFactory::kComicsMarkup);
  EXPECT_NE(comics->markup.find("<param name=\"pagewidth\" value=\"240\"/>"), std::string::npos);
  EXPECT_NE(comics->markup.find("<param name=\"direction\" value=\"vertical\"/>"), std::string::npos);
}

TEST_F(FactoryTest, XmmlTypeChoosesThePageMode) {
  for (std::string type : {"comics", "NEWS", "layoutnews"}) {
    xmmlType = type;
    auto document = Create("/data/issue.xmml");
    auto* mode = dynamic_cast<ModeDocument*>(document.get());
    ASSERT_NE(mode, nullptr) << type;
    EXPECT_EQ(mode->mode, ToLower(type));
    EXPECT_TRUE(mode->markup.empty());
    EXPECT_EQ(dynamic_cast<GridDocument*>(mode->GetInner())->Url(), "/data/issue.xmml");
  }
  xmmlType = "plain";
  EXPECT_NE(dynamic_cast<GridDocument*>(Create("/data/plain.xmml").get()), nullptr);
}

// A page mode without a document of its own shows its markup as a plain XMML document; a
// mode that fails to make its document fails the load with a message.
TEST_F(FactoryTest, PageModesWithoutADocumentOpenTheirMarkupAndFailuresAreReported) {
  factory.Constructors().news = nullptr;
  for (std::string type : {"photo", "news"}) {
    xmmlType = type;
    auto document = Create("/data/album.xmml");
    auto* plain = dynamic_cast<GridDocument*>(document.get());
    ASSERT_NE(plain, nullptr) << type;
    EXPECT_EQ(plain->Url(), "/data/album.xmml");
  }
  EXPECT_TRUE(harness.listener.log.empty());

  factory.Constructors().comics = [](MapView&, std::unique_ptr<MapDocument>, const std::string&) {
    return std::unique_ptr<MapDocument>();
  };
  xmmlType = "comics";
  EXPECT_EQ(Create("/data/issue.xmml"), nullptr);
  EXPECT_EQ(Create("/data/strip.cms"), nullptr);
  EXPECT_EQ(harness.listener.log,
            (std::vector<std::string>{"error Cannot open /data/issue.xmml: its comics view could not be made",
                                      "error Cannot open /data/strip.cms: its comics view could not be made"}));
}

TEST_F(FactoryTest, RegisteredTypesExtendTheXmmlDocument) {
  MapDocument* seen = nullptr;
  factory.RegisterDocumentType({"Gallery", [&](MapView&, MapDocument& xmml) -> std::unique_ptr<MapDocument> {
                                  seen = &xmml;
                                  return std::make_unique<GridDocument>(FiveLevels());
                                }});
  factory.RegisterDocumentType({"", [&](MapView&, MapDocument&) -> std::unique_ptr<MapDocument> {
                                  ADD_FAILURE() << "a handler without a name is ignored";
                                  return nullptr;
                                }});
  factory.RegisterDocumentType({"declined", [](MapView&, MapDocument&) { return std::unique_ptr<MapDocument>(); }});
  xmmlType = "gallery";
  auto document = Create("/data/g.xmml");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(seen, document.get());
  EXPECT_NE(document->GetExtension(), nullptr);
  xmmlType = "declined";
  document = Create("/data/g.xmml");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->GetExtension(), nullptr);
  xmmlType = "";
  EXPECT_EQ(Create("/data/g.xmml")->GetExtension(), nullptr);
}

TEST_F(FactoryTest, ResolvesRelativeUrlsAgainstTheViewsBase) {
  harness.view->GetDocumentFactory().Constructors().xmml = Maker("xmml");
  harness.view->OpenUrl("http://host/pub/issue/index.xmml", true, 0, 0, 0);
  ASSERT_EQ(harness.view->GetBaseUrl(), "http://host/pub/issue/");

  struct Case {
    std::string url;
    std::string resolved;
    std::string base;
  } cases[] = {
      {"../images/a.ktq", "http://host/pub/images/a.ktq", "http://host/pub/images/"},
      {"./b.ktq", "http://host/pub/issue/b.ktq", "http://host/pub/issue/"},
      {"sub\\c.ktq", "http://host/pub/issue/sub/c.ktq", "http://host/pub/issue/sub/"},
      {"/abs/d.ktq", "/abs/d.ktq", "/abs/"},
      {"ktq://server/e.ktq", "ktq://server/e.ktq", "ktq://server/"},
      {"http://other/x/../f.ktq,10,20,2", "http://other/f.ktq,10,20,2", "http://other/"},
  };
  for (const Case& c : cases) {
    made.clear();
    auto document = Create(c.url);
    EXPECT_EQ(resolved, c.resolved) << c.url;
    EXPECT_EQ(base, c.base) << c.url;
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0], "tiled " + c.resolved.substr(0, c.resolved.find(','))) << c.url;
  }
}

TEST_F(FactoryTest, WithoutABaseRelativePathsStartInTheWorkingFolder) {
  auto document = Create("maps/x.ktq");
  EXPECT_EQ(resolved, platform::FullPath("maps/x.ktq"));
  EXPECT_EQ(resolved.front(), '/');
}

TEST_F(FactoryTest, ReadingFailuresAreReportedAndGiveNoDocument) {
  factory.Constructors().tiledImage = [](MapView&, const std::string&) -> std::unique_ptr<MapDocument> {
    throw CReaderException("402 Cannot open the image");
  };
  EXPECT_EQ(Create("/data/broken.ktq"), nullptr);
  EXPECT_EQ(harness.listener.log, (std::vector<std::string>{"error 402 Cannot open the image"}));
  auto records = harness.Dialogs().Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].text, "402 Cannot open the image");
  EXPECT_EQ(records[0].caption, "Korvani Zolvex");
  EXPECT_EQ(records[0].icon, platform::MessageIcon::Warning);

  factory.Constructors().tiledImage = [](MapView&, const std::string&) -> std::unique_ptr<MapDocument> {
    throw std::bad_alloc();
  };
  EXPECT_EQ(Create("/data/huge.ktq"), nullptr);
}

namespace {

// A document that counts its Close calls in a counter outside it.
class CountedDocument : public GridDocument {
 public:
  CountedDocument(int& closes, bool valid) : GridDocument(FiveLevels()), closes_(closes) {
    if (!valid) MarkInvalid();
  }
  void Close() override { ++closes_; }

 private:
  int& closes_;
};

}  // namespace

TEST_F(FactoryTest, DocumentsThatAreNotValidAreClosedAndDropped) {
  int closes = 0;
  factory.Constructors().tiledImage = [&](MapView&, const std::string&) {
    return std::make_unique<CountedDocument>(closes, false);
  };
  EXPECT_EQ(Create("/data/unready.ktq"), nullptr);
  EXPECT_EQ(closes, 1);

  // A document already in the out-parameter is closed and replaced.
  int oldCloses = 0;
  std::unique_ptr<MapDocument> slot = std::make_unique<CountedDocument>(oldCloses, true);
  factory.Constructors().tiledImage = Maker("tiled");
  factory.CreateDocument(*harness.view, "/data/new.ktq", slot, nullptr, "");
  EXPECT_EQ(oldCloses, 1);
  ASSERT_NE(slot.get(), nullptr);
  EXPECT_EQ(dynamic_cast<GridDocument*>(slot.get())->Url(), "/data/new.ktq");
}

TEST_F(FactoryTest, ObjectsWithAPageIndexArePlacedOnThePageGrid) {
  for (bool reversed : {false, true}) {
    factory.Constructors().xmml = [&](MapView&, const std::string& url) {
      auto document = std::make_unique<GridDocument>(
          std::vector<platform::Size>{{600, 400}, {1200, 800}}, url);  // 2 × 1200 / 240 = 10 columns
      document->SetParam("pagewidth", "240");
      document->SetParam("pageheight", "320");
      document->SetParam("reversepage", reversed ? "yes" : "no");
      for (int page : {-1, 0, 3, 12}) {
        auto object = std::make_unique<MapObject>(5, 7, 10, 10);
        object->SetBasePage(page);
        document->AddObject(std::move(object), false);
      }
      return document;
    };
    auto document = Create("/data/pages.xmml");
    ASSERT_NE(document, nullptr);
    std::vector<platform::Point> positions;
    for (MapObject* object : document->GetObjectList())
      if (object != document->GetLimitFrame()) positions.push_back({object->GetX(), object->GetY()});
    std::vector<platform::Point> expected =
        reversed ? std::vector<platform::Point>{{5, 7}, {5 + 9 * 120, 7}, {5 + 6 * 120, 7}, {5 + 7 * 120, 7 + 320}}
                 : std::vector<platform::Point>{{5, 7}, {5, 7}, {5 + 3 * 120, 7}, {5 + 2 * 120, 7 + 320}};
    EXPECT_EQ(positions, expected) << (reversed ? "reversed" : "in order");
  }
}
