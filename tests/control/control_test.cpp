#include <gtest/gtest.h>

#include "control/AutomationError.h"
#include "control/PropertyBag.h"
#include "documents/MapDocument.h"
#include "documents/MessageTable.h"
#include "tests/control/ControlFixture.h"

namespace zolvex::test {

namespace {

struct YesNoCase {
  const char* property;
  int code;
  const char* description;
};

const YesNoCase kYesNoCases[] = {
    {"ShowThumbnail", 41, "ShowThumbnail property only accept yes/no value"},
    {"AllowPrintAll", 42, "AllowPrintAll property only accept yes/no value"},
    {"AllowClipping", 43, "AllowClipping property only accept yes/no value"},
    {"AllowBookmark", 44, "AllowBookmark property only accept yes/no value"},
    {"AllowPrinting", 45, "AllowPrinting property only accept yes/no value"},
    {"AutoFit", 46, "AllowFit property only accept yes/no value"},
    {"PrintBorder", 47, "PrintBorder property only accept yes/no value"},
    {"ProgressBar", 48, "ProgressBar property only accept yes/no value"},
    {"ShowBorder", 49, "ShowBorder property only accept yes/no value"},
};

}  // namespace

// ---- Properties ---------------------------------------------------------------------------

TEST_F(ControlTest, PropertiesStartWithTheirDefaults) {
  const std::pair<const char*, const char*> defaults[] = {
      {"PageHeight", "0"},          {"PageWidth", "0"},      {"ProductInfo", "Korvani Vantoa"},
      {"HTTPPort", "8080"},         {"KTQPort", "30777"},    {"ComicsMenu", "yes"},
      {"ShowToolbar", "yes"},       {"AuthenMethod", "get"}, {"PrintStretch", "yes"},
      {"ReloadOnModified", "yes"},  {"ShowThumbnail", "no"}, {"AllowPrintAll", "no"},
      {"AllowClipping", "yes"},     {"AutoFit", "no"},       {"ProgressBar", "no"},
      {"BackgroundColor", "#FFFFFF"}, {"Url", ""},           {"CacheAhead", ""}};
  for (auto [name, value] : defaults) EXPECT_EQ(Control().GetProperty(name), value) << name;
  EXPECT_EQ(Control().GetZolvex2().GetCustomErrorHandling(), "no");
  EXPECT_FALSE(Control().GetProperty("NoSuchProperty"));
  EXPECT_FALSE(Control().SetProperty("NoSuchProperty", "x"));
}

TEST_F(ControlTest, YesNoPropertiesTakeYesOrNoInAnyCaseAndRefuseTheRestWithTheirError) {
  for (const YesNoCase& c : kYesNoCases) {
    EXPECT_TRUE(Control().SetProperty(c.property, "Yes")) << c.property;
    EXPECT_EQ(Control().GetProperty(c.property), "Yes");
    EXPECT_TRUE(Control().SetProperty(c.property, "NO"));
    try {
      Control().SetProperty(c.property, "true");
      ADD_FAILURE() << c.property << " took true";
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.Code(), c.code);
      EXPECT_EQ(error.Description(), c.description);
    }
    EXPECT_EQ(Control().GetProperty(c.property), "NO") << "a refused value leaves the old one";
  }
  // Other properties take anything, of any length.
  const std::string huge(100000, 'q');
  EXPECT_TRUE(Control().SetProperty("PublisherInfo", huge));
  EXPECT_EQ(Control().GetProperty("publisherinfo"), huge);
}

TEST_F(ControlTest, WritesReachTheViewAsBrowserPropertiesExceptStoredOnes) {
  Create();
  Control().SetProperty("PageWidth", "640");
  Control().SetProperty("ProgressBar", "yes");
  Control().SetProperty("Timeout", "9000");
  EXPECT_EQ(Control().GetBrowserProperty("pagewidth"), "640");
  EXPECT_EQ(Control().GetBrowserProperty("progressbar"), "yes");
  EXPECT_EQ(Control().GetBrowserProperty("timeout"), "9000");
  Control().SetProperty("ErrorMsgXml", "later.xml");
  EXPECT_EQ(Control().GetBrowserProperty("ErrorMsgXml"), "") << "stored only after creation";
  EXPECT_EQ(Control().GetProperty("ErrorMsgXml"), "later.xml");
  EXPECT_TRUE(Control().IsModified());
  Control().SetProperty("ShowBorder", "no");
  EXPECT_FALSE(site_.border);
}

