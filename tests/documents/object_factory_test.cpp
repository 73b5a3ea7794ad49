#include <gtest/gtest.h>

#include <fstream>
#include <typeinfo>

#include "documents/ObjectFactory.h"
#include "documents/XmlReader.h"
#include "objects/BoxObject.h"
#include "objects/CComponentRect.h"
#include "objects/CComponentText.h"
#include "objects/EllipseObject.h"
#include "objects/LineObject.h"
#include "objects/MediaObject.h"
#include "objects/NoteObject.h"
#include "objects/PolyVectorObject.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "platform/headless/RecordingServices.h"
#include "tests/documents/RecordingHost.h"
#include "tests/support/HttpTestServer.h"

namespace zolvex::test {
namespace {

class ObjectFactoryTest : public ::testing::Test {
 protected:
  void SetUp() override { host_.objectView.services = &host_.GetPlatform(); }

  std::unique_ptr<MapObject> Make(const std::string& type, const std::string& attributes,
                                  const std::string& base = "") {
    return host_.Objects().CreateObjectFromText(host_, type, attributes, base);
  }

  RecordingHost host_;
};

TEST_F(ObjectFactoryTest, TypeNamesInAnyCaseMakeTheirClasses) {
  struct Case {
    const char* type;
    const std::type_info& made;
  };
  const Case cases[] = {
      {"RECT", typeid(CComponentRect)},      {"Rectangle", typeid(CComponentRect)}, {"img", typeid(CComponentRect)},
      {"Sound", typeid(CComponentRect)},     {"TEXT", typeid(CComponentText)},      {"Note", typeid(NoteObject)},
      {"ELLIPSE", typeid(EllipseObject)},    {"box", typeid(BoxObject)},            {"Line", typeid(LineObject)},
      {"PolyVector", typeid(PolyVectorObject)}, {"MOVIE", typeid(MediaObject)},     {"video", typeid(MediaObject)},
      {"Flash", typeid(MediaObject)},        {"gviewer", typeid(MediaObject)},
  };
  for (const Case& c : cases) {
    auto object = Make(c.type, R"(x="10" y="20" width="30" height="40" text="hi")");
    ASSERT_NE(object, nullptr) << c.type;
    EXPECT_EQ(typeid(*object), c.made) << c.type;
    EXPECT_EQ(object->GetView(), &host_.objectView) << c.type;
  }
  EXPECT_EQ(Make("widget", R"(x="1")"), nullptr);
  EXPECT_EQ(Make("rect", R"(x="1">)"), nullptr) << "attribute text that does not parse";
}

TEST_F(ObjectFactoryTest, AnXmmlFragmentSkipsElementsNoMakerKnows) {
  auto made = host_.Objects().CreateObjectsOfXmml(
      host_, R"(<XMML><rect x="1" y="2" width="3" height="4"/><unknown a="1"/><text x="5" y="6" text="t"/></XMML>)", "");
  ASSERT_EQ(made.size(), 2u);
  EXPECT_NE(dynamic_cast<CComponentRect*>(made[0].get()), nullptr);
  EXPECT_NE(dynamic_cast<CComponentText*>(made[1].get()), nullptr);
  for (const char* bad : {"", "<XMML", "<other><rect/></other>"})
    EXPECT_TRUE(host_.Objects().CreateObjectsOfXmml(host_, bad, "").empty()) << bad;
}

TEST_F(ObjectFactoryTest, LevelDefaultsAndUnderscoreValuesSurviveWritingBack) {
  auto rect = Make("rect", R"(x="1" y="2" width="3" height="4" _owner="ann" _kind="door")");
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->GetProperty("minlevel"), "1");
  EXPECT_EQ(rect->GetProperty("maxlevel"), "10000");
  EXPECT_EQ(rect->GetProperty("_owner"), "ann");
  const std::string xml = rect->GetXml();
  EXPECT_NE(xml.find(R"(_owner="ann")"), std::string::npos) << xml;

  // The written element makes an object with the same values again.
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<map>" + xml + "</map>") && reader.FindNext("map") && reader.FindChild());
  auto again = host_.Objects().CreateObject(host_, reader.GetChildTagName(), reader, "");
  ASSERT_NE(again, nullptr);
  for (const char* name : {"_owner", "_kind", "x", "y", "width", "height", "minlevel", "maxlevel"})
    EXPECT_EQ(again->GetProperty(name), rect->GetProperty(name)) << name;

