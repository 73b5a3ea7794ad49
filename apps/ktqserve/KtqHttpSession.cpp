#include "apps/ktqserve/KtqHttpSession.h"

#include "apps/ktqserve/ClipStore.h"

#include <malloc.h>

#include <algorithm>
#include <ctime>

#include "apps/ktqserve/KtqImageStore.h"
#include "apps/ktqserve/WebFolder.h"
#include "platform/Files.h"
#include "platform/TextValues.h"
#include "tiles/ImageDescription.h"
#include "tiles/KtqFormat.h"
#include "tiles/TilePayload.h"

namespace zolvex {

namespace {

constexpr std::size_t kMaxPayload = KtqServerSession::kMaxPayload;
// A description carries the attached files; the viewer reads HTTP bodies up to 10,240,000 bytes.
constexpr std::size_t kMaxDescription = 10'240'000 - 12;

void AppendBE32(std::vector<std::uint8_t>& out, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// The 12-byte header a tunnel body starts with: length, result type 0, request number 0.
std::vector<std::uint8_t> Framed(const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> body;
  body.reserve(payload.size() + 12);
  AppendBE32(body, static_cast<std::int32_t>(payload.size() + 8));
  AppendBE32(body, 0);
  AppendBE32(body, 0);
  body.insert(body.end(), payload.begin(), payload.end());
  return body;
}

std::string HttpDate(std::int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[64];
  std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &tm);
  return text;
}

std::int64_t ModifiedSeconds(const KtqImageStore& store, const std::string& name) {
  auto path = store.Resolve(name);
  if (!path) return 0;
  return platform::FileModificationTime(path->string()).value_or(0);
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 409: return "Conflict";
    case 413: return "Payload Too Large";
    case 500: return "Internal Server Error";
    default: return "Error";
  }
}

// The ";"-separated pieces of a cookie list, trimmed, empty ones left out; a piece without
// "=" is a name with an empty value, as a client installs it ("secret" is sent "secret=").
std::vector<std::string> CookiePieces(const std::string& cookies) {
  std::vector<std::string> pieces;
  for (size_t start = 0; start <= cookies.size();) {
    size_t end = std::min(cookies.find(';', start), cookies.size());
    std::string piece = Trim(cookies.substr(start, end - start));
    start = end + 1;
    if (piece.empty()) continue;
    if (piece.find('=') == std::string::npos) piece += '=';
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

// Whether the Cookie header carries every cookie of the token (the authentication string
// as the client installs it, "name=value" pieces) exactly. A cookie that merely contains
// the token, or a piece of it, does not pass.
bool HasCookies(const std::string& cookies, const std::string& token) {
  const std::vector<std::string> sent = CookiePieces(cookies);
  const std::vector<std::string> wanted = CookiePieces(token);
  return !wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [&](const std::string& piece) {
    return std::find(sent.begin(), sent.end(), piece) != sent.end();
  });
}

bool Authorised(const KtqServerContext& context, const std::string& method, const std::string& cookies,
                const std::string& body) {
  if (context.authToken.empty()) return true;
  if (method == "POST") return body == context.authToken;
  return HasCookies(cookies, context.authToken);
}

// The description in version 11 whatever version the direct port speaks.
std::vector<std::uint8_t> DescriptionV11(const KtqImageStore::Image& image) {
  auto parsed = ImageDescription::ParseDirect(image.description.data(), image.description.size(),
                                              8 + static_cast<std::int64_t>(image.description.size()));
  if (!parsed || parsed->version == 11) return image.description;
  parsed->version = 11;
  return parsed->Encode();
}

std::optional<std::vector<std::uint8_t>> TileFor(const KtqServerContext& context, const KtqImageStore::Image& image,
                                                 const std::string& address) {
  if (address.size() != 15 || !std::all_of(address.begin(), address.end(), ::isdigit)) return std::nullopt;
  const int row = ParseInt(address.substr(0, 5)), column = ParseInt(address.substr(5, 5)),
            level = ParseInt(address.substr(10, 5));
  auto stream = image.file.ReadTile(level, column, row);
  if (!stream) return std::nullopt;
  const int codec = KtqFormat::CanonicalFormat(image.file.Codec());
  const int key = (level * 31 + row * 17 + column * 7) & 0xFF;
  return TilePayload::Encode(stream->data(), stream->size(), 11, codec, context.scramble, key);
}

}  // namespace

KtqHttpSession::KtqHttpSession(std::shared_ptr<platform::ServerConnection> connection, const KtqServerContext& context)
    : connection_(connection), context_(context), peer_(connection->Peer()) {}

KtqHttpSession::Answer KtqHttpSession::AnswerFor(const KtqServerContext& context, const std::string& method,
                                                 const std::string& path, const std::string& cookies,
                                                 const std::string& body) {
  Answer answer;
  if (context.clips && (path == "/clips" || path.starts_with("/clips/"))) return ClipAnswer(context, method, path, body);
  if (context.web && method == "GET") {
    if (auto file = context.web->Read(path)) return {200, std::move(file->body), file->lastModified, file->contentType};
  }
  if (!Authorised(context, method, cookies, body)) return {401, {}, 0};
  size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 2 > path.size()) return {404, {}, 0};
  const std::string name = path.substr(0, slash);
  const std::string what = path.substr(slash + 1);
  std::optional<std::vector<std::uint8_t>> payload;
  if (what == "c0") {
    payload = context.store->ReadFile(name, kMaxPayload);
  } else if (what == "d0") {
    payload = context.store->ReadThumbnail(name);
  } else if (what == "a1" || what.rfind("b1", 0) == 0) {
    auto image = context.store->OpenImage(name);
    if (image) payload = what == "a1" ? DescriptionV11(*image) : TileFor(context, *image, what.substr(2));
  }
  if (!payload || payload->size() > (what == "a1" ? kMaxDescription : kMaxPayload)) return {404, {}, 0};
  answer.body = Framed(*payload);
  answer.lastModified = ModifiedSeconds(*context.store, name);
  return answer;
}