TEST_F(ControlTest, TheWindowHandsOverThePropertiesAndFiresCreated) {
  site_.pageUrl = "http://pages.example/viewer/index.html";
  Control().SetProperty("ErrorMsgXml", "messages.xml");
  Control().SetProperty("ShowThumbnail", "yes");
  Control().GetZolvex2().SetSkinURL("http://skins.example/skin.zip");
  Create();
  EXPECT_EQ(Control().GetBrowserProperty("ErrorMsgXml"), "messages.xml");
  EXPECT_EQ(Control().GetBrowserProperty("showthumbnail"), "yes");
  EXPECT_EQ(Control().GetBrowserProperty("ContainerURL"), site_.pageUrl);
  EXPECT_EQ(Control().GetBrowserProperty("httpResourceUrl"), "http://skins.example/skin.zip");
  EXPECT_EQ(Control().GetBrowserProperty("autohide"), "yes");
  EXPECT_EQ(Control().GetBrowserProperty("CustomErrorHandling"), "yes");
  ASSERT_FALSE(sink_.events.empty());
  const ControlEvent& created = sink_.events.back();
  EXPECT_EQ(created.dispatchId, 9);
  EXPECT_EQ(std::get<std::string>(created.arguments[0]), "created");
  EXPECT_EQ(std::get<std::string>(created.arguments[1]), Control().GetBrowserProperty("version"));
  EXPECT_FALSE(std::get<std::string>(created.arguments[1]).empty());
}

// ---- Persistence --------------------------------------------------------------------------

TEST_F(ControlTest, SavingWritesTheVersionAndThePersistedSetInItsOrder) {
  MemoryPropertyBag bag;
  Control().SetProperty("KTQPort", "4000");
  Control().GetZolvex2().SetSkinURL("skin");
  Control().SaveProperties(bag);
  const auto& values = bag.Values();
  ASSERT_EQ(values.size(), 48u);
  EXPECT_EQ(values[0], (std::pair<std::string, std::string>{"_Version", "1.1"}));
  EXPECT_EQ(values[1].first, "Url");
  EXPECT_EQ(values[2].first, "BackgroundColor");
  EXPECT_EQ(values[21], (std::pair<std::string, std::string>{"KTQPort", "4000"}));
  EXPECT_EQ(values[30].first, "printoffset");
  EXPECT_EQ(values[42], (std::pair<std::string, std::string>{"Zolvex2.SkinURL", "skin"}));
  EXPECT_EQ(values[43], (std::pair<std::string, std::string>{"Zolvex2.CustomErrorHandling", "no"}));
  EXPECT_EQ(values[47].first, "CacheAhead");
}

TEST_F(ControlTest, LoadingCorrectsPortsOutsideTheirRange) {
  const std::pair<const char*, const char*> cases[] = {
      {"70000", "30777"}, {"0", "30777"}, {"-5", "30777"}, {"abc", "30777"}, {"", "30777"}, {"65535", "65535"}, {"1", "1"}};
  for (auto [stored, loaded] : cases) {
    MemoryPropertyBag bag;
    bag.Write("KTQPort", stored);
    bag.Write("HTTPPort", stored);
    bag.Write("ShowToolbar", "no");
    CZolvexCtrl control;
    control.LoadProperties(bag);
    EXPECT_EQ(control.GetProperty("KTQPort"), loaded) << stored;
    EXPECT_EQ(control.GetProperty("HTTPPort"), std::string(loaded) == "30777" ? "8080" : loaded) << stored;
    EXPECT_EQ(control.GetProperty("ShowToolbar"), "no");
    EXPECT_EQ(control.GetProperty("ProductInfo"), "Korvani Vantoa") << "values the bag lacks keep their defaults";
    EXPECT_FALSE(control.IsModified());
  }
}

TEST_F(ControlTest, SavedStateLoadsBackIntoAnotherControl) {
  Control().SetProperty("Url", "x.ktq");
  Control().SetProperty("AutoFit", "yes");
  Control().GetZolvex2().SetCustomErrorHandling("exclusive");
  MemoryPropertyBag bag;
  Control().SaveProperties(bag);
  bag.Write("usehintcursor", "yes");
  CZolvexCtrl other;
  other.LoadProperties(bag);
  EXPECT_EQ(other.GetProperty("Url"), "x.ktq");
  EXPECT_EQ(other.GetProperty("AutoFit"), "yes");
  EXPECT_EQ(other.GetZolvex2().GetCustomErrorHandling(), "exclusive");
  MemoryPropertyBag again;
  other.SaveProperties(again);
  EXPECT_EQ(again.Read("usehintcursor"), "yes");
}

