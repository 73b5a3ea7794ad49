#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "documents/MapDocument.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedResponder.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/HeadlessView.h"
#include "tools/ClipDialog.h"
#include "view/FlipMapView.h"

namespace zolvex {
namespace {

using test::HttpTestServer;

TEST(ClipDialog, FormValuesAreEscapedByteByByte) {
  const std::pair<const char*, const char*> cases[] = {
      {"a b&c", "a%20b%26c"},
      {"Plain123", "Plain123"},
      {"it's (a)*-._", "it's%20(a)*-._"},
      {"~{|}", "%7E%7B%7C%7D"},
      {"\"<>%\\^[]`+$,@:;/!#?=", "%22%3C%3E%25%5C%5E%5B%5D%60%2B%24%2C%40%3A%3B%2F%21%23%3F%3D"},
      {"line\nnext", "line%0Anext"},
      // Beyond ASCII: the UTF-8 bytes, each escaped.
      {"Ünïcode 名", "%C3%9Cn%C3%AFcode%20%E5%90%8D"},
  };
  for (const auto& [text, escaped] : cases) EXPECT_EQ(ClipDialog::EscapeFormValue(text), escaped) << text;
}

TEST(ClipDialog, CategoriesAreThePiecesEndingInASemicolon) {
  using List = std::vector<std::string>;
  const std::pair<const char*, List> cases[] = {
      {"news;sport;", {"news", "sport"}}, {"news;sport", {"news"}}, {";;", {}}, {"", {}}, {"a;;b;", {"a", "b"}}};
  for (const auto& [text, list] : cases) EXPECT_EQ(ClipDialog::ParseCategories(text), list) << text;
}

// The request as the clipping server sees it: a POST of the form with the fixed headers.
TEST(ClipDialog, TheUploadPostsTheFormWithItsHeaders) {
  HttpTestServer server;
  server.Route("/clip.asp", HttpTestServer::Response::Text("ok"));
  ClipDialog dialog(server.Url("/clip.asp?x=1"), "news;", "<xmml> </xmml>", "http://pub/a b.ktq");
  const ClipDialog::Fields fields{"a b&c", "news", "k1 k2", "Déjà vu"};
  EXPECT_EQ(dialog.UploadClip(fields, "202612101705"), 200);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& request = requests[0];
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/clip.asp?x=1");
  EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(request.Header("Accept-Language"), "en-us");
  EXPECT_EQ(request.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; Q312461)");
  EXPECT_EQ(request.Header("Content-Length"), std::to_string(request.body.size()));
  EXPECT_EQ(request.body,
            "pubpath=http%3A%2F%2Fpub%2Fa%20b.ktq&clipname=a%20b%26c&cat=news&keyword=k1%20k2&desc=D%C3%A9j%C3%A0%20vu"
            "&cliptime=202612101705&clip=%3Cxmml%3E%20%3C%2Fxmml%3E");
}

// "Save" stays in the dialog while the server refuses, with the code in the message; a
// server that cannot be reached counts as -1; a saved clip closes the dialog.
TEST(ClipDialog, FailuresKeepTheDialogOpenUntilSavedOrCancelled) {
  std::string error;
  test::TempDir dir;
  platform::PlatformOptions options;
  options.settingsFile = dir.File("settings.ini");
  auto platform = platform::CreatePlatform(options, error);
  ASSERT_TRUE(platform) << error;
  auto& responder = *platform->Responder();
  HttpTestServer server;
  int answers = 0;
  server.Route("/clips", [&answers](const HttpTestServer::Request&) {
    return HttpTestServer::Response::Text("", ++answers == 1 ? 500 : 200);
  });
  const std::map<std::string, std::string> filled{{"name", "n"}, {"category", "sport"}};
  for (int i = 0; i < 2; ++i) responder.QueueForm(filled);
  EXPECT_TRUE(ClipDialog(server.Url("/clips"), "news;sport;", "<xmml/>", "u").Run(*platform));
  std::vector<std::string> texts;
  for (const auto& record : responder.Records()) texts.push_back(record.kind + ":" + record.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"form:name,category,keywords,description",
                                             "message:Server returned error code:500",
                                             "form:name,category,keywords,description", "message:Clip saved"}));
  EXPECT_NE(server.Requests().at(1).body.find("&cat=sport&"), std::string::npos);

  responder.ClearRecords();
  responder.QueueForm(filled);
  EXPECT_FALSE(ClipDialog("http://127.0.0.1:1/clips", "news;", "<xmml/>", "u").Run(*platform));
  ASSERT_GE(responder.Records().size(), 2u);
  EXPECT_EQ(responder.Records()[1].text, "Server returned error code:-1");
}

// A real receiver: ktqserve --clips stores valid uploads, refuses the others, serves a
// stored clip back, and the viewer opens it again as a clip.
TEST(ClipServer, UploadedClipsAreStoredServedAndOpenAgain) {
  test::TempDir root, clips;
  ASSERT_EQ(test::RunCommand(std::string(KTQTOOL_PROGRAM) + " synth '" + root.File("s.ktq") +
                             "' --size 1024 >/dev/null 2>&1"),
            0);
  test::ServerProcess server(KTQSERVE_PROGRAM, {root.Path(), "--port", "0", "--clips", clips.Path()});
  ASSERT_TRUE(server.Running());
  ASSERT_EQ(server.Ports().size(), 2u) << server.Output();
  const std::string base = "http://127.0.0.1:" + std::to_string(server.Ports()[1]) + "/clips";
  const std::string clip = "<xmml> <param name=\"limit\" value=\"100,200-400,350\"/> <clip> </clip> <body> <basemap> "
                           "<ktq src=\"" + root.File("s.ktq") + "\"/></basemap> <map> <clipper x=\"100\" y=\"200\" "
                           "width=\"100\" height=\"50\"/> </map> </body> </xmml>";
  const ClipDialog::Fields fields{"../Münster", "news", "", ""};
  EXPECT_EQ(ClipDialog(base, "", clip, "u").UploadClip(fields, "202612101705"), 200);
  EXPECT_EQ(ClipDialog(base, "", "<xmml><broken", "u").UploadClip(fields, "t"), 400);
  EXPECT_EQ(ClipDialog(base, "", clip, "u").UploadClip({"", "", "", ""}, "t"), 400);
  EXPECT_EQ(ClipDialog(base, "", clip + std::string(70000, ' '), "u").UploadClip(fields, "t"), 400);
  std::string listing;
  test::RunCommand("ls '" + clips.Path() + "'", &listing);
  EXPECT_EQ(listing, "___M__nster.clip\n");

  test::HeadlessView headless;
  ASSERT_TRUE(headless.Create(400, 300, clips.File("settings.ini")));
  FlipMapView& view = *headless.view;
  ASSERT_FALSE(view.OpenUrl(base + "/___M__nster.clip", true, 0, 0, 0).empty());
  ASSERT_TRUE(view.HasValidDocument());
  EXPECT_EQ(view.GetDocument()->GetParam("clipname"), "../Münster");
  EXPECT_EQ(view.GetDocument()->GetParam("limit"), "100,200-400,350");
  EXPECT_TRUE(view.OpenUrl(base + "/..%2Fsettings.ini", true, 0, 0, 0).empty());
}

}  // namespace
}  // namespace zolvex
