#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/HttpClient.h"
#include "tests/support/HttpTestServer.h"

namespace zolvex::platform {
namespace {

using test::HttpTestServer;
using Response = HttpTestServer::Response;

HttpRequest Get(const std::string& url) {
  HttpRequest request;
  request.url = url;
  return request;
}

int ClosedPort() {
  HttpTestServer gone;
  return gone.Port();
}

TEST(HttpClient, SendsMethodHeadersAndBodyAsGiven) {
  HttpTestServer server;
  server.Route("/form", Response::Text("thanks"));
  HttpRequest request = Get(server.Url("/form?x=1"));
  request.method = "POST";
  request.body = std::string("a=1&b=\x01\xff", 8);
  request.headers = {{"Accept", "*/*"}, {"X-Test", "yes"}};
  request.bypassCache = true;
  HttpOutcome outcome = SharedHttpClient().Send(request);
  ASSERT_TRUE(outcome.Ok()) << outcome.message;
  EXPECT_EQ(outcome.response.status, 200);
  EXPECT_EQ(std::string(outcome.response.body.begin(), outcome.response.body.end()), "thanks");

  auto received = server.Requests();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].method, "POST");
  EXPECT_EQ(received[0].target, "/form?x=1");
  EXPECT_EQ(received[0].body, std::string("a=1&b=\x01\xff", 8));
  EXPECT_EQ(received[0].Header("X-Test"), "yes");
  EXPECT_EQ(received[0].Header("Accept"), "*/*");
  EXPECT_EQ(received[0].Header("User-Agent"), "zolvex");
  EXPECT_EQ(received[0].Header("Cache-Control"), "no-cache");
  EXPECT_EQ(received[0].Header("Pragma"), "no-cache");
  EXPECT_FALSE(received[0].HasHeader("Expect"));
}

TEST(HttpClient, ReportsStatusHeadersAndLastModified) {
  HttpTestServer server;
  server.Route("/a", Response::Text("x").With("Last-Modified", "Wed, 21 Oct 2015 07:28:00 GMT").With("X-Id", "7"));
  server.Route("/b", Response::Text("x").With("Last-Modified", "not a date"));
  HttpOutcome a = SharedHttpClient().Send(Get(server.Url("/a")));
  ASSERT_TRUE(a.Ok());
  EXPECT_EQ(a.response.Header("x-id"), "7");
  ASSERT_TRUE(a.response.lastModified);
  EXPECT_EQ(*a.response.lastModified, 1445412480);
  HttpOutcome b = SharedHttpClient().Send(Get(server.Url("/b")));
  EXPECT_FALSE(b.response.lastModified);
  HttpOutcome missing = SharedHttpClient().Send(Get(server.Url("/none")));
  ASSERT_TRUE(missing.Ok());
  EXPECT_EQ(missing.response.status, 404);
}

TEST(HttpClient, FollowsRedirectsAndReportsTheFinalAnswer) {
  HttpTestServer server;
  server.Route("/old", Response::Redirect("/middle", 301));
  server.Route("/middle", Response::Redirect(server.Url("/new"), 302).With("Last-Modified", "Wed, 21 Oct 2015 07:28:00 GMT"));
  server.Route("/new", Response::Text("here"));
  HttpOutcome outcome = SharedHttpClient().Send(Get(server.Url("/old")));
  ASSERT_TRUE(outcome.Ok()) << outcome.message;
  EXPECT_EQ(outcome.response.status, 200);
  EXPECT_EQ(outcome.response.finalUrl, server.Url("/new"));
  EXPECT_FALSE(outcome.response.lastModified);  // headers of the redirects are not the answer's
  EXPECT_EQ(std::string(outcome.response.body.begin(), outcome.response.body.end()), "here");
  EXPECT_EQ(server.RequestCount(), 3u);
}

TEST(HttpClient, RefusesToBeRedirectedToLocalFiles) {
  HttpTestServer server;
  server.Route("/trap", Response::Redirect("file:///etc/passwd"));
  HttpOutcome outcome = SharedHttpClient().Send(Get(server.Url("/trap")));
  EXPECT_FALSE(outcome.Ok());
  EXPECT_TRUE(outcome.response.body.empty());
}