// ---- Methods ------------------------------------------------------------------------------

TEST_F(ControlTest, MethodsWithoutViewOrDocumentAnswerMinusOneZeroOrEmpty) {
  auto check = [&](const char* when) {
    EXPECT_EQ(Control().GetLevelCount(), -1) << when;
    EXPECT_EQ(Control().GetMapWidth(1), -1) << when;
    EXPECT_EQ(Control().GetMapHeight(1), -1) << when;
    EXPECT_EQ(Control().GetCurrentLevel(), -1) << when;
    EXPECT_EQ(Control().GetViewportX(), -1) << when;
    EXPECT_EQ(Control().GetViewportHeight(), -1) << when;
    EXPECT_EQ(Control().AddObject("rect", "x=\"1\""), -1) << when;
    EXPECT_EQ(Control().AddXMML("<XMML><rect/></XMML>"), "") << when;
    EXPECT_EQ(Control().SetObjectProperty(1, "name", "n"), 0) << when;
    EXPECT_EQ(Control().CommitObjectProperty(1), 0) << when;
    EXPECT_EQ(Control().RemoveObject(1), 0) << when;
    EXPECT_EQ(Control().GetObjectProperty(1, "name"), "") << when;
    EXPECT_EQ(Control().GetSelectedObjectID(), -1) << when;
    EXPECT_EQ(Control().GetObjectIDByName("n"), -1) << when;
    EXPECT_EQ(Control().GetObjectIDList(), "") << when;
    EXPECT_EQ(Control().QueryObject(0, 0, 10, 10, 0), "") << when;
    Control().Execute("zoomin", "");
    Control().ProcessEvent("lbuttondown", 5, 5, 0, 0);
    Control().Repaint();
  };
  check("no view");
  Control().SetProperty("Url", "first.ktq");
  EXPECT_EQ(Control().GetCurrentURL(), "first.ktq") << "without a view: the last Url";
  EXPECT_EQ(Control().GetBrowserProperty("version"), "");
  Create();
  check("no document");
}

TEST_F(ControlTest, LoadedContentAnswersLevelsAndSizesAndFiresLoadingAndLoaded) {
  CreateWith("a.ktq");
  EXPECT_EQ(Control().GetLevelCount(), 4);
  EXPECT_EQ(Control().GetMapWidth(4), 2048);
  EXPECT_EQ(Control().GetMapHeight(1), 256);
  EXPECT_EQ(Control().GetMapWidth(0), -1);
  EXPECT_EQ(Control().GetMapWidth(5), -1);
  EXPECT_EQ(Control().GetMapHeight(-3), -1);
  EXPECT_EQ(Control().GetViewportWidth(), 400);
  EXPECT_EQ(Control().GetViewportHeight(), 300);
  EXPECT_EQ(sink_.Names(), (std::vector<std::string>{"OnLoading", "OnLoaded"}));
  EXPECT_EQ(sink_.Find("OnLoaded")->dispatchId, 1);
  EXPECT_EQ(sink_.Find("OnLoading")->dispatchId, 2);
  EXPECT_EQ(std::get<std::string>(sink_.Find("OnLoaded")->arguments[0]), Control().GetCurrentURL());
  const ControlEvent* followed = sink_.Find("OnBrowserEvent");
  ASSERT_TRUE(followed);
  EXPECT_EQ(followed->arguments,
            (std::vector<EventArgument>{std::string("FollowLink"), Control().GetCurrentURL(), std::string()}));
}

TEST_F(ControlTest, AMoveBeforeTheContentLandsOnceItHasLoaded) {
  Create();
  Control().MoveTo(100, 200, 2);
  Control().SetContent(File("a.ktq"));
  EXPECT_EQ(Control().GetCurrentLevel(), 2);
  EXPECT_EQ(Control().GetViewportX(), 100);
  EXPECT_EQ(Control().GetViewportY(), 200);
  // Once used, the remembered move is gone: the next content opens as it would.
  Control().SetContent(File("b.ktq"));
  EXPECT_NE(Control().GetViewportY(), 200);
}

