#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/MessageTable.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace zolvex {
namespace {

using ::testing::StartsWith;

const std::string kText401 =
    "1. File %url not found.\r\n\r\nPossible causes:\r\n\r\n  a) The web page may have the wrong URL.\r\n  b) If the "
    "web pages is dynamically generated from a database,\r\n     then the database may contain the wrong URL.\r\n  c) "
    "The file referenced by the URL is missing on the server.\r\n  d) The HTTP port used in your web page may not "
    "match\r\n     the HTTP port used on your KTQ server.\r\n\r\n  Please contact your service provider.";
const std::string kText402 =
    "2. Couldn't establish a connection to server.\r\n\r\n  a) The webpage may have the wrong URL.\r\n  b) If the web "
    "pages is dynamically generated from a database,\r\n     then the database may contain the wrong URL.\r\n  c) The "
    "server is down.\r\n  d) Your are behind a firewall and the firewall blocks connections\r\n\r\n  Please try "
    "switching to Behind Firewall mode (click on zolvex and\r\n  press Ctrl+T). If that does not help, please contact "
    "your service provider.";
const std::string kText403 =
    "Error occurred. Disconnected.\r\n\r\nPress F5 or click on the refresh button in your web browser.";
const std::string kText409 =
    "9. Authentication failed. Access denied.\r\n\r\nThe KTQ server is running in authentication mode and\r\nthe "
    "client failed to pass authentication check.\r\n\r\nPossible causes:\r\n\r\na) The client is not authorized to "
    "connect to the server.\r\nb) The client web proxy refused to let zolvex connect\r\n   to the web and returns http "
    "code 401 (authentication failed).\r\n   The client may not be authorized to use the proxy.\r\nc) The KTQ server "
    "is down, but the proxy server is incorrectly\r\n   configured to return http code 401.";
const std::string kText410 = "10. Sever is busy.\r\n\r\nThe server cannot accept any more new connections.";
const std::string kText411 =
    "11. Failed when reading header. Possible cause:\r\n\r\n  a) You have a slow internet connection (i.e. "
    "56kbps)\r\n     and the connection got disconnected while retrieving KTQ header.\r\n  b) The server specified in "
    "the URL is not correct.\r\n  c) The remote server is not having KTQ server running correctly.\r\n  Please try "
    "switching to Behind Firewall mode (click on zolvex and\r\n  press Ctrl+T). If that does not help, please contact "
    "your service provider.";
const std::string kText412 =
    "2. Couldn't establish a connection to server.\r\n\r\n  a) The webpage may have the wrong URL.\r\n  b) If the web "
    "pages is dynamically generated from a database,\r\n     then the database may contain the wrong URL.\r\n  c) The "
    "server is down.\r\n  d) Your are behind a firewall and the firewall blocks connections\r\n\r\n  Please contact "
    "your service provider.";

TEST(MessageTable, BuiltInEnglishTexts) {
  MessageTable table;
  EXPECT_EQ(table.GetMessageText(401), kText401);
  EXPECT_EQ(table.GetMessageText(402), kText402);
  EXPECT_EQ(table.GetMessageText(403), kText403);
  EXPECT_EQ(table.GetMessageText(409), kText409);
  EXPECT_EQ(table.GetMessageText(410), kText410);
  EXPECT_EQ(table.GetMessageText(411), kText411);
  EXPECT_EQ(table.GetMessageText(412), kText412);
  const std::pair<int, std::string> headlines[] = {{404, "4. Out of send buffer."},
                                                   {405, "5. Connection broken."},
                                                   {406, "6. Connection to firewall terminated."},
                                                   {407, "7. Cannot decode tile."},
                                                   {408, "8. "}};
  for (const auto& [number, headline] : headlines) {
    const std::string text = table.GetMessageText(number);
    EXPECT_THAT(text, StartsWith(headline)) << number;
    EXPECT_GT(text.size(), headline.size() + 10) << number << " has an explanation";
  }
  EXPECT_EQ(table.GetMessageText(400), "");
  EXPECT_EQ(table.GetMessageText(413), "");
}

TEST(MessageTable, UrlIsReplacedEverywhere) {
  MessageTable table;
  const std::string text = table.GetMessageText(401, {}, "ktq://host/a.ktq");
  EXPECT_THAT(text, StartsWith("1. File ktq://host/a.ktq not found.\r\n"));
  EXPECT_EQ(text.find("%url"), std::string::npos);
  EXPECT_EQ(ReplaceUrl("%url and %url", "x%url"), "x%url and x%url");
  EXPECT_EQ(ReplaceUrl("no marker", "u"), "no marker");
}

TEST(MessageTable, LanguageIsChosenByName) {
  const std::pair<const char*, MessageLanguage> names[] = {
      {"Korean", MessageLanguage::Korean},       {"JAPANESE", MessageLanguage::Japanese},
      {"vietnamese", MessageLanguage::Vietnamese}, {"French", MessageLanguage::French},
      {"Malaysian", MessageLanguage::Malaysian}, {"german", MessageLanguage::German},
      {"Spanish", MessageLanguage::Spanish},     {"Chinese", MessageLanguage::Chinese},
      {"English", MessageLanguage::English},     {"Klingon", MessageLanguage::English},
      {"", MessageLanguage::English},
  };
  for (const auto& [name, language] : names) EXPECT_EQ(MessageLanguageFromName(name), language) << name;

  MessageTable table;
  EXPECT_EQ(table.Language(), MessageLanguage::English);
  table.SetLanguage(MessageLanguage::German);
  EXPECT_EQ(table.Language(), MessageLanguage::German);
  EXPECT_THAT(table.GetMessageText(401, {}, "a.ktq"), StartsWith("1. Datei a.ktq nicht gefunden."));
  table.SetLanguage(MessageLanguage::French);
  EXPECT_THAT(table.GetMessageText(410), StartsWith("10. Le serveur est occupé."));
  table.SetLanguage(MessageLanguage::Spanish);
  EXPECT_THAT(table.GetMessageText(409), StartsWith("9. Error de autenticación."));
  table.SetLanguage(MessageLanguage::Korean);
  EXPECT_THAT(table.GetMessageText(410), StartsWith("10. 서버가 사용 중입니다."));
  table.SetLanguage(MessageLanguage::English);
  EXPECT_EQ(table.GetMessageText(410), kText410);
}

TEST(MessageTable, EveryLanguageTranslatesEveryNumberKeepingItsUrlMarker) {
  for (int language = 0; language <= static_cast<int>(MessageLanguage::Korean); ++language) {
    const auto which = static_cast<MessageLanguage>(language);
    for (int number = 401; number <= 412; ++number) {
      const std::string text = MessageTable::BuiltInText(which, number);
      EXPECT_FALSE(text.empty()) << language << " " << number;
      EXPECT_EQ(text.find("%url") != std::string::npos, number == 401) << language << " " << number;
      if (which != MessageLanguage::English) {
        EXPECT_NE(text, MessageTable::BuiltInText(MessageLanguage::English, number)) << language << " " << number;
      }
    }
  }
}

class MessageFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& content) {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(platform::WriteFileBytes(path, std::vector<std::uint8_t>(content.begin(), content.end())));
    return path;
  }
  MessageTable table_;
  test::TempDir dir_;
};

