#include "platform/CurlHttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <memory>
#include <mutex>
#include <sstream>

#include "platform/Clock.h"
#include "platform/TextValues.h"

namespace zolvex::platform {

namespace {

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;
using MultiHandle = std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)>;

// How often a waiting transfer looks at its time-outs and its cancel flag.
constexpr int kWaitSliceMs = 50;

// libcurl's process-wide state: its initialisation and the share that holds the cookie
// store and the name cache for every handle of the process.
class CurlShared {
 public:
  static CurlShared& Instance() {
    static CurlShared instance;
    return instance;
  }
  CURLSH* Share() const { return share_; }
  // A handle attached to the share with the cookie engine on.
  EasyHandle NewHandle() const {
    EasyHandle easy(curl_easy_init(), &curl_easy_cleanup);
    if (easy) Attach(easy.get());
    return easy;
  }
  void Attach(CURL* easy) const {
    curl_easy_setopt(easy, CURLOPT_SHARE, share_);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
  }
  // A reset forgets the cookie engine's list of files without freeing it, so a handle
  // kept for reuse drops the list first (the cookies stay in the share), then takes the
  // share and the engine again.
  void Reattach(CURL* easy) const {
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, nullptr);
    curl_easy_reset(easy);
    Attach(easy);
  }

 private:
  CurlShared() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    share_ = curl_share_init();
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &CurlShared::Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &CurlShared::Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  }
  ~CurlShared() { curl_share_cleanup(share_); }

  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<CurlShared*>(user)->mutexes_[static_cast<std::size_t>(data)].lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* user) {
    static_cast<CurlShared*>(user)->mutexes_[static_cast<std::size_t>(data)].unlock();
  }

  std::array<std::mutex, CURL_LOCK_DATA_LAST> mutexes_;
  CURLSH* share_ = nullptr;
};

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool HasHeader(const std::vector<HttpHeader>& headers, const std::string& name) {
  return std::any_of(headers.begin(), headers.end(), [&](const HttpHeader& h) { return EqualNoCase(h.name, name); });
}

// The request's header lines; libcurl replaces its own headers by those of the same name.
HeaderList BuildHeaderList(const HttpRequest& request) {
  std::vector<HttpHeader> headers = request.headers;
  if (request.bypassCache) {
    if (!HasHeader(headers, "Cache-Control")) headers.push_back({"Cache-Control", "no-cache"});
    if (!HasHeader(headers, "Pragma")) headers.push_back({"Pragma", "no-cache"});
  }
  // Bodies go out at once, without waiting for a "100 Continue".
  if (!HasHeader(headers, "Expect")) headers.push_back({"Expect", ""});
  curl_slist* list = nullptr;
  for (const HttpHeader& header : headers) {
    // "Name;" is libcurl's way to send a header with an empty value; "Expect:" removes one.
    std::string line = header.value.empty() && !EqualNoCase(header.name, "Expect") ? header.name + ";"
                                                                                 : header.name + ": " + header.value;
    curl_slist* appended = curl_slist_append(list, line.c_str());
    if (appended) list = appended;
  }
  return HeaderList(list, &curl_slist_free_all);
}

// The state of one attempt, reached from libcurl's callbacks.
class Transfer {
 public:
  Transfer(const HttpRequest& request, HttpBodySink& sink, CURL* easy)
      : request_(request), sink_(sink), easy_(easy), lastActivityMs_(TickCountMs()) {}

