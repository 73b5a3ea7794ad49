#include "platform/HttpClient.h"

#include <algorithm>
#include <cctype>

namespace zolvex::platform {

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Keeps the head and appends the body, up to a limit.
class CollectingSink : public HttpBodySink {
 public:
  CollectingSink(HttpResponse& response, std::size_t maxBody) : response_(response), maxBody_(maxBody) {}
  bool OnHead(const HttpResponse& head) override {
    response_ = head;
    return true;
  }
  bool OnBody(std::span<const std::uint8_t> bytes) override {
    if (response_.body.size() + bytes.size() > maxBody_) return false;
    response_.body.insert(response_.body.end(), bytes.begin(), bytes.end());
    return true;
  }

 private:
  HttpResponse& response_;
  std::size_t maxBody_;
};

}  // namespace

std::string HttpResponse::Header(const std::string& name) const {
  for (const HttpHeader& header : headers) {
    if (EqualNoCase(header.name, name)) return header.value;
  }
  return {};
}

HttpOutcome HttpClient::Send(const HttpRequest& request, std::size_t maxBody) {
  HttpResponse collected;
  CollectingSink sink(collected, maxBody);
  HttpOutcome outcome = Send(request, sink);
  outcome.response.body = std::move(collected.body);
  return outcome;
}

}  // namespace zolvex::platform
