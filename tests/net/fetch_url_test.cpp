#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "net/FetchUrl.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TestSupport.h"

namespace zolvex {
namespace {

using test::HttpTestServer;
using Response = HttpTestServer::Response;

// Last-Modified "Wed, 21 Oct 2015 07:28:00 GMT" as a file time.
constexpr std::int64_t kOct2015FileTime = 130898860800000000LL;
constexpr const char* kOct2015 = "Wed, 21 Oct 2015 07:28:00 GMT";

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

void WriteFile(const std::string& path, const std::string& contents) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << contents;
}

TEST(FetchUrl, HttpAnswersGiveBytesOrTheirStatus) {
  HttpTestServer server;
  server.Route("/doc.xml", Response::Text("<xmml/>").With("Last-Modified", kOct2015));
  server.Route("/secret", Response::Text("no", 401));
  server.Route("/broken", Response::Text("oops", 500));
  server.Route("/same", Response::Text("", 304).With("Last-Modified", kOct2015));
  server.Route("/empty", Response::Text(""));

  FetchResult doc = FetchUrl(server.Url("/doc.xml"));
  ASSERT_TRUE(doc.Ok()) << doc.error;
  EXPECT_EQ(*doc.bytes, Bytes("<xmml/>"));
  EXPECT_EQ(doc.lengthOrStatus, 7);
  EXPECT_EQ(doc.lastModified, kOct2015FileTime);

  for (auto [path, status] : {std::pair{"/missing", 404}, std::pair{"/secret", 401}, std::pair{"/broken", 500}}) {
    FetchResult failed = FetchUrl(server.Url(path));
    EXPECT_FALSE(failed.Ok()) << path;
    EXPECT_EQ(failed.lengthOrStatus, status) << path;
    EXPECT_EQ(failed.lastModified, 0) << path;
  }

  FetchResult same = FetchUrl(server.Url("/same"));
  ASSERT_TRUE(same.Ok()) << same.error;
  EXPECT_EQ(same.lengthOrStatus, 0);
  EXPECT_EQ(same.lastModified, kOct2015FileTime);

  FetchResult empty = FetchUrl(server.Url("/empty"));
  ASSERT_TRUE(empty.Ok());
  EXPECT_TRUE(empty.bytes->empty());
  EXPECT_EQ(empty.lastModified, 0);
}

TEST(FetchUrl, SendsTheFixedHeadersAndKeepsEscapesInHttpUrls) {
  HttpTestServer server;
  server.Fallback([](const HttpTestServer::Request&) { return Response::Text("ok"); });
  ASSERT_TRUE(FetchUrl(server.Url("/my%20dir/a.xml")).Ok());
  auto received = server.Requests();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].method, "GET");
  EXPECT_EQ(received[0].target, "/my%20dir/a.xml");
  EXPECT_EQ(received[0].Header("Accept"), "*/*");
  EXPECT_EQ(received[0].Header("Connection"), "Keep-Alive");
  EXPECT_FALSE(received[0].HasHeader("Cache-Control"));
}

TEST(FetchUrl, BodiesAroundBlockSizesArriveWhole) {
  HttpTestServer server;
  for (std::size_t size : {std::size_t{10240}, std::size_t{10241}, std::size_t{20480}, std::size_t{10240000}}) {
    server.Route("/s" + std::to_string(size), Response::OfSize(size));
    FetchResult result = FetchUrl(server.Url("/s" + std::to_string(size)));
    ASSERT_TRUE(result.Ok()) << size << ": " << result.error;
    EXPECT_EQ(result.lengthOrStatus, static_cast<std::int32_t>(size));
    std::string expected = HttpTestServer::PatternBytes(size);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), result.bytes->begin(),
                           [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }))
        << size;
  }
}

TEST(FetchUrl, AnOversizeBodyEndsWithAClearError) {
  HttpTestServer server;
  server.Route("/huge", Response::OfSize(10240001));
  FetchResult result = FetchUrl(server.Url("/huge"));
  EXPECT_FALSE(result.Ok());
  EXPECT_EQ(result.lengthOrStatus, kFetchBodyFailed);
  EXPECT_EQ(result.error, "content longer than 10240000 bytes");
}