  static size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
    return static_cast<Transfer*>(user)->HeaderLine(std::string(data, size * count));
  }
  static size_t OnBodyData(char* data, size_t size, size_t count, void* user) {
    return static_cast<Transfer*>(user)->BodyData(reinterpret_cast<const std::uint8_t*>(data), size * count);
  }
  static int OnConnected(void* user, char*, char*, int, int) {
    auto* self = static_cast<Transfer*>(user);
    self->connected_ = true;
    self->Touch();
    return CURL_PREREQFUNC_OK;
  }
  static int OnProgress(void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal, curl_off_t ulNow) {
    return static_cast<Transfer*>(user)->Progress(dlTotal, dlNow, ulTotal, ulNow) ? 0 : 1;
  }

  // Classifies the end of the attempt.
  HttpOutcome Finish(CURLcode code, const char* errorText) {
    HttpOutcome outcome;
    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && headDelivered_ && !bodyWanted_)) {
      DeliverHead();
      outcome.response = head_;
      return outcome;
    }
    outcome.response = head_;
    outcome.failure = Classify(code);
    outcome.message = abortMessage_.empty() ? std::string(curl_easy_strerror(code)) : abortMessage_;
    if (errorText && *errorText && abortMessage_.empty()) outcome.message += std::string(": ") + errorText;
    return outcome;
  }

  bool Connected() const { return connected_; }

 private:
  void Touch() { lastActivityMs_ = TickCountMs(); }

  size_t HeaderLine(const std::string& line) {
    Touch();
    if (line == "\r\n" || line == "\n") {
      // The end of a header block: the answer's head is complete unless it is an interim
      // answer or a redirect that will be followed.
      bool redirect = head_.status >= 300 && head_.status < 400 && head_.status != 304 &&
                      !head_.Header("Location").empty();
      if (head_.status >= 200 && !redirect) DeliverHead();
      return headDelivered_ && !bodyWanted_ ? 0 : line.size();  // 0 ends an unwanted answer here
    }
    if (line.rfind("HTTP/", 0) == 0) {
      // A new answer begins (after a redirect or an interim answer): forget the last one.
      head_.headers.clear();
      size_t space = line.find(' ');
      head_.status = space == std::string::npos ? 0 : std::atoi(line.c_str() + space + 1);
      return line.size();
    }
    size_t colon = line.find(':');
    if (colon != std::string::npos) head_.headers.push_back({Trim(line.substr(0, colon)), Trim(line.substr(colon + 1))});
    return line.size();
  }

  void DeliverHead() {
    if (headDelivered_) return;
    headDelivered_ = true;
    std::string modified = head_.Header("Last-Modified");
    if (!modified.empty()) {
      time_t seconds = curl_getdate(modified.c_str(), nullptr);
      if (seconds != -1) head_.lastModified = static_cast<std::int64_t>(seconds);
    }
    char* url = nullptr;
    if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url) head_.finalUrl = url;
    bodyWanted_ = sink_.OnHead(head_);
  }

  size_t BodyData(const std::uint8_t* data, size_t length) {
    Touch();
    DeliverHead();
    if (!bodyWanted_) return 0;
    for (size_t offset = 0; offset < length; offset += kHttpReadBlock) {
      size_t piece = std::min(kHttpReadBlock, length - offset);
      if (!sink_.OnBody(std::span<const std::uint8_t>(data + offset, piece))) {
        sinkRefused_ = true;
        return 0;
      }
    }
    return length;
  }

  bool Progress(curl_off_t, curl_off_t dlNow, curl_off_t ulTotal, curl_off_t ulNow) {
    if (request_.cancel && request_.cancel->load()) return Abort(HttpFailure::Cancelled, "request cancelled");
    if (dlNow != lastDownloaded_ || ulNow != lastUploaded_) {
      lastDownloaded_ = dlNow;
      lastUploaded_ = ulNow;
      Touch();
    }
    if (!connected_) return true;  // the connect time-out is libcurl's own
    bool sending = ulTotal > 0 && ulNow < ulTotal;
    int limitMs = sending ? request_.settings.sendTimeoutMs : request_.settings.receiveTimeoutMs;
    if (limitMs <= 0 || TickCountMs() - lastActivityMs_ <= static_cast<std::uint64_t>(limitMs)) return true;
    return sending ? Abort(HttpFailure::Send, "send time-out of " + std::to_string(limitMs) + " ms passed")
                   : Abort(HttpFailure::Receive, "receive time-out of " + std::to_string(limitMs) + " ms passed");
  }

  bool Abort(HttpFailure reason, const std::string& message) {
    abortReason_ = reason;
    abortMessage_ = message;
    return false;
  }

  HttpFailure Classify(CURLcode code) const {
    switch (code) {
      case CURLE_ABORTED_BY_CALLBACK:
        return abortReason_ == HttpFailure::None ? HttpFailure::Cancelled : abortReason_;
      case CURLE_WRITE_ERROR:
        return sinkRefused_ ? HttpFailure::BodyRefused : HttpFailure::Receive;
      case CURLE_UNSUPPORTED_PROTOCOL:
      case CURLE_URL_MALFORMAT:
        return HttpFailure::BadUrl;
      case CURLE_COULDNT_RESOLVE_PROXY:
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_CONNECT:
      case CURLE_SSL_CONNECT_ERROR:
        return HttpFailure::Connect;
      case CURLE_OPERATION_TIMEDOUT:
        return connected_ ? HttpFailure::Receive : HttpFailure::Connect;
      case CURLE_SEND_ERROR:
        return HttpFailure::Send;
      default:
        return HttpFailure::Receive;
    }
  }

  const HttpRequest& request_;
  HttpBodySink& sink_;
  CURL* easy_;
  HttpResponse head_;
  bool headDelivered_ = false;
  bool bodyWanted_ = true;
  bool sinkRefused_ = false;
  bool connected_ = false;
  HttpFailure abortReason_ = HttpFailure::None;
  std::string abortMessage_;
  std::uint64_t lastActivityMs_;
  curl_off_t lastDownloaded_ = 0;
  curl_off_t lastUploaded_ = 0;
};