TEST_F(MessageFileTest, FileTextsOverrideTheBuiltInTable) {
  const std::string path = Write("errors.xml",
                                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<messages>\n"
                                 "  <group><ERROR ID=\"401\">Datei %url fehlt</ERROR></group>\n"
                                 "  <error id=\"401\">later duplicate</error>\n"
                                 "  <error id=\"402\">Teil <b>eins</b> &amp; zwei</error>\n"
                                 "  <error id=\"409\"></error>\n"
                                 "  <error id=\"0410\">padded number</error>\n"
                                 "  <error code=\"411\">wrong attribute</error>\n"
                                 "  <fault id=\"412\">wrong element</fault>\n"
                                 "</messages>\n");
  EXPECT_EQ(table_.GetMessageText(401, path, "a.ktq"), "Datei a.ktq fehlt");
  EXPECT_EQ(table_.GetMessageText(402, path), "Teil eins & zwei");
  EXPECT_EQ(table_.GetMessageText(409, path), kText409);  // empty text
  EXPECT_EQ(table_.GetMessageText(410, path), kText410);
  EXPECT_EQ(table_.GetMessageText(411, path), kText411);
  EXPECT_EQ(table_.GetMessageText(412, path), kText412);
  EXPECT_EQ(table_.GetMessageText(403, path), kText403);  // not in the file
  EXPECT_EQ(table_.GetMessageText(401, "file://" + path), "Datei %url fehlt");
}

