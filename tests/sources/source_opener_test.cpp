#include <gtest/gtest.h>

#include <map>

#include "documents/CReaderException.h"
#include "platform/SettingsStore.h"
#include "platform/TextValues.h"
#include "platform/headless/ScriptedResponder.h"
#include "tests/support/TestSupport.h"
#include "tiles/SourceOpener.h"

using namespace zolvex;

namespace {

class MapOptions : public SourceOptions {
 public:
  std::string Get(const std::string& name) const override {
    auto it = values.find(ToLower(name));
    return it == values.end() ? std::string() : it->second;
  }
  void Set(const std::string& name, const std::string& value) override { values[ToLower(name)] = value; }
  std::map<std::string, std::string> values;
};

class NullSource : public TileSource {
 public:
  int GetTileWidth(int) const override { return 256; }
  int GetTileHeight(int) const override { return 256; }
  std::unique_ptr<ViewImage> RequestTile(const std::string&, int, int, int, int) override { return nullptr; }
  std::unique_ptr<ViewImage> GetThumbnail() override { return nullptr; }
  int GetRows(int) const override { return 1; }
  int GetLevelCount() const override { return 1; }
  int GetLevelWidth(int) const override { return 1; }
  int GetLevelHeight(int) const override { return 1; }
  int GetColumns(int) const override { return 1; }
  void Close() override {}
  void SetNeededTiles(int, const std::vector<int>&, const std::vector<int>&) override {}
  void CancelTile(const std::string&, int, int, int) override {}
};

// Records what was made; the error texts given fail the next attempts of that kind.
class FakeMakers : public SourceMakers {
 public:
  std::unique_ptr<TileSource> MakeFileSource(const std::string& path, const std::string&) override {
    made.push_back("file " + path);
    return std::make_unique<NullSource>();
  }
  std::unique_ptr<TileSource> MakeSocketSource(const SocketSourceSettings& s) override {
    made.push_back("socket " + s.host + ":" + std::to_string(s.port) + s.path + (s.relay ? " relay " + s.relay->host : ""));
    socket = s;
    if (!socketError.empty()) throw CReaderException(socketError);
    return std::make_unique<NullSource>();
  }
  std::unique_ptr<TileSource> MakeHttpSource(const HttpSourceSettings& s) override {
    made.push_back("http " + s.host + ":" + s.httpPort + s.path);
    if (!httpError.empty()) throw CReaderException(httpError);
    return std::make_unique<NullSource>();
  }
  std::vector<std::string> made;
  SocketSourceSettings socket;
  std::string socketError;
  std::string httpError;
};

constexpr const char* kRefused = "2. Couldn't establish a connection to the server";

class SourceOpenerTest : public ::testing::Test {
 protected:
  SourceOpenerTest() : settings(dir.File("settings.ini")), opener(options, settings, responder, makers) {}
  std::optional<std::string> Setting(const char* name) { return settings.GetString(SourceOpener::kSettingsKey, name); }

  test::TempDir dir;
  MapOptions options;
  platform::SettingsStore settings;
  platform::ScriptedResponder responder;
  FakeMakers makers;
  SourceOpener opener;
};

}  // namespace

TEST_F(SourceOpenerTest, UrlsChooseTheSourceAndTheUrlPortWins) {
  options.Set("ktqport", "30777");
  struct Case {
    const char* url;
    const char* made;
    const char* local;
  } cases[] = {
      {"ktq://tiles.example:4000/maps/a.ktq", "socket tiles.example:4000/maps/a.ktq", "no"},
      {"http://tiles.example/maps/b.ktq", "socket tiles.example:30777/maps/b.ktq", "no"},
      {"KTQ://h:70000\\dir\\c.ktq", "socket h:30777/dir/c.ktq", "no"},
      {"file:///c:/data/a.ktq", "file c:/data/a.ktq", "yes"},
      {"file:///home/u/a.ktq", "file /home/u/a.ktq", "yes"},
      {"/srv/img/a.ktq", "file /srv/img/a.ktq", "yes"},
  };
  for (const Case& c : cases) {
    makers.made.clear();
    OpenedSource opened = opener.Open(c.url);
    ASSERT_TRUE(opened.source) << c.url;
    ASSERT_EQ(makers.made.size(), 1u) << c.url;
    EXPECT_EQ(makers.made[0], c.made);
    EXPECT_EQ(options.Get("localcontent"), c.local) << c.url;
  }
  EXPECT_EQ(opener.Open("ktq://h/maps/sub/a.ktq").directory, "/maps/sub");
}

