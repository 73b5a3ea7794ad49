#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "documents/MessageTable.h"
#include "tests/support/TestSupport.h"
#include "tests/view/ViewTestSupport.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

// A view whose factory makes grid documents: ".ktq" and XMML URLs open, a URL holding
// "broken" fails while reading, one holding "missing" opens no document.
class OpenUrlTest : public ::testing::Test {
 protected:
  OpenUrlTest() {
    DocumentConstructors make;
    make.tiledImage = make.xmml = make.folder = [this](MapView&, const std::string& url) {
      return Make(url);
    };
    view().SetDocumentFactory(std::make_unique<DocumentFactory>(make));
  }

  std::unique_ptr<MapDocument> Make(const std::string& url) {
    made.push_back(url);
    if (url.find("broken") != std::string::npos) throw CReaderException("401 Cannot open " + url);
    if (url.find("missing") != std::string::npos) return nullptr;
    auto document = std::make_unique<GridDocument>(FiveLevels(), url);
    for (auto& [name, value] : params[url]) document->SetParam(name, value);
    return document;
  }

  TestView& view() { return *harness.view; }
  GridDocument* shown() { return dynamic_cast<GridDocument*>(view().GetDocument()); }
  std::vector<std::string>& log() { return harness.listener.log; }

  ViewHarness harness;
  std::vector<std::string> made;
  std::map<std::string, std::map<std::string, std::string>> params;
};

}  // namespace

TEST_F(OpenUrlTest, OpensContentAndNotifiesLoadingFollowLinkLoaded) {
  EXPECT_EQ(view().OpenUrl("/data/maps/world.ktq", true, 0, 0, 0), "/data/maps/world.ktq");
  ASSERT_NE(shown(), nullptr);
  EXPECT_EQ(shown()->activations, 1);
  EXPECT_EQ(view().GetCurrentUrl(), "/data/maps/world.ktq");
  EXPECT_EQ(view().GetBaseUrl(), "/data/maps/");
  EXPECT_EQ(log(), (std::vector<std::string>{"loading /data/maps/world.ktq", "followlink /data/maps/world.ktq",
                                             "loaded /data/maps/world.ktq"}));
  // Opening content stops automatic page play and scrolling.
  EXPECT_EQ(view().commands, (std::vector<std::string>{"autoplay no", "autoscroll 0,0"}));
  EXPECT_EQ(view().GetHistory().Entries(), (std::vector<std::string>{"/data/maps/world.ktq"}));
  EXPECT_TRUE(harness.Dialogs().Records().empty());
}

TEST_F(OpenUrlTest, ReplacingContentClosesTheOldDocumentAndRecordsWhereTheViewWas) {
  view().OpenUrl("/data/a.ktq", true, 0, 0, 0);
  shown()->SetLevel(3);
  view().SetPosition(300, 200, false, false);
  view().OpenUrl("/data/b.ktq", false, 0, 0, 0);
  EXPECT_EQ(shown()->Url(), "/data/b.ktq");
  EXPECT_EQ(view().GetPreviousUrl(), "/data/a.ktq");
  EXPECT_EQ(view().GetHistory().Entries(), (std::vector<std::string>{"/data/a.ktq,300,200,4", "/data/b.ktq"}));

  // The URL that is already the last entry is not added again (in any case).
  view().OpenUrl("/DATA/B.ktq", false, 0, 0, 0);
  EXPECT_EQ(view().GetHistory().Entries().size(), 2u);
  EXPECT_EQ(view().GetHistory().Entries()[1].rfind("/data/b.ktq,", 0), 0u);
  view().OpenUrl("/data/c.ktq", true, 0, 0, 0);  // the reset flag starts a new history
  EXPECT_EQ(view().GetHistory().Entries(), (std::vector<std::string>{"/data/c.ktq"}));
}