TEST_F(ControlTest, MoveToTwoTakesFullResolutionPixels) {
  Control().MoveTo2(1000, 800, 3);  // remembered: no view yet
  CreateWith("a.ktq");
  EXPECT_EQ(Control().GetCurrentLevel(), 3);
  EXPECT_EQ(Control().GetViewportX(), 500);  // 1000 x 1024 / 2048
  EXPECT_EQ(Control().GetViewportY(), 400);
  Control().MoveTo(10, 20, 4 + 65536);  // the level travels as 16 bits
  EXPECT_EQ(Control().GetCurrentLevel(), 4);
  EXPECT_EQ(Control().GetViewportX(), 10);
}

TEST_F(ControlTest, ErrorsOfLoadingReachThePage) {
  CreateWith("missing.ktq");
  ASSERT_FALSE(sink_.events.empty());
  bool sawError = false;
  for (const auto& event : sink_.events) {
    if (event.name != "OnError") continue;
    sawError = true;
    EXPECT_EQ(event.dispatchId, 3);
    EXPECT_FALSE(std::get<std::string>(event.arguments[0]).empty());
  }
  EXPECT_TRUE(sawError);
  EXPECT_EQ(Control().GetLevelCount(), -1);
}

TEST_F(ControlTest, RelativeUrlsJoinThePageUrl) {
  site_.pageUrl = File("page.html");
  Control().SetProperty("Url", "b.ktq");
  Create();
  EXPECT_EQ(Control().GetLevelCount(), 2);
}

TEST_F(ControlTest, ObjectsAddedByMarkupGetIdsAndAnswerTheObjectMethods) {
  CreateWith("a.ktq");
  const std::string ids =
      Control().AddXMML(R"(<XMML><rect x="10" y="20" width="30" height="40" name="first"/><unknown/>)"
                        R"(<rect x="50" y="60" width="5" height="5"/></XMML>)");
  auto list = SplitIds(ids);
  ASSERT_EQ(list.size(), 2u) << ids;
  EXPECT_EQ(ids, std::to_string(list[0]) + " " + std::to_string(list[1]));
  EXPECT_EQ(Control().GetObjectIDList(), ids);
  EXPECT_EQ(Control().GetObjectIDByName("FIRST"), list[0]);
  EXPECT_EQ(Control().SetObjectProperty(list[1], "name", "second"), 1);
  EXPECT_EQ(Control().GetObjectProperty(list[1], "name"), "second");
  EXPECT_EQ(Control().CommitObjectProperty(list[1]), 1);
  EXPECT_EQ(Control().CommitObjectProperty(list[1]), 1) << "nothing new pending still answers 1";
  EXPECT_EQ(Control().RemoveObject(list[0]), 1);
  EXPECT_EQ(Control().RemoveObject(list[0]), 0);
  EXPECT_EQ(Control().GetObjectIDList(), std::to_string(list[1]));
  for (const char* bad : {"", "<XMML", "<other><rect/></other>", "no markup at all"}) {
    EXPECT_EQ(Control().AddXMML(bad), "") << bad;
  }
  const int added = Control().AddObject("RECT", "x=\"1\" y=\"2\" width=\"3\" height=\"4\"");
  EXPECT_GT(added, list[1]);
  EXPECT_EQ(Control().AddObject("nosuchtype", "x=\"1\""), -1);
  EXPECT_EQ(Control().GetSelectedObjectID(), -1);
}

TEST_F(ControlTest, ThePageAddsObjectsOfEveryKindTheViewsFactoryMakes) {
  CreateWith("a.ktq");
  const std::string ids = Control().AddXMML(
      R"(<XMML><ellipse x="1" y="2" bx="30" by="40"/><unknown/><text x="5" y="6" text="hi"/></XMML>)");
  EXPECT_EQ(SplitIds(ids).size(), 2u) << ids;
  const int movie = Control().AddObject("Movie", R"(x="0" y="0" width="20" height="20" src="clip.ogv")");
  ASSERT_GT(movie, 0);
  EXPECT_EQ(Control().GetObjectProperty(movie, "state"), "playing");
  EXPECT_EQ(Control().GetObjectProperty(movie, "minlevel"), "1");
  EXPECT_EQ(Control().GetObjectProperty(movie, "maxlevel"), "10000");
  Control().Execute("CreateObject", R"(NOTE,x="5" y="5")");
  EXPECT_EQ(SplitIds(Control().GetObjectIDList()).size(), 4u);
}

