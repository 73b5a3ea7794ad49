#include "tests/support/HttpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace zolvex::test {

namespace {

constexpr int kPollMs = 50;
constexpr auto kRequestDeadline = std::chrono::seconds(10);

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

bool SendAll(int socket, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    ssize_t n = ::send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// Reads more bytes into buffer; false when the peer closed, on error, or when stopping.
bool ReadMore(int socket, std::string& buffer, const std::atomic<bool>& stopping,
              std::chrono::steady_clock::time_point deadline) {
  while (!stopping.load() && std::chrono::steady_clock::now() < deadline) {
    pollfd fd{socket, POLLIN, 0};
    int ready = ::poll(&fd, 1, kPollMs);
    if (ready < 0) return false;
    if (ready == 0) continue;
    char chunk[16384];
    ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<size_t>(n));
    return true;
  }
  return false;
}

bool ParseHead(const std::string& head, HttpTestServer::Request& request) {
  size_t lineEnd = head.find("\r\n");
  std::string first = head.substr(0, lineEnd);
  size_t space1 = first.find(' ');
  size_t space2 = first.find(' ', space1 + 1);
  if (space1 == std::string::npos || space2 == std::string::npos) return false;
  request.method = first.substr(0, space1);
  request.target = first.substr(space1 + 1, space2 - space1 - 1);
  request.path = request.target.substr(0, request.target.find('?'));
  size_t pos = lineEnd + 2;
  while (pos < head.size()) {
    size_t end = head.find("\r\n", pos);
    if (end == std::string::npos) end = head.size();
    std::string line = head.substr(pos, end - pos);
    size_t colon = line.find(':');
    if (colon != std::string::npos) request.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    pos = end + 2;
  }
  return true;
}

bool StatusHasBody(int status) { return status >= 200 && status != 204 && status != 304; }

}  // namespace

std::string HttpTestServer::Request::Header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (EqualNoCase(key, name)) return value;
  }
  return {};
}

bool HttpTestServer::Request::HasHeader(const std::string& name) const {
  return std::any_of(headers.begin(), headers.end(), [&](const auto& h) { return EqualNoCase(h.first, name); });
}

HttpTestServer::Response HttpTestServer::Response::Text(const std::string& body, int status) {
  Response response;
  response.status = status;
  response.body = body;
  return response;
}

HttpTestServer::Response HttpTestServer::Response::OfSize(std::size_t size) { return Text(PatternBytes(size)); }

HttpTestServer::Response HttpTestServer::Response::Redirect(const std::string& location, int status) {
  return Text("", status).With("Location", location);
}

HttpTestServer::Response HttpTestServer::Response::Stalled(Stall how) {
  Response response;
  response.stall = how;
  response.body = "never sent in full";
  return response;
}

HttpTestServer::Response& HttpTestServer::Response::With(const std::string& name, const std::string& value) {
  headers.emplace_back(name, value);
  return *this;
}

HttpTestServer::Response& HttpTestServer::Response::WithCookie(const std::string& name, const std::string& value) {
  return With("Set-Cookie", name + "=" + value + "; Path=/");
}

std::string HttpTestServer::PatternBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

HttpTestServer::HttpTestServer() {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) throw std::runtime_error("test server: no socket");
  int yes = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 64) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listener_);
    throw std::runtime_error("test server: cannot listen on the loopback");
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
  stopping_ = true;
  acceptor_.join();
  ::close(listener_);
  for (std::thread& worker : workers_) worker.join();
}

std::string HttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpTestServer::Route(const std::string& path, Handler handler) {
  std::lock_guard lock(mutex_);
  routes_[path] = std::move(handler);
}

void HttpTestServer::Route(const std::string& path, const Response& fixed) {
  Route(path, [fixed](const Request&) { return fixed; });
}

void HttpTestServer::Fallback(Handler handler) {
  std::lock_guard lock(mutex_);
  fallback_ = std::move(handler);
}

std::vector<HttpTestServer::Request> HttpTestServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t HttpTestServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

bool HttpTestServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

void HttpTestServer::AcceptLoop() {
  while (!stopping_.load()) {
    pollfd fd{listener_, POLLIN, 0};
    if (::poll(&fd, 1, kPollMs) <= 0) continue;
    int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) continue;
    ++connections_;
    std::lock_guard lock(mutex_);
    workers_.emplace_back([this, socket] {
      Serve(socket);
      ::close(socket);
    });
  }
}

void HttpTestServer::Serve(int socket) {
  std::string buffer;
  while (ServeOne(socket, buffer) && keepAlive_.load()) {
  }
  ::shutdown(socket, SHUT_WR);
}

// Reads one request from the connection (buffer keeps what came after it) and answers it;
// false when the connection is to end.
bool HttpTestServer::ServeOne(int socket, std::string& buffer) {
  auto deadline = std::chrono::steady_clock::now() + kRequestDeadline;
  size_t headEnd;
  while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
    if (!ReadMore(socket, buffer, stopping_, deadline)) return false;
  }
  Request request;
  if (!ParseHead(buffer.substr(0, headEnd), request)) return false;
  if (EqualNoCase(request.Header("Expect"), "100-continue")) SendAll(socket, "HTTP/1.1 100 Continue\r\n\r\n");
  size_t bodyLength = static_cast<size_t>(std::strtoull(request.Header("Content-Length").c_str(), nullptr, 10));
  buffer.erase(0, headEnd + 4);
  while (buffer.size() < bodyLength) {
    if (!ReadMore(socket, buffer, stopping_, deadline)) return false;
  }
  request.body = buffer.substr(0, bodyLength);
  buffer.erase(0, bodyLength);
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
  }
  arrived_.notify_all();

  Response response = Answer(request);
  if (response.stall == Stall::BeforeHead) {
    HoldOpen(socket);
    return false;
  }
  const bool keepAlive = keepAlive_.load();
  std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
  for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
  bool hasBody = StatusHasBody(response.status);
  if (hasBody) head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
  head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
  if (!SendAll(socket, head)) return false;
  if (response.stall == Stall::AfterHead) {
    HoldOpen(socket);
    return false;
  }
  if (hasBody && !SendAll(socket, response.body)) return false;
  return keepAlive;
}

HttpTestServer::Response HttpTestServer::Answer(const Request& request) {
  Handler handler;
  {
    std::lock_guard lock(mutex_);
    auto route = routes_.find(request.path);
    if (route != routes_.end()) handler = route->second;
    else handler = fallback_;
  }
  return handler ? handler(request) : Response::Text("not found", 404);
}

// Keeps a connection open without answering until the peer leaves or the server stops.
void HttpTestServer::HoldOpen(int socket) {
  std::string ignored;
  auto forever = std::chrono::steady_clock::time_point::max();
  while (ReadMore(socket, ignored, stopping_, forever)) ignored.clear();
}

}  // namespace zolvex::test