void SetMethodAndBody(CURL* easy, const HttpRequest& request) {
  if (request.method == "GET" || request.method.empty()) {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    return;
  }
  if (request.method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  curl_easy_setopt(easy, CURLOPT_POST, 1L);
  curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
  curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
}

void SetTransferOptions(CURL* easy, const HttpRequest& request, const std::string& agentName) {
  curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  // A proxy's answer to CONNECT is not the server's answer.
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, static_cast<long>(kHttpReadBlock));
  if (!agentName.empty()) curl_easy_setopt(easy, CURLOPT_USERAGENT, agentName.c_str());
  if (request.settings.connectTimeoutMs > 0) {
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.settings.connectTimeoutMs));
  }
  SetMethodAndBody(easy, request);
}

void SetCallbacks(CURL* easy, Transfer& transfer) {
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeaderLine);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBodyData);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Transfer::OnConnected);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
}

// The host of url, lower-cased; empty when url has none.
std::string HostOf(const std::string& url, std::string* path = nullptr, bool* secure = nullptr) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return {};
  auto part = [&](CURLUPart which) {
    char* text = nullptr;
    std::string value;
    if (curl_url_get(parsed.get(), which, &text, 0) == CURLUE_OK && text) value = text;
    curl_free(text);
    return value;
  };
  if (path) *path = part(CURLUPART_PATH);
  if (secure) *secure = EqualNoCase(part(CURLUPART_SCHEME), "https");
  std::string host = part(CURLUPART_HOST);
  std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return std::tolower(c); });
  return host;
}

// One line of libcurl's cookie list (Netscape format) and whether it applies to a request.
struct CookieLine {
  std::string domain;
  bool includeSubdomains = false;
  std::string path;
  bool secure = false;
  long long expires = 0;
  std::string name;
  std::string value;

  static bool Parse(const std::string& line, CookieLine& cookie) {
    std::vector<std::string> fields;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
    if (fields.size() < 6) return false;
    cookie.domain = fields[0];
    const std::string httpOnly = "#HttpOnly_";
    if (cookie.domain.rfind(httpOnly, 0) == 0) cookie.domain.erase(0, httpOnly.size());
    if (!cookie.domain.empty() && cookie.domain[0] == '.') cookie.domain.erase(0, 1);
    cookie.includeSubdomains = fields[1] == "TRUE";
    cookie.path = fields[2];
    cookie.secure = fields[3] == "TRUE";
    cookie.expires = std::atoll(fields[4].c_str());
    cookie.name = fields[5];
    cookie.value = fields.size() > 6 ? fields[6] : std::string();
    return true;
  }

  bool AppliesTo(const std::string& host, const std::string& requestPath, bool https) const {
    bool hostMatches = EqualNoCase(host, domain) ||
                       (includeSubdomains && host.size() > domain.size() &&
                        EqualNoCase(host.substr(host.size() - domain.size()), domain) &&
                        host[host.size() - domain.size() - 1] == '.');
    bool pathMatches = requestPath.rfind(path, 0) == 0;
    bool fresh = expires == 0 || expires > static_cast<long long>(std::time(nullptr));
    return hostMatches && pathMatches && fresh && (https || !secure);
  }
};

// Runs the transfer of easy to its end in multi, whose connection cache keeps the
// connection open afterwards. libcurl's own blocking call looks at the progress callback
// only about once a second while a server is silent; waiting in short slices here keeps
// the time-outs and cancelling close to their values.
CURLcode RunTransfer(CURLM* multi, CURL* easy) {
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  int running = 1;
  CURLMcode state = CURLM_OK;
  while (state == CURLM_OK) {
    state = curl_multi_perform(multi, &running);
    if (state != CURLM_OK || running == 0) break;
    state = curl_multi_poll(multi, nullptr, 0, kWaitSliceMs, nullptr);
  }
  CURLcode result = state == CURLM_OK ? CURLE_OK : CURLE_RECV_ERROR;
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy) result = message->data.result;
  }
  curl_multi_remove_handle(multi, easy);
  return result;
}

}  // namespace

struct CurlHttpClient::Connection {
  EasyHandle easy{nullptr, &curl_easy_cleanup};
  MultiHandle multi{nullptr, &curl_multi_cleanup};
};

