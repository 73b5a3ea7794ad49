#pragma once
#include <string>

#include "platform/HttpClient.h"

namespace zolvex::platform {

// HTTP through the page's browser. A transfer blocks its caller as the interface asks, so
// tile and file retrievers, which run on worker threads, make synchronous requests there;
// the page's own thread is never held by them. The browser keeps the cookies, follows
// redirects and applies its proxy; headers it reserves for itself are left out.
class FetchHttpClient : public HttpClient {
 public:
  using HttpClient::Send;
  HttpOutcome Send(const HttpRequest& request, HttpBodySink& sink) override;
};

}  // namespace zolvex::platform