KtqHttpSession::Answer KtqHttpSession::ClipAnswer(const KtqServerContext& context, const std::string& method,
                                                  const std::string& path, const std::string& body) {
  Answer answer;
  answer.contentType = "text/plain; charset=utf-8";
  if (method == "POST" && (path == "/clips" || path == "/clips/")) {
    const ClipStore::Result stored = context.clips->Receive(body);
    answer.status = stored.status;
    answer.body.assign(stored.body.begin(), stored.body.end());
    if (context.log) context.log("clip " + std::to_string(stored.status) + " " + stored.body.substr(0, stored.body.size() - 1));
    return answer;
  }
  auto text = method == "GET" ? context.clips->Read(path.substr(7)) : std::nullopt;
  if (!text) return {404, {}, 0, answer.contentType};
  answer.contentType = "text/xml; charset=utf-8";
  answer.body.assign(text->begin(), text->end());
  return answer;
}

void KtqHttpSession::OnData(const std::uint8_t* data, std::size_t length) {
  buffer_.append(reinterpret_cast<const char*>(data), length);
  AnswerBuffered();
  if (buffer_.size() > kMaxHeaderBytes + kMaxBodyBytes) {
    if (auto connection = connection_.lock()) connection->Close();
  }
}

void KtqHttpSession::AnswerBuffered() {
  auto connection = connection_.lock();
  if (!connection || waitingForWritable_) return;
  do {
    if (connection->UnsentBytes() > platform::ServerConnection::kUnsentHighWater) {
      waitingForWritable_ = true;
      connection->PauseReading();
      connection->CallWhenWritable();
      return;
    }
  } while (HandleBuffered());
}

void KtqHttpSession::OnWritable() {
  if (!waitingForWritable_) return;
  waitingForWritable_ = false;
  if (auto connection = connection_.lock()) connection->ResumeReading();
  AnswerBuffered();
}

// Handles one complete request from the buffer; false when none is complete yet.
bool KtqHttpSession::HandleBuffered() {
  size_t end = buffer_.find("\r\n\r\n");
  if (end == std::string::npos) return false;
  std::string head = buffer_.substr(0, end);
  std::string method, target, cookies;
  size_t contentLength = 0;
  bool keepAlive = true;
  size_t lineEnd = head.find("\r\n");
  std::string requestLine = head.substr(0, lineEnd);
  size_t space1 = requestLine.find(' '), space2 = requestLine.rfind(' ');
  if (space1 == std::string::npos || space2 == space1) {
    Respond({400, {}, 0}, false);
    return false;
  }
  method = requestLine.substr(0, space1);
  target = requestLine.substr(space1 + 1, space2 - space1 - 1);
  keepAlive = requestLine.substr(space2 + 1) == "HTTP/1.1";
  while (lineEnd != std::string::npos) {
    size_t next = head.find("\r\n", lineEnd + 2);
    std::string line = head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos : next - lineEnd - 2);
    lineEnd = next;
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = ToLower(Trim(line.substr(0, colon))), value = Trim(line.substr(colon + 1));
    if (name == "cookie") cookies += (cookies.empty() ? "" : "; ") + value;
    else if (name == "content-length") contentLength = static_cast<size_t>(std::max(0, ParseInt(value)));
    else if (name == "connection") keepAlive = !EqualsNoCase(value, "close");
  }
  if (contentLength > kMaxBodyBytes) {
    Respond({400, {}, 0}, false);
    return false;
  }
  if (buffer_.size() < end + 4 + contentLength) return false;
  std::string body = buffer_.substr(end + 4, contentLength);
  buffer_.erase(0, end + 4 + contentLength);
  size_t query = target.find('?');
  if (query != std::string::npos) target.resize(query);
  Respond(AnswerFor(context_, method, target, cookies, body), keepAlive);
  return keepAlive;
}

void KtqHttpSession::Respond(const Answer& answer, bool keepAlive) {
  auto connection = connection_.lock();
  if (!connection) return;
  std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " " + Reason(answer.status) + "\r\n" +
                     "Content-Type: " + answer.contentType + "\r\nContent-Length: " + std::to_string(answer.body.size()) +
                     "\r\n";
  if (answer.lastModified > 0) head += "Last-Modified: " + HttpDate(answer.lastModified) + "\r\n";
  if (context_.web) {
    for (const auto& [name, value] : WebFolder::IsolationHeaders()) head += name + ": " + value + "\r\n";
  }
  head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
  std::vector<std::uint8_t> bytes(head.begin(), head.end());
  bytes.insert(bytes.end(), answer.body.begin(), answer.body.end());
  ++requests_;
  bytes_ += bytes.size();
  connection->Write(std::move(bytes));
  if (!keepAlive) connection->CloseAfterWrites();
}

void KtqHttpSession::OnClosed() {
  if (context_.log) {
    context_.log(peer_ + " http requests=" + std::to_string(requests_) + " bytes=" + std::to_string(bytes_));
  }
  // What the connection held goes back to the system, not only to the allocator.
  malloc_trim(0);
}

}  // namespace zolvex