  // A pending value is committed; a commit with nothing pending is harmless.
  rect->SetProperty("x", "50");
  EXPECT_EQ(rect->GetX(), 1);
  rect->CommitProperties();
  EXPECT_EQ(rect->GetX(), 50);
  rect->CommitProperties();
  EXPECT_EQ(rect->GetX(), 50);
}

TEST_F(ObjectFactoryTest, APictureUsedInARowIsFetchedOnce) {
  TempDir dir;
  ASSERT_TRUE(MagickRun("-size 6x4 xc:'#ff0000' '" + dir.File("a.jpg") + "'"));
  std::ifstream in(dir.File("a.jpg"), std::ios::binary);
  const std::string jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  HttpTestServer server;
  server.Route("/a.jpg", HttpTestServer::Response::Text(jpeg).With("Content-Type", "image/jpeg"));
  server.Route("/b.jpg", HttpTestServer::Response::Text(jpeg).With("Content-Type", "image/jpeg"));
  const std::string base = server.Url("/pics/");

  auto first = Make("img", R"(x="10" y="10" src="/a.jpg")", base);
  auto second = Make("IMG", R"(x="20" y="10" src="/a.jpg")", base);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(server.RequestCount(), 1u) << "the second picture comes from the kept bytes";
  auto* picture = dynamic_cast<CComponentRect*>(second.get());
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->HasPicture());
  EXPECT_EQ(second->GetWidth(), 6);

  Make("img", R"(x="30" y="10" src="/b.jpg")", base);
  Make("img", R"(x="40" y="10" src="/a.jpg")", base);
  EXPECT_EQ(server.RequestCount(), 3u) << "one picture is kept: the last one fetched";
  Make("img", R"(x="50" y="10" src="/missing.jpg")", base);
  EXPECT_NE(Make("img", R"(x="60" y="10" src="/missing.jpg")", base), nullptr) << "made without its picture";
  EXPECT_EQ(server.RequestCount(), 5u) << "a failed fetch keeps nothing";

  // The kept picture is /a.jpg: the same URL written relative to another base, and a note's
  // icon, use it; the same relative source under another base is another picture.
  Make("img", R"(x="0" y="0" src="a.jpg")", server.Url("/"));
  auto note = Make("note", R"(x="0" y="0" src="/a.jpg")", base);
  EXPECT_EQ(server.RequestCount(), 5u);
  EXPECT_NE(dynamic_cast<NoteObject&>(*note).GetNormalPicture(), nullptr);
  Make("img", R"(x="0" y="0" src="a.jpg")", server.Url("/other/"));
  EXPECT_EQ(server.RequestCount(), 6u);
}

TEST_F(ObjectFactoryTest, RegisteredMakersAndPluginsServeOtherNames) {
  std::vector<std::string> asked;
  host_.Objects().RegisterPlugin([&](const std::string& type, const std::string& text, const std::string&) {
    asked.push_back(type + "|" + text);
    return type == "gadget" ? std::make_unique<MapObject>(0, 0, 5, 5) : nullptr;
  });
  EXPECT_NE(Make(" gadget ", R"(a="1")"), nullptr);
  EXPECT_NE(Make("rect", R"(x="1")"), nullptr);
  EXPECT_EQ(Make("other", "not an attribute"), nullptr);
  EXPECT_EQ(asked, (std::vector<std::string>{R"(gadget|a="1")", "other|not an attribute"}))
      << "plug-ins hear only the types no maker knows";

  host_.Objects().RegisterMaker("Index", [](DocumentHost&, XmlReader& reader, const std::string& tag,
                                            const std::string&) -> std::unique_ptr<MapObject> {
    EXPECT_EQ(tag, "index");
    return std::make_unique<MapObject>(ParseInt(reader.GetChildAttribute("x")), 0, 10, 10);
  });
  auto index = Make("INDEX", R"(x="7" _tag="t" layer="5" eventlisten="YES")");
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(index->GetX(), 7);
  EXPECT_EQ(index->GetProperty("_tag"), "t") << "a registered maker's object is finished like the others";
  EXPECT_EQ(index->GetLayer(), 5);
  EXPECT_TRUE(index->IsEventListening());
  EXPECT_EQ(index->GetView(), &host_.objectView);
}