CurlHttpClient::CurlHttpClient(std::string agentName) : agentName_(std::move(agentName)) {
  CurlShared::Instance();
}

CurlHttpClient::~CurlHttpClient() = default;

std::unique_ptr<CurlHttpClient::Connection> CurlHttpClient::TakeConnection() {
  {
    std::lock_guard lock(idleLock_);
    if (!idle_.empty()) {
      std::unique_ptr<Connection> connection = std::move(idle_.back());
      idle_.pop_back();
      return connection;
    }
  }
  auto connection = std::make_unique<Connection>();
  connection->easy = CurlShared::Instance().NewHandle();
  connection->multi = MultiHandle(curl_multi_init(), &curl_multi_cleanup);
  if (!connection->easy || !connection->multi) return nullptr;
  // One transfer at a time runs in this cache: it needs to keep only a few connections.
  curl_multi_setopt(connection->multi.get(), CURLMOPT_MAXCONNECTS, 2L);
  return connection;
}

void CurlHttpClient::ReturnConnection(std::unique_ptr<Connection> connection) {
  // The options pointed into the finished request; the next one sets its own.
  CurlShared::Instance().Reattach(connection->easy.get());
  std::lock_guard lock(idleLock_);
  if (idle_.size() < kMaxIdleConnections) idle_.push_back(std::move(connection));
}

HttpOutcome CurlHttpClient::Send(const HttpRequest& request, HttpBodySink& sink) {
  std::unique_ptr<Connection> connection = TakeConnection();
  if (!connection) return {HttpFailure::Connect, "the HTTP client could not start a request", {}};
  CURL* easy = connection->easy.get();
  HeaderList headers = BuildHeaderList(request);
  SetTransferOptions(easy, request, agentName_);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
  std::array<char, CURL_ERROR_SIZE> errorText{};
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText.data());

  int attempts = std::max(1, request.settings.connectRetries);
  HttpOutcome outcome;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    Transfer transfer(request, sink, easy);
    SetCallbacks(easy, transfer);
    errorText[0] = '\0';
    CURLcode code = RunTransfer(connection->multi.get(), easy);
    outcome = transfer.Finish(code, errorText.data());
    // Only a connection that never came up is tried again; nothing reached the sink then.
    if (outcome.failure != HttpFailure::Connect || transfer.Connected()) break;
  }
  ReturnConnection(std::move(connection));
  return outcome;
}

HttpClient& SharedHttpClient() {
  static CurlHttpClient shared("zolvex");
  return shared;
}

std::unique_ptr<HttpClient> CreateHttpClient(const std::string& agentName) {
  return std::make_unique<CurlHttpClient>(agentName);
}

// A request on a kept connection costs less than a millisecond.
std::size_t AnswerKeepingBudget() { return 0; }

bool SetCookie(const std::string& url, const std::string& nameValue) {
  std::string cookie = Trim(nameValue);
  size_t equals = cookie.find('=');
  std::string name = Trim(cookie.substr(0, equals));
  std::string value = equals == std::string::npos ? std::string() : Trim(cookie.substr(equals + 1));
  std::string host = HostOf(url);
  auto unsafe = [](const std::string& text) { return text.find_first_of("\t\r\n") != std::string::npos; };
  if (name.empty() || host.empty() || unsafe(name) || unsafe(value)) return false;
  EasyHandle easy = CurlShared::Instance().NewHandle();
  if (!easy) return false;
  // Netscape cookie-file line: host only, all paths, any scheme, ends with the session.
  std::string line = host + "\tFALSE\t/\tFALSE\t0\t" + name + "\t" + value;
  return curl_easy_setopt(easy.get(), CURLOPT_COOKIELIST, line.c_str()) == CURLE_OK;
}

std::string CookieString(const std::string& url) {
  std::string path;
  bool https = false;
  std::string host = HostOf(url, &path, &https);
  EasyHandle easy = CurlShared::Instance().NewHandle();
  if (host.empty() || !easy) return {};
  curl_slist* cookies = nullptr;
  if (curl_easy_getinfo(easy.get(), CURLINFO_COOKIELIST, &cookies) != CURLE_OK) return {};
  HeaderList owned(cookies, &curl_slist_free_all);
  std::string result;
  for (curl_slist* item = cookies; item; item = item->next) {
    CookieLine cookie;
    if (!CookieLine::Parse(item->data, cookie) || !cookie.AppliesTo(host, path.empty() ? "/" : path, https)) continue;
    if (!result.empty()) result += "; ";
    result += cookie.name + "=" + cookie.value;
  }
  return result;
}

}  // namespace zolvex::platform