TEST(HttpClient, InstalledAndServerSetCookiesGoToTheirHostOnly) {
  HttpTestServer server;
  server.Route("/login", Response::Text("ok").WithCookie("session", "s42"));
  ASSERT_TRUE(SetCookie(server.Url("/"), " installed=one"));
  ASSERT_TRUE(SetCookie("http://localhost:" + std::to_string(server.Port()) + "/", "elsewhere=two"));
  EXPECT_FALSE(SetCookie(server.Url("/"), "=nameless"));

  ASSERT_TRUE(SharedHttpClient().Send(Get(server.Url("/login"))).Ok());
  ASSERT_TRUE(CreateHttpClient()->Send(Get(server.Url("/next"))).Ok());
  auto received = server.Requests();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_NE(received[0].Header("Cookie").find("installed=one"), std::string::npos);
  EXPECT_EQ(received[0].Header("Cookie").find("elsewhere"), std::string::npos);
  // A client context of its own shares the process's cookie store.
  EXPECT_NE(received[1].Header("Cookie").find("session=s42"), std::string::npos);
  std::string held = CookieString(server.Url("/any"));
  EXPECT_NE(held.find("installed=one"), std::string::npos);
  EXPECT_NE(held.find("session=s42"), std::string::npos);
  EXPECT_EQ(held.find("elsewhere"), std::string::npos);
}

// Records how the body arrives.
class CountingSink : public HttpBodySink {
 public:
  explicit CountingSink(bool wantBody = true) : wantBody_(wantBody) {}
  bool OnHead(const HttpResponse& head) override {
    status = head.status;
    return wantBody_;
  }
  bool OnBody(std::span<const std::uint8_t> bytes) override {
    largestPiece = std::max(largestPiece, bytes.size());
    total += bytes.size();
    return true;
  }
  int status = 0;
  std::size_t largestPiece = 0;
  std::size_t total = 0;

 private:
  bool wantBody_;
};

TEST(HttpClient, StreamsBodiesInPiecesOfAtMostOneBlock) {
  HttpTestServer server;
  server.Route("/big", Response::OfSize(300000));
  CountingSink sink;
  HttpOutcome outcome = SharedHttpClient().Send(Get(server.Url("/big")), sink);
  ASSERT_TRUE(outcome.Ok());
  EXPECT_EQ(sink.total, 300000u);
  EXPECT_LE(sink.largestPiece, kHttpReadBlock);

  CountingSink headOnly(false);
  outcome = SharedHttpClient().Send(Get(server.Url("/big")), headOnly);
  EXPECT_TRUE(outcome.Ok()) << outcome.message;
  EXPECT_EQ(headOnly.status, 200);
  EXPECT_EQ(headOnly.total, 0u);
}

// Requests one after another go out on the connection the server keeps open, and nothing
// of one request (method, body, headers) carries over into the next.
TEST(HttpClient, KeepsTheConnectionOpenForTheNextRequest) {
  HttpTestServer server;
  server.KeepConnectionsOpen(true);
  server.Fallback([](const HttpTestServer::Request& request) { return Response::Text("at " + request.path); });
  auto client = CreateHttpClient("zolvex");
  HttpRequest post = Get(server.Url("/post"));
  post.method = "POST";
  post.body = "a=1";
  post.headers = {{"X-Once", "yes"}};
  for (const HttpRequest& request : {Get(server.Url("/first")), post, Get(server.Url("/last"))}) {
    HttpOutcome outcome = client->Send(request);
    ASSERT_TRUE(outcome.Ok()) << outcome.message;
    EXPECT_EQ(std::string(outcome.response.body.begin(), outcome.response.body.end()),
              "at " + request.url.substr(request.url.rfind('/')));
  }
  EXPECT_EQ(server.ConnectionCount(), 1u);
  auto received = server.Requests();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[1].method, "POST");
  EXPECT_EQ(received[1].body, "a=1");
  EXPECT_EQ(received[2].method, "GET");
  EXPECT_EQ(received[2].body, "");
  EXPECT_FALSE(received[2].HasHeader("X-Once"));
  EXPECT_EQ(received[2].Header("User-Agent"), "zolvex");

  // A server that closes after each answer is connected to again.
  HttpTestServer closing;
  closing.Route("/x", Response::Text("x"));
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(client->Send(Get(closing.Url("/x"))).Ok());
  EXPECT_EQ(closing.ConnectionCount(), 2u);
}