TEST_F(OpenUrlTest, PositionSuffixMovesTheNewContent) {
  struct Case {
    std::string url;
    int level;  // 1-based
    int x, y;
  } cases[] = {
      {"/data/a.ktq,700,500,3,center", 3, 380, 260},
      {"/data/a.ktq,100,200,4", 4, 100, 200},
      {"/data/a.ktq,100,200,2,left", 2, 0, 0},  // 512 × 384 is smaller than the window: centred
      {"/data/a.ktq,2000,1000,5,abs", 5, 2000, 1000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(view().OpenUrl(c.url, true, 0, 0, 0), "/data/a.ktq") << c.url;
    EXPECT_EQ(view().GetCurrentUrl(), "/data/a.ktq");
    EXPECT_EQ(made.back(), "/data/a.ktq");
    EXPECT_EQ(view().GetCurrentLevel(), c.level) << c.url;
    if (c.level == 2) {
      EXPECT_EQ(view().ViewX(), (512 - 640) / 2);
      EXPECT_EQ(view().ViewY(), (384 - 480) / 2);
    } else {
      EXPECT_EQ(view().ViewX(), c.x) << c.url;
      EXPECT_EQ(view().ViewY(), c.y) << c.url;
    }
  }
}

TEST_F(OpenUrlTest, FailingContentFallsBackToThePreviousUrlAndPosition) {
  view().OpenUrl("/data/good.ktq", true, 0, 0, 0);
  shown()->SetLevel(3);
  view().SetPosition(500, 400, false, false);
  log().clear();

  EXPECT_EQ(view().OpenUrl("/elsewhere/broken.ktq", false, 0, 0, 0), "/data/good.ktq");
  EXPECT_EQ(log(), (std::vector<std::string>{
                       "loading /elsewhere/broken.ktq", "followlink /elsewhere/broken.ktq",
                       "error 401 Cannot open /elsewhere/broken.ktq", "loading /data/good.ktq",
                       "followlink /data/good.ktq", "loaded /data/good.ktq"}));
  ASSERT_NE(shown(), nullptr);
  EXPECT_EQ(shown()->Url(), "/data/good.ktq");
  EXPECT_EQ(view().GetCurrentLevel(), 4);
  EXPECT_EQ(view().ViewX(), 500);
  EXPECT_EQ(view().ViewY(), 400);
  EXPECT_EQ(view().GetBaseUrl(), "/data/");
  auto records = harness.Dialogs().Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].text, "401 Cannot open /elsewhere/broken.ktq");

  // A URL that opens no document falls back without an error.
  log().clear();
  EXPECT_EQ(view().OpenUrl("/data/missing.ktq", false, 0, 0, 0), "/data/good.ktq");
  EXPECT_EQ(log().back(), "loaded /data/good.ktq");
  EXPECT_EQ(log().size(), 5u);
}

TEST_F(OpenUrlTest, WithoutPreviousContentAFailureLeavesTheViewEmpty) {
  EXPECT_EQ(view().OpenUrl("/data/missing.ktq", true, 0, 0, 0), "");
  EXPECT_EQ(view().GetDocument(), nullptr);
  EXPECT_EQ(log(), (std::vector<std::string>{"loading /data/missing.ktq", "followlink /data/missing.ktq",
                                             "loaded "}));
  EXPECT_EQ(view().GetLevelCount(), -1);
  EXPECT_EQ(view().GetViewportX(), -1);
}

TEST_F(OpenUrlTest, HostUrlsComeBackUnchangedAndQueueAsFollowLink) {
  view().OpenUrl("/data/a.ktq", true, 0, 0, 0);
  harness.DeliverEvents().clear();
  log().clear();
  view().commands.clear();
  for (std::string url : {"ext:showHelp()", "EXT_SILENT:count", ""}) {
    EXPECT_EQ(view().OpenUrl(url, true, 0, 0, 0), url);
  }
  EXPECT_TRUE(log().empty());
  EXPECT_TRUE(view().commands.empty());
  EXPECT_EQ(view().GetHistory().Entries().size(), 1u);

  view().QueueContent("ext:showHelp()", true);
  EXPECT_EQ(log(), (std::vector<std::string>{"followlink ext:showHelp()"}));
  EXPECT_TRUE(harness.DeliverEvents().empty());
}

TEST_F(OpenUrlTest, QueueContentPostsSetContentAndRecordsThePage) {
  params["/data/a.ktq"] = {{"pagewidth", "1024"}, {"pageheight", "768"}};
  view().OpenUrl("/data/a.ktq", true, 0, 0, 0);
  view().MoveTo(1100, 0, 3, "left");  // level 3 is 1024 × 768: pages of 256 × 192, 4 columns
  harness.DeliverEvents().clear();

  view().QueueContent("ktq://server/next.ktq", true);
  view().QueueContent("/data/other.xmml", false);
  EXPECT_TRUE(harness.events.empty());  // posted, not yet delivered
  auto& events = harness.DeliverEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].name, "urlset");
  EXPECT_EQ(events[0].param1, "ktq://server/next.ktq");
  EXPECT_EQ(events[0].param2, "2");
  EXPECT_EQ(events[1].name, "SetContent");
  EXPECT_EQ(events[1].param1, "");
  EXPECT_EQ(events[1].param2, "ktq://server/next.ktq");
  EXPECT_EQ(events[1].level, -1);
  EXPECT_EQ(events[2].param2, "/data/other.xmml");
  EXPECT_EQ(view().GetPageHistory(), (std::vector<std::string>{"2"}));
}

TEST_F(OpenUrlTest, WithoutAnEventHandlerPostedEventsAreDropped) {
  view().SetEventHandlers(nullptr, nullptr);
  view().QueueContent("/data/a.ktq", true);
  EXPECT_TRUE(harness.DeliverEvents().empty());
}

