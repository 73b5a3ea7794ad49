#include "tests/commands/CommandFixture.h"

#include <fstream>

#include "documents/CReaderException.h"
#include "platform/headless/ScriptedResponder.h"
#include "platform/headless/RecordingServices.h"
#include "view/DocumentFactory.h"
#include "view/NavigationListener.h"

using namespace zolvex;
using zolvex::platform::Point;

namespace {

// A one-level document of 800 x 600 that keeps the commands it hears and handles "zoomin"
// itself.
class CommandLogDocument : public MapDocument {
 public:
  explicit CommandLogDocument(std::vector<std::string>& log) : log_(log) { SetReady(true); }
  bool HandleCommand(const std::string& name, const std::string& argument) override {
    log_.push_back(name + "(" + argument + ")");
    return name == "zoomin";
  }
  int CollectDrawItems(std::vector<MapObject*>&, int, int, int, int, int, int) override { return 0; }
  int GetLevelHeight(int) override { return 600; }
  int GetHeight() override { return 600; }
  int GetLevelWidth(int) override { return 800; }
  int GetWidth() override { return 800; }
  int GetFullHeight() override { return 600; }
  int GetFullWidth() override { return 800; }
  double GetScaleX() override { return 1.0; }
  double GetScaleY() override { return 1.0; }
  int GetLevelCount() override { return 1; }

 private:
  std::vector<std::string>& log_;
};

class FollowedLinks : public NavigationListener {
 public:
  void OnLoading(const std::string&) override {}
  void OnFollowLink(const std::string& url) override { followed.push_back(url); }
  void OnLoaded(const std::string&) override {}
  void OnError(const CReaderException&) override {}
  std::vector<std::string> followed;
};

class Links : public test::CommandFixture {
 protected:
  // Opens a markup URL into a CommandLogDocument.
  void OpenLogDocument() {
    DocumentConstructors constructors;
    constructors.xmml = [this](MapView&, const std::string&) -> std::unique_ptr<MapDocument> {
      return std::make_unique<CommandLogDocument>(log_);
    };
    view_->SetDocumentFactory(std::make_unique<DocumentFactory>(constructors));
    ASSERT_FALSE(view_->OpenUrl(settings_.File("page.xmml"), true, 0, 0, 0).empty());
    log_.clear();
  }
  std::vector<std::string> log_;
};

}  // namespace

TEST_F(Links, GotoMovesReportsAndUsesUpATransitionRequest) {
  Open();
  view_->SetBrowserProperty("ifx", "fade");
  TakeEvents();
  EXPECT_TRUE(interpreter_->RunLink("goto:300,200,4"));
  EXPECT_EQ(Level(), 3);
  EXPECT_EQ(Position(), (Point{300, 200}));
  EXPECT_EQ(view_->GetBrowserProperty("ifx"), "");
  auto events = TakeEvents();
  auto found = std::find_if(events.begin(), events.end(), [](const ViewEvent& e) { return e.name == "goto"; });
  ASSERT_NE(found, events.end());
  EXPECT_EQ(found->param1, "");
  EXPECT_EQ(found->param2, "300,200,4");

  EXPECT_TRUE(interpreter_->RunLink("GOTO:700,500,4,center"));
  EXPECT_EQ(Position(), (Point{500, 350}));
  TakeEvents();
  EXPECT_TRUE(interpreter_->RunLink("goto:5"));  // one field: used up, nothing moves
  EXPECT_TRUE(interpreter_->RunLink("goto:10,10,4,left,0000000000000000000000000000000000"));  // too long
  EXPECT_EQ(Position(), (Point{500, 350}));
  EXPECT_TRUE(CommandEventNames().empty());
}

TEST_F(Links, ExecLinksRunTheirCommand) {
  Open();
  At(0, 0, 2);
  EXPECT_TRUE(interpreter_->RunLink("exec:zoomin"));
  EXPECT_EQ(Level(), 2);
  EXPECT_TRUE(interpreter_->RunLink("exec:autoplay,3"));
  EXPECT_TRUE(interpreter_->IsPlaying());
  EXPECT_EQ(interpreter_->PlayDelay(), 3);
  EXPECT_TRUE(interpreter_->RunLink("exec:SelectObjects,start"));
  EXPECT_TRUE(interpreter_->KeepsSelection());
  EXPECT_TRUE(interpreter_->RunLink("autoscroll:3,4"));
  EXPECT_EQ(interpreter_->AutoScrollSpeed(), (Point{3, 4}));
}

