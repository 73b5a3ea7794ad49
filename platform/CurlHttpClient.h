#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/HttpClient.h"

namespace zolvex::platform {

// The HTTP client context built on libcurl. Each request runs on an easy handle that
// shares the process-wide cookie store and name cache. Finished handles are kept with their
// connections, so that the next request to the same server goes out on an open connection
// (HTTP keep-alive) instead of connecting again; requests at the same time take a handle
// each.
class CurlHttpClient : public HttpClient {
 public:
  explicit CurlHttpClient(std::string agentName);
  ~CurlHttpClient() override;
  using HttpClient::Send;
  HttpOutcome Send(const HttpRequest& request, HttpBodySink& sink) override;

  // An easy handle with the connection cache it ran in (opaque outside the source file).
  struct Connection;

 private:
  // Handles kept beyond this number are closed with their connections.
  static constexpr std::size_t kMaxIdleConnections = 4;

  std::unique_ptr<Connection> TakeConnection();
  void ReturnConnection(std::unique_ptr<Connection> connection);

  std::string agentName_;
  std::mutex idleLock_;
  std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace zolvex::platform