TEST(FetchUrl, NetworkFailuresGiveStatus999) {
  int closedPort;
  {
    HttpTestServer gone;
    closedPort = gone.Port();
  }
  FetchResult refused = FetchUrl("http://127.0.0.1:" + std::to_string(closedPort) + "/a.xml");
  EXPECT_FALSE(refused.Ok());
  EXPECT_EQ(refused.lengthOrStatus, kFetchClientFailed);

  HttpTestServer server;
  server.Route("/silent", Response::Stalled());
  server.Route("/half", Response::Stalled(HttpTestServer::Stall::AfterHead));
  platform::HttpTransferSettings quick = DefaultFetchSettings();
  quick.receiveTimeoutMs = 300;
  HttpContext context{platform::SharedHttpClient(), quick};
  EXPECT_EQ(HttpGet(server.Url("/silent"), &context).lengthOrStatus, kFetchClientFailed);
  // The answer was 200 but its body never came: a failed body read.
  EXPECT_EQ(HttpGet(server.Url("/half"), &context).lengthOrStatus, kFetchBodyFailed);
}

TEST(HttpGet, AnAnswerOtherThan200Or304IsNotReadFurther) {
  HttpTestServer server;
  Response stuck = Response::Stalled(HttpTestServer::Stall::AfterHead);
  stuck.status = 404;
  server.Route("/stuck", stuck);
  platform::HttpTransferSettings patient = DefaultFetchSettings();
  patient.receiveTimeoutMs = 60000;
  HttpContext context{platform::SharedHttpClient(), patient};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(HttpGet(server.Url("/stuck"), &context).lengthOrStatus, 404);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST(HttpGet, InstallsTheCookieStringForTheHostAndPort) {
  HttpTestServer server;
  server.Route("/a", Response::Text("ok"));
  ASSERT_TRUE(HttpGet(server.Url("/a"), nullptr, "fetchA=1; fetchB=two words;fetchC=3").Ok());
  auto received = server.Requests();
  ASSERT_EQ(received.size(), 1u);
  std::string cookies = received[0].Header("Cookie");
  EXPECT_NE(cookies.find("fetchA=1"), std::string::npos) << cookies;
  EXPECT_NE(cookies.find("fetchB=two words"), std::string::npos) << cookies;
  EXPECT_NE(cookies.find("fetchC=3"), std::string::npos) << cookies;
}

TEST(FetchUrl, ReadsLocalPathsAndFileUrls) {
  test::TempDir dir;
  WriteFile(dir.File("a.xml"), "local");
  WriteFile(dir.File("my dir/b.xml"), "spaced");

  EXPECT_EQ(*FetchUrl(dir.File("a.xml")).bytes, Bytes("local"));
  EXPECT_EQ(*FetchUrl("file://" + dir.File("a.xml")).bytes, Bytes("local"));
  EXPECT_EQ(*FetchUrl("FILE://" + dir.File("a.xml")).bytes, Bytes("local"));
  EXPECT_EQ(*FetchUrl(dir.File("my%20dir/b.xml")).bytes, Bytes("spaced"));
  EXPECT_EQ(*FetchUrl("file://" + dir.File("my%20dir/b.xml")).bytes, Bytes("spaced"));
  EXPECT_EQ(FetchUrl(dir.File("a.xml")).lastModified, 0);
}

TEST(FetchUrl, AFileUrlWithADriveNamesThePathAfterTheSlash) {
  // file:///C:/dir/a.xml names C:/dir/a.xml, which on this system is a relative path.
  test::TempDir dir;
  WriteFile(dir.File("C:/dir/a.xml"), "drive");
  auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  FetchResult result = FetchUrl("file:///C:/dir/a.xml");
  std::filesystem::current_path(previous);
  ASSERT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(*result.bytes, Bytes("drive"));
}

TEST(FetchUrl, UnreadableLocalTargetsGiveNoBytesAndLengthZero) {
  test::TempDir dir;
  WriteFile(dir.File("huge.bin"), std::string(10240001, 'x'));
  for (const std::string& url : {std::string("file://"), std::string("file:"), dir.File("missing.xml"), dir.Path(),
                                 std::string("https://127.0.0.1/a.xml"), std::string("ftp://host/a"),
                                 dir.File("huge.bin")}) {
    FetchResult result = FetchUrl(url);
    EXPECT_FALSE(result.Ok()) << url;
    EXPECT_EQ(result.lengthOrStatus, 0) << url;
  }
}

}  // namespace
}  // namespace zolvex
