#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zolvex::platform {

// Largest piece of a body handed to an HttpBodySink at once.
inline constexpr std::size_t kHttpReadBlock = 10240;

// Limits of one transfer, in milliseconds. The send limit applies while the request body
// goes out, the receive limit to every wait for the answer once the request is out: a
// server that accepts and stays silent ends the transfer after the receive limit. A value
// of 0 or below means no limit. connectRetries is the number of connection attempts
// (refused or timed-out connects are tried again, at least once in all).
struct HttpTransferSettings {
  int connectTimeoutMs = 10000;
  int sendTimeoutMs = 10000;
  int receiveTimeoutMs = 20000;
  int connectRetries = 2;
};

struct HttpHeader {
  std::string name;
  std::string value;
};

struct HttpRequest {
  std::string method = "GET";  // "GET" or "POST"
  std::string url;             // "http:" or "https:"
  // Added to the request; each replaces a header of the same name that the client adds.
  std::vector<HttpHeader> headers;
  std::string body;  // sent with POST, byte for byte
  HttpTransferSettings settings;
  // The answer must not come from a cache: the client keeps none, and asks caches on the
  // way ("Cache-Control: no-cache", "Pragma: no-cache") not to answer in the server's place.
  bool bypassCache = false;
  // When set and true, the transfer stops as soon as possible (checked while waiting).
  const std::atomic<bool>* cancel = nullptr;
};

struct HttpResponse {
  int status = 0;
  std::vector<HttpHeader> headers;  // of the final answer, after redirects
  // The Last-Modified header in seconds since 1970 (UTC); none when absent or unreadable.
  std::optional<std::int64_t> lastModified;
  std::string finalUrl;            // the URL that answered, after redirects
  std::vector<std::uint8_t> body;  // filled only by the collecting Send

  // Value of the first header of that name (any case); empty when absent.
  std::string Header(const std::string& name) const;
};

enum class HttpFailure {
  None,
  BadUrl,      // malformed URL or a scheme the client does not speak
  Connect,     // name lookup, refused or timed-out connection (after all attempts)
  Send,        // the request could not be sent, or its send limit passed
  Receive,     // the answer broke off, was malformed, or its receive limit passed
  Cancelled,   // the request's cancel flag was raised
  BodyRefused  // the body sink asked to stop
};

struct HttpOutcome {
  HttpFailure failure = HttpFailure::None;
  std::string message;  // what went wrong, for diagnostics
  HttpResponse response;
  bool Ok() const { return failure == HttpFailure::None; }
};

// Receives an answer as it arrives.
class HttpBodySink {
 public:
  virtual ~HttpBodySink() = default;
  // Status and headers of the final answer, before any of its body. false: the body is not
  // wanted; the transfer ends without reading it and still counts as a success.
  virtual bool OnHead(const HttpResponse& head) = 0;
  // The next piece of the body (at most kHttpReadBlock bytes). false stops the transfer
  // with HttpFailure::BodyRefused.
  virtual bool OnBody(std::span<const std::uint8_t> bytes) = 0;
};

// An HTTP client context. Redirects are followed; the proxy comes from the environment
// (http_proxy, https_proxy, no_proxy). Cookies live in one store for the whole process:
// cookies set by servers and those installed with SetCookie are sent with every later
// request to their host, from any client. Safe to use from several threads at once.
class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // Performs the request, streaming the answer to sink. Blocks until done.
  virtual HttpOutcome Send(const HttpRequest& request, HttpBodySink& sink) = 0;
  // Performs the request and collects a body of at most maxBody bytes into
  // response.body; a longer body ends with HttpFailure::BodyRefused.
  HttpOutcome Send(const HttpRequest& request, std::size_t maxBody = 64u << 20);
};

// The process-wide client context (agent name "zolvex").
HttpClient& SharedHttpClient();
// A client context of its own; an empty agent name sends the client's default.
std::unique_ptr<HttpClient> CreateHttpClient(const std::string& agentName = {});

// The bytes of answers a tile source may keep in memory so that a tile asked for again
// costs no request: none where a request is cheap, some where each costs the client
// milliseconds of processor time.
std::size_t AnswerKeepingBudget();

// Installs the cookie "name=value" (surrounding blanks trimmed) for the host of url, as if
// that host had set it for all its paths for this session. False for text without a name
// or a URL without a host.
bool SetCookie(const std::string& url, const std::string& nameValue);
// All cookies held for url, as a request would send them ("a=1; b=2"); empty when none.
std::string CookieString(const std::string& url);

}  // namespace zolvex::platform