TEST_F(SourceOpenerTest, SuccessIsRememberedAndLastModeCleared) {
  opener.Open("ktq://h/a.ktq");
  EXPECT_EQ(Setting("successfulmode"), "0");
  EXPECT_EQ(Setting("lastmode"), "-1");
  options.Set("firewalled", "yes");
  opener.Open("ktq://h/a.ktq");
  EXPECT_EQ(makers.made.back(), "http h:/a.ktq");
  EXPECT_EQ(Setting("successfulmode"), "2");
}

TEST_F(SourceOpenerTest, AutoFallsBackToTheTunnelWithoutAPrompt) {
  options.Set("DefaultProtocol", "auto");
  options.Set("httpport", "8081");
  makers.socketError = kRefused;
  OpenedSource opened = opener.Open("ktq://h:4000/a.ktq");
  ASSERT_TRUE(opened.source);
  EXPECT_EQ(makers.made, (std::vector<std::string>{"socket h:4000/a.ktq", "http h:8081/a.ktq"}));
  EXPECT_TRUE(responder.Records().empty());
  EXPECT_EQ(options.Get("firewalled"), "yes");
  EXPECT_EQ(settings.GetProfileString(SourceOpener::kProfileSection, "firewalled", ""), "1");
  EXPECT_EQ(Setting("successfulmode"), "2");
}

// "auto" changes mode only when the connection could not be made; a server that answered
// with an error would answer the same in any mode.
TEST_F(SourceOpenerTest, AutoKeepsTheModeWhenTheServerAnsweredWithAnError) {
  options.Set("DefaultProtocol", "auto");
  options.Set("firewalled", "yes");
  makers.httpError = "10. Sever is busy.";
  EXPECT_THROW(opener.Open("ktq://h/a.ktq"), CReaderException);
  EXPECT_EQ(makers.made, (std::vector<std::string>{"http h:/a.ktq"}));
  EXPECT_EQ(options.Get("firewalled"), "yes");
}

TEST_F(SourceOpenerTest, OnlyConnectionFailuresLeadToTheModeDialog) {
  makers.socketError = "1. Image not found";
  EXPECT_THROW(opener.Open("ktq://h/a.ktq"), CReaderException);
  EXPECT_TRUE(responder.Records().empty());
  EXPECT_EQ(Setting("lastmode"), "-1");

  makers.socketError = kRefused;
  EXPECT_THROW(opener.Open("ktq://h/a.ktq"), CReaderException);  // dialog cancelled
  ASSERT_EQ(responder.Records().size(), 1u);
  EXPECT_EQ(responder.Records()[0].kind, "form");

  responder.QueueForm(std::map<std::string, std::string>{{"mode", "Behind Firewall"}, {"noconnwiz", "yes"}});
  EXPECT_TRUE(opener.Open("ktq://h/a.ktq").source);
  EXPECT_EQ(makers.made.back(), "http h:/a.ktq");
  // The user asked not to see the dialog again.
  options.Set("firewalled", "no");
  settings.SetString(SourceOpener::kSettingsKey, "successfulmode", "0");  // not a trial
  EXPECT_THROW(opener.Open("ktq://h/a.ktq"), CReaderException);
  EXPECT_EQ(responder.Records().size(), 2u);
}

