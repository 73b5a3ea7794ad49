#include "platform/web/FetchHttpClient.h"

#include <emscripten.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/TextValues.h"

namespace zolvex::platform {

// clang-format off
// Performs the request synchronously and keeps the answer for the calls below. Answers the
// status, or -1 for a URL the browser refuses, -2 for a network failure, -3 for a timeout.
// A page's own thread may not ask for bytes: it reads the body as text of 8-bit characters.
EM_JS(int, zolvex_http_send, (const char* method, const char* url, const char* headers, const std::uint8_t* body,
                              int bodyLength, int timeoutMs), {
  const request = new XMLHttpRequest();
  globalThis.__zolvexHttp = null;
  try {
    request.open(UTF8ToString(method), UTF8ToString(url), false);
  } catch (e) {
    return -1;
  }
  const inWorker = typeof document === 'undefined';
  if (inWorker) {
    request.responseType = 'arraybuffer';
    if (timeoutMs > 0) request.timeout = timeoutMs;
  } else {
    request.overrideMimeType('text/plain; charset=x-user-defined');
  }
  for (const line of UTF8ToString(headers).split('\n')) {
    const colon = line.indexOf(':');
    if (colon <= 0) continue;
    try { request.setRequestHeader(line.substring(0, colon), line.substring(colon + 1).trim()); } catch (e) {}
  }
  try {
    request.send(bodyLength > 0 ? HEAPU8.slice(body, body + bodyLength) : null);
  } catch (e) {
    return e && e.name === 'TimeoutError' ? -3 : -2;
  }
  if (request.status === 0) return -2;
  let bytes;
  if (inWorker) {
    bytes = new Uint8Array(request.response || new ArrayBuffer(0));
  } else {
    const text = request.responseText || "";
    bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xff;
  }
  const modified = Date.parse(request.getResponseHeader('Last-Modified') || "");
  globalThis.__zolvexHttp = { bytes, headers: request.getAllResponseHeaders(), url: request.responseURL,
                              modified: isNaN(modified) ? -1 : Math.floor(modified / 1000) };
  return request.status;
});

EM_JS(int, zolvex_http_body_length, (), { return globalThis.__zolvexHttp ? globalThis.__zolvexHttp.bytes.length : 0; });

EM_JS(void, zolvex_http_body_copy, (std::uint8_t* target), {
  if (globalThis.__zolvexHttp) HEAPU8.set(globalThis.__zolvexHttp.bytes, target);
});

// which: 0 the headers, 1 the final URL.
EM_JS(int, zolvex_http_text_length, (int which), {
  const answer = globalThis.__zolvexHttp;
  return answer ? lengthBytesUTF8(which === 0 ? answer.headers : answer.url) + 1 : 1;
});

EM_JS(void, zolvex_http_text_copy, (int which, char* target, int size), {
  const answer = globalThis.__zolvexHttp;
  stringToUTF8(answer ? (which === 0 ? answer.headers : answer.url) : "", target, size);
});

EM_JS(double, zolvex_http_modified, (), { return globalThis.__zolvexHttp ? globalThis.__zolvexHttp.modified : -1; });

EM_JS(void, zolvex_http_release, (), { globalThis.__zolvexHttp = null; });
// clang-format on

namespace {

std::string AnswerText(int which) {
  std::string text(static_cast<std::size_t>(zolvex_http_text_length(which)), '\0');
  zolvex_http_text_copy(which, text.data(), static_cast<int>(text.size()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

std::vector<HttpHeader> ParseHeaders(const std::string& block) {
  std::vector<HttpHeader> headers;
  std::istringstream lines(block);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) continue;
    headers.push_back({Trim(line.substr(0, colon)), Trim(line.substr(colon + 1))});
  }
  return headers;
}

std::string RequestHeaders(const HttpRequest& request) {
  std::string lines;
  if (request.bypassCache) lines += "Cache-Control: no-cache\nPragma: no-cache\n";
  for (const HttpHeader& header : request.headers) lines += header.name + ": " + header.value + "\n";
  return lines;
}

HttpOutcome Failure(HttpFailure failure, std::string message) {
  HttpOutcome outcome;
  outcome.failure = failure;
  outcome.message = std::move(message);
  return outcome;
}

// Cookies the program installs for a host, kept for CookieString; the browser holds the
// ones servers set and sends them itself.
std::mutex cookieLock;
std::map<std::string, std::map<std::string, std::string>> installedCookies;

std::string HostOf(const std::string& url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return {};
  const std::size_t start = scheme + 3;
  const std::size_t end = url.find_first_of(":/?#", start);
  return ToLower(url.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

}  // namespace

HttpOutcome FetchHttpClient::Send(const HttpRequest& request, HttpBodySink& sink) {
  if (!StartsWithNoCase(request.url, "http://") && !StartsWithNoCase(request.url, "https://")) {
    return Failure(HttpFailure::BadUrl, "not an http or https URL: " + request.url);
  }
  if (request.cancel && request.cancel->load()) return Failure(HttpFailure::Cancelled, "cancelled");
  const int timeout = request.settings.receiveTimeoutMs > 0 ? request.settings.receiveTimeoutMs : 0;
  const int status = zolvex_http_send(request.method.c_str(), request.url.c_str(), RequestHeaders(request).c_str(),
                                      reinterpret_cast<const std::uint8_t*>(request.body.data()),
                                      static_cast<int>(request.body.size()), timeout);
  if (status == -1) return Failure(HttpFailure::BadUrl, "the browser refuses the URL " + request.url);
  if (status == -2) return Failure(HttpFailure::Connect, "no answer from " + request.url);
  if (status == -3) return Failure(HttpFailure::Receive, "timed out waiting for " + request.url);
  HttpOutcome outcome;
  outcome.response.status = status;
  outcome.response.headers = ParseHeaders(AnswerText(0));
  outcome.response.finalUrl = AnswerText(1);
  if (const double modified = zolvex_http_modified(); modified >= 0)
    outcome.response.lastModified = static_cast<std::int64_t>(modified);
  std::vector<std::uint8_t> body(static_cast<std::size_t>(zolvex_http_body_length()));
  if (!body.empty()) zolvex_http_body_copy(body.data());
  zolvex_http_release();
  if (!sink.OnHead(outcome.response)) return outcome;
  for (std::size_t at = 0; at < body.size(); at += kHttpReadBlock) {
    if (request.cancel && request.cancel->load()) return Failure(HttpFailure::Cancelled, "cancelled");
    const std::size_t count = std::min(kHttpReadBlock, body.size() - at);
    if (!sink.OnBody({body.data() + at, count})) return Failure(HttpFailure::BodyRefused, "body refused");
  }
  return outcome;
}

HttpClient& SharedHttpClient() {
  static FetchHttpClient shared;
  return shared;
}

std::unique_ptr<HttpClient> CreateHttpClient(const std::string&) { return std::make_unique<FetchHttpClient>(); }

// Each request costs the browser some milliseconds of processor time, more than decoding
// the answer again (a tile is some ten kilobytes, so this keeps a few thousand).
std::size_t AnswerKeepingBudget() { return std::size_t{32} << 20; }

bool SetCookie(const std::string& url, const std::string& nameValue) {
  const std::string cookie = Trim(nameValue);
  const std::size_t equals = cookie.find('=');
  const std::string name = Trim(cookie.substr(0, equals));
  const std::string value = equals == std::string::npos ? std::string() : Trim(cookie.substr(equals + 1));
  const std::string host = HostOf(url);
  if (name.empty() || host.empty() || name.find_first_of("\t\r\n;") != std::string::npos ||
      value.find_first_of("\t\r\n;") != std::string::npos)
    return false;
  std::lock_guard lock(cookieLock);
  installedCookies[host][name] = value;
  return true;
}

std::string CookieString(const std::string& url) {
  std::lock_guard lock(cookieLock);
  auto found = installedCookies.find(HostOf(url));
  if (found == installedCookies.end()) return {};
  std::string result;
  for (const auto& [name, value] : found->second) result += (result.empty() ? "" : "; ") + name + "=" + value;
  return result;
}

}  // namespace zolvex::platform