TEST_F(ControlTest, AnAddedObjectMovesOntoItsBasePage) {
  CreateWith("a.ktq");
  MapDocument& document = *Control().View()->GetDocument();
  document.SetParam("pagewidth", "1024");
  document.SetParam("pageheight", "500");
  // 2048 x 2 / 1024 = four half-width columns per row: page 5 is row 1, column 1.
  int id = Control().AddObject("rect", "x=\"10\" y=\"20\" width=\"5\" height=\"5\" basepage=\"5\"");
  ASSERT_GT(id, 0);
  EXPECT_EQ(document.FindObject(id)->GetX(), 10 + 512);
  EXPECT_EQ(document.FindObject(id)->GetY(), 20 + 500);
  Control().SetBrowserProperty("reversepage", "yes");
  id = Control().AddObject("rect", "x=\"10\" y=\"20\" width=\"5\" height=\"5\" basepage=\"5\"");
  EXPECT_EQ(document.FindObject(id)->GetX(), 10 + 1024);
  id = Control().AddObject("rect", "x=\"10\" y=\"20\" width=\"5\" height=\"5\"");
  EXPECT_EQ(document.FindObject(id)->GetX(), 10) << "no base page: no move";
}

TEST_F(ControlTest, QueryObjectListsObjectsTheTurnedRectangleOverlaps) {
  CreateWith("a.ktq");
  const std::string ids = Control().AddXMML(
      "<XMML><rect x='0' y='0' width='1' height='1'/><rect x='0' y='0' width='1' height='1'/></XMML>");
  auto list = SplitIds(ids);
  ASSERT_EQ(list.size(), 2u);
  MapDocument& document = *Control().View()->GetDocument();
  document.FindObject(list[0])->SetScreenRect(100, 100, 20, 20);
  document.FindObject(list[1])->SetScreenRect(200, 100, 20, 20);
  EXPECT_EQ(Control().QueryObject(90, 90, 110, 110, 0), std::to_string(list[0]));
  // (The image's navigator, hidden and never placed, sits at the window's origin.)
  EXPECT_EQ(Control().QueryObject(300, 300, 305, 305, 0), "");
  EXPECT_EQ(Control().QueryObject(90, 90, 230, 130, 0), ids);
  // A thin bar between the two objects touches neither; turned by 90 degrees it stands
  // upright in the gap.
  EXPECT_EQ(Control().QueryObject(130, 108, 190, 112, 0), "");
  EXPECT_EQ(Control().QueryObject(100, 108, 220, 112, 90), "");
  EXPECT_EQ(Control().QueryObject(60, 108, 260, 112, 0), ids);
}

// ---- Settings store -----------------------------------------------------------------------

TEST_F(ControlTest, DefaultLanguageIsKeptInTheProfileOnce) {
  Control().SetProperty("DefaultLanguage", "German");
  Create();
  EXPECT_EQ(platform_->Settings().GetProfileString("Zolvex Control 1.1", "Language", ""), "German");
  EXPECT_EQ(MessageTable::Shared().Language(), MessageLanguage::German);
  Control().SetProperty("DefaultLanguage", "French");
  EXPECT_EQ(platform_->Settings().GetProfileString("Zolvex Control 1.1", "Language", ""), "German");
  EXPECT_EQ(MessageTable::Shared().Language(), MessageLanguage::German);
  MessageTable::Shared().SetLanguage(MessageLanguage::English);
}

TEST_F(ControlTest, PrintPropertiesAreReplacedAndRestored) {
  platform::SettingsStore& settings = platform_->Settings();
  const char* key = "Software\\Microsoft\\Internet Explorer\\PageSetup";
  settings.SetString(key, "header", std::string(150, 'h'));
  settings.SetString(key, "margin_left", "0.75");
  Create();
  Control().SetPrintProp("H", "F", "1", "2", "3", "4");
  Control().SetPrintProp("H2", "F2", "5", "6", "7", "8");
  EXPECT_EQ(settings.GetString(key, "header"), "H2");
  EXPECT_EQ(settings.GetString(key, "margin_bottom"), "8");
  Control().ResetPrintProp();
  EXPECT_EQ(settings.GetString(key, "header"), std::string(100, 'h'));
  EXPECT_EQ(settings.GetString(key, "margin_left"), "0.75");
  EXPECT_FALSE(settings.GetString(key, "footer")) << "a value the user did not have is taken away again";
  Control().SetPrintProp("A", "B", "1", "1", "1", "1");
  control_.reset();
  EXPECT_EQ(settings.GetString(key, "margin_left"), "0.75") << "destruction restores them";
}

}  // namespace zolvex::test