TEST_F(SourceOpenerTest, FixedModeOrNoWizardPassesTheFailureOn) {
  makers.socketError = kRefused;
  options.Set("DefaultProtocol", "alwaysdirect");
  EXPECT_THROW(opener.Open("ktq://h/a.ktq"), CReaderException);
  EXPECT_TRUE(makers.socket.fixedMode);
  options.Set("DefaultProtocol", "");
  options.Set("customoptions", "x,nowizard");
  EXPECT_THROW(opener.Open("ktq://h/a.ktq"), CReaderException);
  EXPECT_TRUE(responder.Records().empty());
}

TEST_F(SourceOpenerTest, AnUnfinishedAttemptInTheSameModeAsksToSwitch) {
  settings.SetString(SourceOpener::kSettingsKey, "lastmode", "0");
  responder.QueueMessageAnswer(platform::DialogResult::Yes);
  opener.Open("ktq://h/a.ktq");
  ASSERT_EQ(responder.Records().size(), 1u);
  EXPECT_EQ(responder.Records()[0].text,
            "Korvani Zolvex could not resume from previous attempt to connect in 'Direct' mode.\r\n"
            "It may fail again this time with this mode. Would you like to switch to 'Behind Firewall' mode?");
  EXPECT_EQ(makers.made.back(), "http h:/a.ktq");
  EXPECT_EQ(options.Get("https"), "no");
}

TEST_F(SourceOpenerTest, AFailedTrialReturnsToTheModeThatWorked) {
  settings.SetString(SourceOpener::kSettingsKey, "successfulmode", "2");
  makers.socketError = kRefused;
  responder.QueueMessageAnswer(platform::DialogResult::Ok);
  EXPECT_TRUE(opener.Open("ktq://h/a.ktq").source);
  EXPECT_EQ(makers.socket.timeoutText, "20000");  // a trial gives up early
  EXPECT_EQ(makers.made.back(), "http h:/a.ktq");
  EXPECT_EQ(Setting("lastmode"), "-1");
}

TEST_F(SourceOpenerTest, TheSecureProxyModeConnectsThroughTheRelay) {
  options.Set("firewalled", "yes");
  options.Set("https", "yes");
  unsetenv("https_proxy");
  unsetenv("HTTPS_PROXY");
  settings.SetString("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "ProxyEnable", "1");
  settings.SetString("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "ProxyServer",
                     "http=p1:81;https=p2:443");
  opener.Open("ktq://h/a.ktq");
  ASSERT_TRUE(makers.socket.relay);
  EXPECT_EQ(makers.socket.relay->host, "p2");
  EXPECT_EQ(makers.socket.relay->port, 443);
}

TEST(SourceOpenerRules, ProxyServerValues) {
  struct Case {
    const char* value;
    std::optional<std::pair<std::string, int>> relay;
  } cases[] = {
      {"http=p1:81;https=p2:443", std::pair{"p2", 443}},
      {"p3", std::pair{"p3", 80}},
      {"p4:0", std::pair{"p4", 80}},
      {"http=p1:81;ftp=p5:21", std::nullopt},
  };
  for (const Case& c : cases) {
    auto relay = SourceOpener::ParseProxyServer(c.value);
    ASSERT_EQ(relay.has_value(), c.relay.has_value()) << c.value;
    if (relay) {
      EXPECT_EQ(relay->host, c.relay->first);
      EXPECT_EQ(relay->port, c.relay->second);
    }
  }
}

TEST(SourceOpenerRules, AuthenticationHostsMatchTheContainerOrOneOfItsSubdomains) {
  EXPECT_TRUE(SourceOpener::AuthenticationHostMatches("http://news.example.com/login", "http://example.com/page"));
  EXPECT_FALSE(SourceOpener::AuthenticationHostMatches("http://example.com/login", "http://news.example.com/page"));
  EXPECT_TRUE(SourceOpener::AuthenticationHostMatches("http://EXAMPLE.com:81/a", "http://example.com/b"));
  EXPECT_FALSE(SourceOpener::AuthenticationHostMatches("http://badexample.com/a", "http://example.com/b"));
  EXPECT_FALSE(SourceOpener::AuthenticationHostMatches("https://a.example.com/", "http://example.com/"));
}
