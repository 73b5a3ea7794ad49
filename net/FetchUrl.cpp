#include "net/FetchUrl.h"

#include <cstdio>
#include <memory>

#include "net/BodyBlocks.h"
#include "net/Url.h"
#include "platform/Files.h"

namespace zolvex {

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000LL;

bool IsSuccessStatus(int status) { return status == 200 || status == 304; }

// Takes the body of a 200 or 304 answer into blocks; other answers are not read.
class BlockSink : public platform::HttpBodySink {
 public:
  bool OnHead(const platform::HttpResponse& head) override {
    headSeen_ = true;
    return IsSuccessStatus(head.status);
  }
  bool OnBody(std::span<const std::uint8_t> bytes) override {
    tooLong_ = !blocks_.Append(bytes);
    return !tooLong_;
  }
  bool HeadSeen() const { return headSeen_; }
  bool TooLong() const { return tooLong_; }
  std::vector<std::uint8_t> Join() { return blocks_.Join(); }

 private:
  BodyBlocks blocks_;
  bool headSeen_ = false;
  bool tooLong_ = false;
};

class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(std::FILE* file) : file_(file) {}
  std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    std::size_t count = std::fread(buffer.data(), 1, buffer.size(), file_);
    if (count == 0 && std::ferror(file_)) return std::nullopt;
    return count;
  }

 private:
  std::FILE* file_;
};

// The local path that a "file:" URL names: file:///C:/a.xml gives C:/a.xml, and
// file://server/share/a.xml gives //server/share/a.xml.
std::string PathOfFileUrl(const std::string& url) {
  std::string path = url.size() <= 7 ? std::string() : url.substr(7);
  if (path.size() > 2 && path[0] == '/' && path[1] != '/') path.erase(0, 1);
  if (path.find(':') == std::string::npos) path = "//" + path;
  return path;
}

std::string WithSpacesDecoded(std::string path) {
  for (size_t at = path.find("%20"); at != std::string::npos; at = path.find("%20", at + 1)) path.replace(at, 3, " ");
  return path;
}

platform::HttpRequest BuildRequest(const HttpFetch& fetch) {
  platform::HttpRequest request;
  request.url = fetch.url;
  request.headers = {{"Accept", "*/*"}, {"Connection", "Keep-Alive"}};
  request.settings = fetch.settings;
  request.bypassCache = fetch.bypassCache;
  request.cancel = fetch.cancel;
  if (fetch.post && !fetch.authentication.empty()) {
    request.method = "POST";
    request.body = fetch.authentication;
  } else {
    request.method = "GET";
  }
  return request;
}

}  // namespace

FetchResult FetchResult::Failure(std::int32_t status, std::string why) {
  FetchResult result;
  result.lengthOrStatus = status;
  result.error = std::move(why);
  return result;
}

FetchResult FetchResult::Success(std::vector<std::uint8_t> data, std::int64_t lastModified) {
  FetchResult result;
  result.lengthOrStatus = static_cast<std::int32_t>(data.size());
  result.bytes = std::move(data);
  result.lastModified = lastModified;
  return result;
}

std::int64_t FileTimeFromUnixSeconds(std::int64_t seconds) {
  return (seconds + kSecondsFrom1601To1970) * kFileTimeUnitsPerSecond;
}

platform::HttpTransferSettings DefaultFetchSettings() {
  return platform::HttpTransferSettings{10000, 10000, 20000, 2};
}

FetchResult FetchUrl(const std::string& url) {
  if (url.size() > 5 && StartsWithNoCase(url, "http:")) return HttpGet(url);
  bool fileUrl = url.size() > 5 && StartsWithNoCase(url, "file:");
  return ReadFileBytes(WithSpacesDecoded(fileUrl ? PathOfFileUrl(url) : url));
}

FetchResult HttpGet(const std::string& url, const HttpContext* context, const std::string& cookies) {
  HttpFetch fetch;
  fetch.url = url;
  fetch.authentication = cookies;
  fetch.settings = context ? context->settings : DefaultFetchSettings();
  return PerformHttpFetch(context ? context->client : platform::SharedHttpClient(), fetch);
}

void InstallCookies(const std::string& url, const std::string& cookies) {
  if (cookies.empty()) return;
  HttpUrlParts parts = SplitHttpUrl(url);
  std::string cookieUrl = "http://" + parts.host + ":" + FormatDecimal(parts.port);
  size_t start = 0;
  for (size_t end = cookies.find(';'); ; end = cookies.find(';', start)) {
    platform::SetCookie(cookieUrl, cookies.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

FetchResult PerformHttpFetch(platform::HttpClient& client, const HttpFetch& fetch) {
  platform::HttpRequest request = BuildRequest(fetch);
  if (request.method == "GET") InstallCookies(fetch.url, fetch.authentication);
  BlockSink sink;
  platform::HttpOutcome outcome = client.Send(request, sink);
  const int status = outcome.response.status;
  if (!sink.HeadSeen()) return FetchResult::Failure(kFetchClientFailed, outcome.message);
  if (!IsSuccessStatus(status)) return FetchResult::Failure(status, "HTTP status " + FormatDecimal(status));
  if (sink.TooLong()) return FetchResult::Failure(kFetchBodyFailed, BodyBlocks::TooLongMessage());
  if (!outcome.Ok()) return FetchResult::Failure(kFetchBodyFailed, "body not read: " + outcome.message);
  std::int64_t modified = outcome.response.lastModified ? FileTimeFromUnixSeconds(*outcome.response.lastModified) : 0;
  return FetchResult::Success(sink.Join(), modified);
}

FetchResult ReadFileBytes(const std::string& path) {
  if (!platform::FileExists(path)) return FetchResult::Failure(kFetchFileFailed, "cannot open " + path);
  std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(platform::NativePath(path).c_str(), "rb"),
                                                           &std::fclose);
  if (!file) return FetchResult::Failure(kFetchFileFailed, "cannot open " + path);
  FileByteSource source(file.get());
  std::string error;
  std::optional<std::vector<std::uint8_t>> bytes = ReadAll(source, &error);
  if (!bytes) return FetchResult::Failure(kFetchFileFailed, error + ": " + path);
  return FetchResult::Success(std::move(*bytes));
}

}  // namespace zolvex