TEST_F(Links, SchemesAndTheirLengths) {
  Open(256, 384);
  At(0, 0, 4);
  TakeEvents();
  struct Case {
    const char* link;
    bool command;
  };
  const Case cases[] = {
      {"exec:", false},      {"exec:ab", false},    {"panto:1", false},   {"vpanto:1", false},
      {"keyboard:", false},  {"http://x/y", false}, {"picture.ktq", false}, {"snapright:", true},
      {"snapdown:", true},   {"scrollright:", true}, {"menu:", true},      {"autoscroll:", true},
      {"mail:", true},       {"exit:", true},
  };
  for (const Case& c : cases) EXPECT_EQ(interpreter_->RunLink(c.link), c.command) << c.link;
  EXPECT_EQ(CommandEventNames(), (std::vector<std::string>{"nextpage", "downpage", "scrollright"}));
  EXPECT_TRUE(interpreter_->ExitRequested());
}

TEST_F(Links, KeyboardLinksPostTheKeyToTheWindow) {
  Open();
  At(0, 0, 4);
  EXPECT_TRUE(interpreter_->RunLink("keyboard:39"));  // the right arrow
  EXPECT_EQ(Position(), (Point{0, 0}));             // posted, not run at once
  Window().RunPending();
  EXPECT_EQ(Position(), (Point{kViewWidth / 2, 0}));
}

TEST_F(Links, MenuAndPositionLinksGoToTheDocumentFirst) {
  OpenLogDocument();
  EXPECT_TRUE(interpreter_->RunLink("menu:m(42)"));
  EXPECT_TRUE(interpreter_->RunLink("rmenu:tools"));
  EXPECT_TRUE(interpreter_->RunLink("rmenu:"));  // nothing to show
  EXPECT_TRUE(interpreter_->RunLink("vpanto:1,2,3"));
  EXPECT_TRUE(interpreter_->RunLink("exec:zoomin"));
  EXPECT_EQ(log_, (std::vector<std::string>{"menu(m(42))", "rmenu(tools)", "vpanto(1,2,3)", "zoomin()"}));
  EXPECT_EQ(view_->GetDocument()->GetLevel(), 0);
}

// A page must not start programs through its links: "mail:" is taken and ignored.
TEST_F(Links, MailLinksAreTakenAndLaunchNothing) {
  EXPECT_TRUE(interpreter_->RunLink("mail:1,2,3,4,5,someone@example.com,Hello there,See page 4"));
  EXPECT_TRUE(interpreter_->RunLink("mail:1,2,x"));
  EXPECT_TRUE(platform_->Recorder()->OpenedUrls().empty());
  EXPECT_TRUE(view_->OpenUrl("mail:1,2,3,4,5,a@b.c", false, 0, 0, 0).empty());
  EXPECT_TRUE(platform_->Recorder()->OpenedUrls().empty());
}

TEST_F(Links, HostLinksComeBackUnchangedAndReachTheHostWhenQueued) {
  FollowedLinks listener;
  view_->SetNavigationListener(&listener);
  EXPECT_EQ(view_->OpenUrl("ext:notify,1", false, 0, 0, 0), "ext:notify,1");
  EXPECT_FALSE(interpreter_->RunLink("ext:notify,1"));
  view_->QueueContent("ext_silent:save<@7", true);
  EXPECT_EQ(listener.followed, std::vector<std::string>{"ext_silent:save<@7"});
  EXPECT_TRUE(TakeEvents().empty());
  view_->SetNavigationListener(nullptr);
}

TEST_F(Links, AMenuLinkShowsThePopupAndRunsTheChosenEntry) {
  const std::string markup = images_->File("menu.xmml");
  std::ofstream(markup) << "<XMML><MENUS><MENU ID=\"m\"><menuitem text=\"Out\" href=\"exec:zoomout\"/>"
                           "<menuitem text=\"-\"/><menuitem text=\"Go\" href=\"goto:%s\"/></MENU></MENUS>"
                           "<BODY><BASEMAP><KTQ SRC=\"picture.ktq\"/></BASEMAP></BODY></XMML>";
  ASSERT_FALSE(view_->OpenUrl(markup, true, 0, 0, 0).empty());
  platform_->Responder()->QueueMenuChoice(2);
  EXPECT_EQ(view_->OpenUrl("menu:m(300,200,4)", false, 0, 0, 0), "");
  EXPECT_EQ(Level(), 3);
  EXPECT_EQ(Position(), (Point{300, 200}));
  auto records = platform_->Responder()->Records();
  auto menu = std::find_if(records.begin(), records.end(), [](const auto& r) { return r.kind == "menu"; });
  ASSERT_NE(menu, records.end());
  EXPECT_EQ(menu->items.front(), "Out");
}
