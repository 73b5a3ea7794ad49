#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zolvex::test {

// A small HTTP/1.1 server on 127.0.0.1 and an ephemeral port, for tests that need a real
// peer. Each connection is served on a thread of its own and answers one request, then
// closes ("Connection: close"), unless the server keeps connections open for more. Answers come from routes (exact path, query ignored), else
// from the fallback handler, else 404.
class HttpTestServer {
 public:
  struct Request {
    std::string method;
    std::string target;  // path with query, as sent
    std::string path;    // without the query
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // First header of that name (any case); empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
  };

  enum class Stall {
    None,
    BeforeHead,  // accept and read the request, then never answer
    AfterHead    // send the status line and headers (with the body's length), then nothing
  };

  struct Response {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;  // sent in this order
    std::string body;
    Stall stall = Stall::None;

    static Response Text(const std::string& body, int status = 200);
    // A body of exactly size bytes in a repeating pattern (see PatternBytes).
    static Response OfSize(std::size_t size);
    static Response Redirect(const std::string& location, int status = 302);
    static Response Stalled(Stall how = Stall::BeforeHead);
    Response& With(const std::string& name, const std::string& value);
    // Adds "Set-Cookie: name=value; Path=/".
    Response& WithCookie(const std::string& name, const std::string& value);
  };

  using Handler = std::function<Response(const Request&)>;

  HttpTestServer();
  ~HttpTestServer();  // stops: stalled connections are released and all threads joined
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by path.
  std::string Url(const std::string& path = "/") const;

  void Route(const std::string& path, Handler handler);
  void Route(const std::string& path, const Response& fixed);
  void Fallback(Handler handler);

  // Every request received so far, in order of arrival.
  std::vector<Request> Requests() const;
  std::size_t RequestCount() const;
  // Waits until at least count requests arrived; false after the time-out.
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
  // Answers "Connection: keep-alive" and reads further requests from the same connection
  // (until the peer closes it or stays silent for the request deadline).
  void KeepConnectionsOpen(bool keep) { keepAlive_ = keep; }
  // Number of connections accepted so far (also those that sent no complete request).
  std::size_t ConnectionCount() const { return connections_.load(); }

  // The bytes that Response::OfSize sends: byte i is (i * 7 + i / 251) mod 256.
  static std::string PatternBytes(std::size_t size);

 private:
  void AcceptLoop();
  void Serve(int socket);
  bool ServeOne(int socket, std::string& buffer);
  Response Answer(const Request& request);
  void HoldOpen(int socket);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<std::size_t> connections_{0};
  std::atomic<bool> keepAlive_{false};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::map<std::string, Handler> routes_;
  Handler fallback_;
  std::vector<Request> requests_;
  std::vector<std::thread> workers_;
};

}  // namespace zolvex::test
