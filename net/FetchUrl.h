#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/HttpClient.h"

namespace zolvex {

// Statuses of a fetch that brought no bytes, beside the HTTP statuses of the answer. None of
// them is an HTTP status, so that a server's answer (500 included) is never taken for a
// failure of the network.
inline constexpr std::int32_t kFetchFileFailed = 0;      // a local file could not be read
inline constexpr std::int32_t kFetchBodyFailed = 998;    // the body of a 200/304 answer failed
inline constexpr std::int32_t kFetchClientFailed = 999;  // no connection, send or receive error

// Whether a status is a failure of the transfer rather than an answer of the server.
inline bool IsNetworkFailure(std::int32_t status) { return status == kFetchClientFailed || status == kFetchBodyFailed; }
// Whether a status is the server's own error (5xx): the network worked.
inline bool IsServerError(std::int32_t status) { return status >= 500 && status <= 599; }

// The outcome of every operation here that returns bytes. With bytes, lengthOrStatus is
// their count (an empty body is bytes of length 0, a success); without, it is the status.
struct FetchResult {
  std::optional<std::vector<std::uint8_t>> bytes;
  std::int32_t lengthOrStatus = 0;
  // Last-Modified of the answer as a file time (100 ns units since 1601-01-01 UTC); 0 when
  // absent or unreadable, and for local files.
  std::int64_t lastModified = 0;
  std::string error;  // why there are no bytes, for diagnostics

  bool Ok() const { return bytes.has_value(); }
  static FetchResult Failure(std::int32_t status, std::string why);
  static FetchResult Success(std::vector<std::uint8_t> data, std::int64_t lastModified = 0);
};

// Seconds since 1970 as a file time (100 ns units since 1601).
std::int64_t FileTimeFromUnixSeconds(std::int64_t seconds);

// The transfer settings of HttpGet on the shared client context.
platform::HttpTransferSettings DefaultFetchSettings();

// The bytes of an "http:" URL, a "file:" URL or a local path, on the calling thread.
FetchResult FetchUrl(const std::string& url);

// A client context with the transfer settings to use on it.
struct HttpContext {
  platform::HttpClient& client;
  platform::HttpTransferSettings settings;
};

// GET url with the headers "Accept: */*" and "Connection: Keep-Alive", after installing
// the cookies of cookies ("a=1;b=2") for the URL's host and port. Without a context the
// shared client context and DefaultFetchSettings are used.
FetchResult HttpGet(const std::string& url, const HttpContext* context = nullptr, const std::string& cookies = {});

// One request of the download worker and the tile retrievers: with post and a non-empty
// authentication string, a POST whose body is that string; otherwise a GET before which the
// string is installed as cookies. Answers 200 and 304 bring their body.
struct HttpFetch {
  std::string url;
  std::string authentication;
  bool post = false;
  bool bypassCache = false;
  platform::HttpTransferSettings settings;
  const std::atomic<bool>* cancel = nullptr;
};
FetchResult PerformHttpFetch(platform::HttpClient& client, const HttpFetch& fetch);

// Installs each ";"-separated piece of cookies as a cookie for "http://" host ":" port.
void InstallCookies(const std::string& url, const std::string& cookies);

// The whole contents of a local file; no bytes and length 0 when it cannot be read.
FetchResult ReadFileBytes(const std::string& path);

}  // namespace zolvex
