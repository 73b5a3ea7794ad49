#include <gtest/gtest.h>

#include "net/CHTTPFileRetriever.h"
#include "tests/support/HttpTestServer.h"

namespace zolvex {
namespace {

using test::HttpTestServer;
using Response = HttpTestServer::Response;

platform::HttpTransferSettings Quick() { return platform::HttpTransferSettings{2000, 2000, 500, 2}; }

TEST(CHTTPFileRetriever, PostsTheAuthenticationStringAsTheBody) {
  HttpTestServer server;
  server.Route("/img/a1", Response::Text("description").With("Last-Modified", "Wed, 21 Oct 2015 07:28:00 GMT"));
  auto result = CHTTPFileRetriever::Retrieve(server.Url("/img/a1"), "user=ann;ticket=9", 1, Quick(), 5000);
  ASSERT_TRUE(result);
  ASSERT_TRUE(result->Ok()) << result->error;
  EXPECT_EQ(std::string(result->bytes->begin(), result->bytes->end()), "description");
  EXPECT_EQ(result->lastModified, 130898860800000000LL);

  auto received = server.Requests();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].method, "POST");
  EXPECT_EQ(received[0].body, "user=ann;ticket=9");
  EXPECT_EQ(received[0].Header("Content-Length"), "17");
  EXPECT_EQ(received[0].Header("Accept"), "*/*");
  EXPECT_EQ(received[0].Header("Connection"), "Keep-Alive");
  EXPECT_EQ(received[0].Header("Cache-Control"), "no-cache");
  EXPECT_EQ(received[0].Header("Cookie").find("ticket"), std::string::npos);
}

TEST(CHTTPFileRetriever, WithoutPostSendsTheStringAsCookiesOfAGet) {
  HttpTestServer server;
  server.Route("/img/a1", Response::Text("d"));
  for (int post : {0, 1}) {
    // An empty string never makes a POST.
    std::string authentication = post ? "" : "retrieverA=1;retrieverB=2";
    auto result = CHTTPFileRetriever::Retrieve(server.Url("/img/a1"), authentication, post, Quick(), 5000);
    ASSERT_TRUE(result && result->Ok());
  }
  auto received = server.Requests();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].method, "GET");
  EXPECT_TRUE(received[0].body.empty());
  EXPECT_NE(received[0].Header("Cookie").find("retrieverA=1"), std::string::npos);
  EXPECT_NE(received[0].Header("Cookie").find("retrieverB=2"), std::string::npos);
  EXPECT_EQ(received[1].method, "GET");
}

TEST(CHTTPFileRetriever, ReportsStatusesAndNetworkFailures) {
  HttpTestServer server;
  server.Route("/denied", Response::Text("no", 401));
  server.Route("/silent", Response::Stalled());
  auto denied = CHTTPFileRetriever::Retrieve(server.Url("/denied"), "", 0, Quick(), 5000);
  ASSERT_TRUE(denied);
  EXPECT_FALSE(denied->Ok());
  EXPECT_EQ(denied->lengthOrStatus, 401);
  // The worker's own receive time-out ends the request before the creator gives up.
  auto silent = CHTTPFileRetriever::Retrieve(server.Url("/silent"), "", 0, Quick(), 8000);
  ASSERT_TRUE(silent);
  EXPECT_EQ(silent->lengthOrStatus, kFetchClientFailed);
}

TEST(CHTTPFileRetriever, AnUnfinishedRequestIsDiscardedAfterTheOverallTimeOut) {
  HttpTestServer server;
  server.Route("/silent", Response::Stalled());
  platform::HttpTransferSettings patient = Quick();
  patient.receiveTimeoutMs = 60000;
  auto start = std::chrono::steady_clock::now();
  auto result = CHTTPFileRetriever::Retrieve(server.Url("/silent"), "", 0, patient, 400);
  EXPECT_FALSE(result);
  // Discarding cuts the running request short instead of waiting for its time-outs.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(CHTTPFileRetriever, MessagesFollowTheWorkersLifecycle) {
  HttpTestServer server;
  server.Route("/f", Response::Text("file"));
  CHTTPFileRetriever worker;
  EXPECT_TRUE(worker.PostMessage(CHTTPFileRetriever::Probe));
  EXPECT_FALSE(worker.IsDone());
  worker.SetTransferSettings(Quick());
  worker.SetRequest(server.Url("/f"), "", 0);
  ASSERT_TRUE(worker.PostMessage(CHTTPFileRetriever::Fetch));
  ASSERT_TRUE(worker.WaitDone(std::chrono::seconds(5)));
  FetchResult result = worker.TakeResult();
  EXPECT_EQ(result.lengthOrStatus, 4);
  EXPECT_TRUE(worker.PostMessage(CHTTPFileRetriever::Finish));
  // Once the thread has ended no message is taken any more.
  for (int i = 0; i < 200 && worker.PostMessage(CHTTPFileRetriever::Probe); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_FALSE(worker.PostMessage(CHTTPFileRetriever::Probe));
}

}  // namespace
}  // namespace zolvex