TEST_F(OpenUrlTest, MediaFilesPlayAndLeaveTheDocumentAlone) {
  view().OpenUrl("/data/a.ktq", true, 0, 0, 0);
  MapDocument* before = view().GetDocument();
  log().clear();
  EXPECT_EQ(view().OpenUrl("sounds/Intro.MP3", false, 0, 0, 0), "");
  EXPECT_EQ(view().OpenUrl("/data/clip.WAV,1", false, 0, 0, 0), "");
  EXPECT_EQ(view().GetDocument(), before);
  EXPECT_TRUE(log().empty());
  // The view stops its sound player when content opens, and one media file stops the last.
  EXPECT_EQ(harness.Services().Sounds(), (std::vector<std::string>{"stop", "media:/data/sounds/Intro.MP3", "stop",
                                                                   "media:/data/clip.WAV"}));
  view().OpenUrl("/data/b.ktq", false, 0, 0, 0);
  EXPECT_EQ(harness.Services().Sounds().size(), 6u);
  EXPECT_EQ(harness.Services().Sounds()[4], "stop");
}

TEST_F(OpenUrlTest, OtherUrlsGoToTheWebBrowser) {
  view().OpenUrl("/data/a.ktq", true, 0, 0, 0);
  log().clear();
  EXPECT_EQ(view().OpenUrl("http://example.org/about.html<@help", false, 0, 0, 0), "");
  EXPECT_EQ(log(), (std::vector<std::string>{"followlink http://example.org/about.html<@help"}));
  auto opened = harness.Services().OpenedUrls();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].url, "http://example.org/about.html");
  EXPECT_EQ(opened[0].target, "help");
  // Why nothing opened, and what the viewer opens.
  EXPECT_TRUE(view().NotContentReason().starts_with("cannot open http://example.org/about.html<@help: it is not "
                                                    "something the viewer shows"))
      << view().NotContentReason();
  EXPECT_NE(view().NotContentReason().find(".ktq images"), std::string::npos);
  EXPECT_EQ(shown()->Url(), "/data/a.ktq");
  EXPECT_EQ(NavigationListener::SplitFollowLink("a.html"), (std::pair<std::string, std::string>{"a.html", ""}));
  view().OpenUrl("/data/b.ktq", false, 0, 0, 0);
  EXPECT_EQ(view().NotContentReason(), "");
}

TEST_F(OpenUrlTest, LinkCommandsRunAsCommands) {
  for (std::string url : {"goto:3", "EXEC:zoomin", "mail:someone@example.org", "keyboard:left", "scrollup:"}) {
    EXPECT_EQ(view().OpenUrl(url, false, 0, 0, 0), "") << url;
  }
  EXPECT_EQ(view().links,
            (std::vector<std::string>{"goto:3", "EXEC:zoomin", "mail:someone@example.org", "keyboard:left", "scrollup:"}));
  EXPECT_TRUE(log().empty());
  EXPECT_TRUE(made.empty());
}

TEST_F(OpenUrlTest, RelativeUrlsResolveAgainstTheCurrentFolder) {
  view().OpenUrl("http://host/issue/week1/index.xmml", true, 0, 0, 0);
  EXPECT_EQ(view().OpenUrl("../week2/index.xmml", false, 0, 0, 0), "http://host/issue/week2/index.xmml");
  EXPECT_EQ(view().GetBaseUrl(), "http://host/issue/week2/");
  EXPECT_EQ(view().GetPreviousBaseUrl(), "http://host/issue/week1/");
  EXPECT_EQ(view().OpenUrl("./pic.ktq", false, 0, 0, 0), "http://host/issue/week2/pic.ktq");
}

TEST_F(OpenUrlTest, KtqPathsLoseTheirSchemeAndFoldersOpen) {
  EXPECT_EQ(view().OpenUrl("ktq:d:\\albums\\", true, 0, 0, 0), "d:/albums/");
  EXPECT_EQ(made.back(), "d:/albums/");
  EXPECT_EQ(view().OpenUrl("ktq://server/map.ktq", true, 0, 0, 0), "ktq://server/map.ktq");
  // "/" ends a local folder as "\\" does; a web address ending in "/" is a web page.
  EXPECT_EQ(view().OpenUrl("/home/ann/albums/", true, 0, 0, 0), "/home/ann/albums/");
  EXPECT_EQ(made.back(), "/home/ann/albums/");
  EXPECT_EQ(view().OpenUrl("file:///home/ann/trips/", true, 0, 0, 0), "file:///home/ann/trips/");
  EXPECT_EQ(view().OpenUrl("http://example.org/albums/", false, 0, 0, 0), "");
  EXPECT_EQ(harness.Services().OpenedUrls().back().url, "http://example.org/albums/");
}

