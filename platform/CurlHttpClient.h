#pragma once
#include <string>

#include "platform/HttpClient.h"

namespace zolvex::platform {

// The HTTP client context built on libcurl. Each request runs on an easy handle of its own
// that shares the process-wide cookie store and name cache.
class CurlHttpClient : public HttpClient {
 public:
  explicit CurlHttpClient(std::string agentName);
  using HttpClient::Send;
  HttpOutcome Send(const HttpRequest& request, HttpBodySink& sink) override;

 private:
  std::string agentName_;
};

}  // namespace zolvex::platform