TEST_F(MessageFileTest, MissingFileFallsBackQuietly) {
  std::vector<std::string> reports;
  table_.SetErrorReporter([&](const std::string& text) { reports.push_back(text); });
  EXPECT_EQ(table_.GetMessageText(410, dir_.File("absent.xml")), kText410);
  EXPECT_TRUE(reports.empty());
}

TEST_F(MessageFileTest, MalformedFileIsReportedAndFallsBack) {
  std::vector<std::string> reports;
  table_.SetErrorReporter([&](const std::string& text) { reports.push_back(text); });
  const std::string path = Write("bad.xml", "<messages>\n<error id=\"401\">x</error>\n<error id=\"402\">y</wrong>\n</messages>\n");
  EXPECT_EQ(table_.GetMessageText(401, path), kText401);
  ASSERT_EQ(reports.size(), 1u);
  const std::string prefix = "Error processing XML file: " + path + "\nError on line 3, position ";
  EXPECT_THAT(reports[0], StartsWith(prefix));
  EXPECT_NE(reports[0].find("\nError ("), std::string::npos);
  EXPECT_NE(reports[0].find(") text: "), std::string::npos);
  // An empty file has no line to point at: no report.
  reports.clear();
  EXPECT_EQ(table_.GetMessageText(401, Write("empty.xml", "")), kText401);
  EXPECT_TRUE(reports.empty());
}

TEST_F(MessageFileTest, ExternalEntitiesAreNotLoaded) {
  const std::string secret = Write("secret.txt", "secret");
  const std::string path = Write("xxe.xml", "<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY s SYSTEM \"file://" + secret +
                                                "\">]><m><error id=\"401\">a&s;b</error></m>");
  EXPECT_EQ(table_.GetMessageText(401, path).find("secret"), std::string::npos);
}

TEST_F(MessageFileTest, OtherUrlsGoThroughTheFetcher) {
  const std::string url = "http://example.invalid/errors.xml";
  EXPECT_EQ(table_.GetMessageText(405, url), MessageTable::BuiltInText(MessageLanguage::English, 405));
  std::vector<std::string> asked;
  table_.SetFetcher([&](const std::string& u) -> std::optional<std::vector<std::uint8_t>> {
    asked.push_back(u);
    const std::string body = "<m><error id=\"405\">fetched</error></m>";
    return std::vector<std::uint8_t>(body.begin(), body.end());
  });
  EXPECT_EQ(table_.GetMessageText(405, url), "fetched");
  EXPECT_EQ(asked, std::vector<std::string>{url});
  table_.SetFetcher([](const std::string&) { return std::nullopt; });
  EXPECT_EQ(table_.GetMessageText(405, url), MessageTable::BuiltInText(MessageLanguage::English, 405));
}

TEST_F(MessageFileTest, SharedTableServesTheFreeFunctions) {
  const std::string path = Write("shared.xml", "<m><error id=\"410\">busy %url</error></m>");
  EXPECT_EQ(GetMessageText(410, path, "srv"), "busy srv");
  EXPECT_EQ(GetMessageText(410), kText410);
}

}  // namespace
}  // namespace zolvex