TEST_F(ObjectFactoryTest, MoviesPlayThroughThePlatformAndOthersOnlyShowTheirArea) {
  auto* recorder = host_.GetPlatform().Recorder();
  ASSERT_NE(recorder, nullptr);
  auto movie = Make("movie", R"(x="0" y="0" width="64" height="48" src="clip.ogv" _n="1")", "/media/page.xmml");
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->GetProperty("state"), "playing");
  EXPECT_TRUE(movie->ExecuteCommand("pause", ""));
  EXPECT_EQ(movie->GetProperty("state"), "paused");
  EXPECT_TRUE(movie->ExecuteCommand("stop", ""));
  EXPECT_EQ(movie->GetProperty("state"), "stopped");
  EXPECT_EQ(recorder->MediaCalls(),
            (std::vector<std::string>{"open:/media/clip.ogv", "play:/media/clip.ogv", "pause:/media/clip.ogv",
                                      "stop:/media/clip.ogv"}));
  movie->SetProperty("name", "intro");
  EXPECT_EQ(movie->GetXml(), R"(<movie x="0" y="0" width="64" height="48" src="clip.ogv" _n="1"/>)");
  auto named = Make("video", R"(x="1" y="2" width="3" height="4" name="a" maxlevel="3")");
  named->SetProperty("name", "b");
  named->SetProperty("maxlevel", "5");
  named->CommitProperties();
  EXPECT_EQ(named->GetXml(), R"(<video x="1" y="2" width="3" height="4" name="b" maxlevel="5"/>)");

  auto waiting = Make("video", R"(x="0" y="0" src="v.ogv" playonmouse="yes")", "/media/");
  ASSERT_NE(waiting, nullptr);
  EXPECT_EQ(waiting->GetProperty("state"), "stopped");
  EXPECT_EQ(waiting->GetWidth(), 320) << "a player without a size takes a default one";
  waiting->OnMouseEnter();
  EXPECT_EQ(waiting->GetProperty("state"), "playing");
  waiting->OnMouseExit();
  EXPECT_EQ(waiting->GetProperty("state"), "paused");
  auto flash = Make("flash", R"(x="0" y="0" width="10" height="10" src="f.swf")");
  EXPECT_EQ(flash->GetProperty("state"), "stopped");
  EXPECT_EQ(recorder->MediaCalls().size(), 7u) << "only movies and videos open a player";
}

// What the page asks of a player: where it starts, how often it plays, when it opens, and
// whether it plays while hidden.
TEST_F(ObjectFactoryTest, APlayersAttributesSteerItsPlayer) {
  auto* recorder = host_.GetPlatform().Recorder();
  ASSERT_NE(recorder, nullptr);
  auto calls = [recorder, seen = std::size_t{0}]() mutable {
    std::vector<std::string> all = recorder->MediaCalls();
    std::vector<std::string> fresh(all.begin() + static_cast<long>(seen), all.end());
    seen = all.size();
    return fresh;
  };
  auto twice = Make("movie", R"(x="0" y="0" src="a.ogv" starttime="2.5" looptime="2")", "/m/");
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(calls(), (std::vector<std::string>{"open:/m/a.ogv plays=2", "seek:2500:/m/a.ogv", "play:/m/a.ogv"}));
  twice->SetVisible(false);
  twice->SetVisible(true);
  EXPECT_EQ(calls(), (std::vector<std::string>{"pause:/m/a.ogv", "play:/m/a.ogv"}));

  auto always = Make("video", R"(x="0" y="0" src="b.ogv" looptime="0" playinvisible="yes")", "/m/");
  EXPECT_EQ(calls(), (std::vector<std::string>{"open:/m/b.ogv plays=0", "play:/m/b.ogv"}));
  always->SetVisible(false);
  EXPECT_EQ(calls(), std::vector<std::string>{}) << "it plays on while hidden";

  auto onView = Make("movie", R"(x="0" y="0" width="20" height="20" co-ordinate="screen" src="c.ogv" loadonview="yes")", "/m/");
  EXPECT_EQ(calls(), std::vector<std::string>{}) << "nothing opens before the object is drawn";
  onView->Draw();
  EXPECT_EQ(calls(), (std::vector<std::string>{"open:/m/c.ogv", "play:/m/c.ogv"}));
}

}  // namespace
}  // namespace zolvex::test