TEST(HttpClient, CollectingSendRefusesBodiesOverItsLimit) {
  HttpTestServer server;
  server.Route("/big", Response::OfSize(50000));
  HttpOutcome outcome = SharedHttpClient().Send(Get(server.Url("/big")), 40000);
  EXPECT_EQ(outcome.failure, HttpFailure::BodyRefused);
}

TEST(HttpClient, ASilentServerEndsTheTransferAfterTheReceiveTimeOut) {
  HttpTestServer server;
  server.Route("/silent", Response::Stalled(HttpTestServer::Stall::BeforeHead));
  server.Route("/half", Response::Stalled(HttpTestServer::Stall::AfterHead));
  for (const char* path : {"/silent", "/half"}) {
    HttpRequest request = Get(server.Url(path));
    request.settings.receiveTimeoutMs = 500;
    auto start = std::chrono::steady_clock::now();
    HttpOutcome outcome = SharedHttpClient().Send(request);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(outcome.failure, HttpFailure::Receive) << path << ": " << outcome.message;
    EXPECT_GE(elapsed, std::chrono::milliseconds(450)) << path;
    EXPECT_LT(elapsed, std::chrono::seconds(10)) << path;
  }
}

TEST(HttpClient, ACancelledTransferStopsWhileWaiting) {
  HttpTestServer server;
  server.Route("/silent", Response::Stalled());
  std::atomic<bool> cancel{false};
  HttpRequest request = Get(server.Url("/silent"));
  request.cancel = &cancel;
  std::thread canceller([&] {
    server.WaitForRequests(1);
    cancel = true;
  });
  HttpOutcome outcome = SharedHttpClient().Send(request);
  canceller.join();
  EXPECT_EQ(outcome.failure, HttpFailure::Cancelled);
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) { setenv(name, value.c_str(), 1); }
  ~ScopedEnvironment() { unsetenv(name_); }

 private:
  const char* name_;
};

TEST(HttpClient, TakesTheProxyFromTheEnvironment) {
  HttpTestServer proxy;
  proxy.Fallback([](const HttpTestServer::Request&) { return Response::Text("via proxy"); });
  HttpTestServer direct;
  direct.Route("/a", Response::Text("direct"));
  ScopedEnvironment httpProxy("http_proxy", proxy.Url(""));
  {
    HttpOutcome outcome = SharedHttpClient().Send(Get("http://zolvex-test.invalid/doc.xml"));
    ASSERT_TRUE(outcome.Ok()) << outcome.message;
    EXPECT_EQ(std::string(outcome.response.body.begin(), outcome.response.body.end()), "via proxy");
    ASSERT_EQ(proxy.RequestCount(), 1u);
    EXPECT_EQ(proxy.Requests()[0].target, "http://zolvex-test.invalid/doc.xml");
  }
  ScopedEnvironment noProxy("no_proxy", "127.0.0.1");
  HttpOutcome outcome = SharedHttpClient().Send(Get(direct.Url("/a")));
  ASSERT_TRUE(outcome.Ok()) << outcome.message;
  EXPECT_EQ(std::string(outcome.response.body.begin(), outcome.response.body.end()), "direct");
  EXPECT_EQ(proxy.RequestCount(), 1u);
}

TEST(HttpClient, RefusedConnectionsAndBadUrlsAreFailures) {
  HttpRequest request = Get("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/a");
  request.settings.connectRetries = 3;
  EXPECT_EQ(SharedHttpClient().Send(request).failure, HttpFailure::Connect);
  EXPECT_EQ(SharedHttpClient().Send(Get("gopher://127.0.0.1/")).failure, HttpFailure::BadUrl);
}

}  // namespace
}  // namespace zolvex::platform