TEST_F(OpenUrlTest, OverlongUrlsAreReportedAndStillOpened) {
  std::string url = "/data/" + std::string(8100, 'a') + ".ktq";
  EXPECT_EQ(view().OpenUrl(url, true, 0, 0, 0), url);
  auto records = harness.Dialogs().Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].text, "URL is too long");
  EXPECT_EQ(records[0].caption, "Korvani Zolvex");
}

TEST_F(OpenUrlTest, ErrorReportFollowsTheErrorProperties) {
  view().OpenUrl("/data/a.ktq", true, 0, 0, 0);
  view().ReportError(CReaderException("404 Out of send buffer"));
  EXPECT_EQ(view().GetDocument(), nullptr);  // the failing content is closed
  view().SetBrowserProperty("ErrorMessage", "The picture is not available.");
  view().ReportError(CReaderException("404 Out of send buffer"));
  view().ReportError(CReaderException(""));
  view().ReportError(CReaderException("no number"));
  view().SetBrowserProperty("CustomErrorHandling", "Exclusive");
  view().ReportError(CReaderException(std::string(3500, 'x')));
  auto records = harness.Dialogs().Records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].text, "404 Out of send buffer");
  EXPECT_EQ(records[1].text, "404. The picture is not available.");
  EXPECT_EQ(records[2].text, "The picture is not available.");
  EXPECT_EQ(records[3].text, "0. The picture is not available.");
  ASSERT_EQ(log().size(), 3u + 5u);
  EXPECT_EQ(log().back(), "error " + std::string(3000, 'x'));
  EXPECT_EQ(log()[3], "error 404 Out of send buffer");
}

TEST_F(OpenUrlTest, PageSizeMovesBetweenDocumentAndView) {
  params["/data/a.xmml"] = {{"pagewidth", "300"}, {"pageheight", "400"}, {"reportpage", "yes"}};
  view().OpenUrl("/data/a.xmml", true, 0, 0, 0);
  EXPECT_EQ(view().GetPageWidth(), 300.0);
  EXPECT_EQ(view().GetPageHeight(), 400.0);
  EXPECT_FALSE(view().IsReportingPages());
  EXPECT_EQ(view().GetPrintPageSize(), (platform::Size{300, 400}));
  // The next document does not inherit the sizes the view took from this one.
  view().OpenUrl("/data/b.xmml", false, 0, 0, 0);
  EXPECT_EQ(view().GetPageWidth(), 640.0);
  EXPECT_TRUE(view().IsReportingPages());

  // A size the page sets on the view goes into the open document at once, and stays with it.
  view().SetBrowserProperty("PageWidth", "250");
  EXPECT_EQ(view().GetPageWidth(), 250.0);
  EXPECT_EQ(view().GetDocument()->GetParam("pagewidth"), "250");
  view().OpenUrl("/data/c.xmml", false, 0, 0, 0);
  EXPECT_EQ(view().GetPageWidth(), 640.0);
}

TEST_F(OpenUrlTest, TransitionRequestIsUsedOnce) {
  view().SetBrowserProperty("ifx", "fade");
  view().OpenUrl("/data/a.ktq", true, 0, 0, 0);
  EXPECT_EQ(view().GetBrowserProperty("ifx"), "");
}

TEST_F(OpenUrlTest, AutofitFitsTheNewContent) {
  params["/data/fit.xmml"] = {{"autofit", "yes"}};
  view().OpenUrl("/data/fit.xmml", true, 0, 0, 0);
  // The largest level whose smaller side fits 480 pixels: 512 × 384.
  EXPECT_EQ(view().GetCurrentLevel(), 2);
  view().SetBrowserProperty("autofit", "no");  // "no" on the view defers to the document
  view().OpenUrl("/data/plain.xmml", true, 0, 0, 0);
  EXPECT_EQ(view().GetCurrentLevel(), 1);
}

// A message file that is not XML is named to the user, on the window thread.
TEST_F(OpenUrlTest, AMessageFileThatCannotBeParsedIsShownToTheUser) {
  TempDir dir;
  const std::string file = dir.File("messages.xml");
  {
    std::ofstream out(file);
    out << "<messages>\n<error id=\"401\">x</wrong>\n</messages>\n";
  }
  view().SetBrowserProperty("ErrorMsgXml", file);
  EXPECT_FALSE(GetMessageText(401, file).empty());  // the built-in text stands in
  harness.DeliverEvents();
  auto records = harness.Dialogs().Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(records[0].text.starts_with("Error processing XML file: " + file + "\nError on line 2")) << records[0].text;
  EXPECT_EQ(records[0].caption, MapView::kMessageCaption);
}
