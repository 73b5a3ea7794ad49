#include "apps/ktqserve/KtqServerSession.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <sstream>

#include "image/qmFormatId.h"
#include "platform/WorkerThread.h"
#include "tiles/ByteOrder.h"
#include "tiles/KtqFormat.h"
#include "tiles/TilePayload.h"
#include "tiles/TileRequest.h"

namespace zolvex {

namespace {

constexpr std::int32_t kResult = 0;
constexpr std::int32_t kFailure = 1;
constexpr std::int32_t kLoadRefused = 1;
constexpr std::int32_t kCodeAccessDenied = 401;
constexpr std::int32_t kCodeNotFound = 404;

std::vector<std::uint8_t> FrameOf(std::int32_t type, std::int32_t number, const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> frame;
  frame.reserve(payload.size() + 12);
  AppendBE32(frame, static_cast<std::int32_t>(payload.size() + 8));
  AppendBE32(frame, type);
  AppendBE32(frame, number);
  frame.insert(frame.end(), payload.begin(), payload.end());
  return frame;
}

// "level row column [priority]" of a tile line; false when a number is missing.
bool ParseTileAddress(const std::string& text, int& level, int& row, int& column) {
  std::istringstream in(text);
  return static_cast<bool>(in >> level >> row >> column);
}

}  // namespace

struct KtqServerSession::State {
  State(std::shared_ptr<platform::ServerConnection> c, const KtqServerContext& ctx, platform::WorkerThread& w)
      : connection(c), context(ctx), worker(w), peer(c->Peer()) {}

  void Send(std::vector<std::uint8_t> bytes) {
    bytesSent += bytes.size();
    if (auto open = connection.lock()) open->Write(std::move(bytes));
  }
  void Fail(std::int32_t number) { Send(FrameOf(kFailure, number, {})); }
  void Answer(const Request& request);
  void AnswerLoad(const Request& request);
  void AnswerTile(const Request& request);
  void AnswerFile(const Request& request, bool thumbnail);
  void RefuseLoad(std::int32_t number, std::int32_t code);
  std::optional<std::vector<std::uint8_t>> TilePayloadFor(int level, int column, int row) const;

  // Weak: the connection owns the session, and the session this state.
  std::weak_ptr<platform::ServerConnection> connection;
  const KtqServerContext& context;
  platform::WorkerThread& worker;
  const std::string peer;

  std::mutex mutex;  // the queue and the flags below
  std::deque<Request> queue;
  bool scheduled = false;
  bool closed = false;
  bool waitingForWritable = false;  // answers wait until the client reads what it has
  bool readingPaused = false;       // the queue is full
  std::string imageName = "-";

  // Worker only.
  std::shared_ptr<const KtqImageStore::Image> image;
  std::atomic<std::uint64_t> requests = 0;
  std::atomic<std::uint64_t> bytesSent = 0;
};

KtqServerSession::KtqServerSession(std::shared_ptr<platform::ServerConnection> connection,
                                   const KtqServerContext& context, platform::WorkerThread& worker)
    : state_(std::make_shared<State>(std::move(connection), context, worker)) {}

KtqServerSession::~KtqServerSession() = default;

void KtqServerSession::OnData(const std::uint8_t* data, std::size_t length) {
  pending_.append(reinterpret_cast<const char*>(data), length);
  std::size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLineLength) return CloseForOverlongLine();
    HandleLine(line);
  }
  if (pending_.size() > kMaxLineLength) CloseForOverlongLine();
}

void KtqServerSession::CloseForOverlongLine() {
  // No request is this long: the peer is not speaking the protocol. Closing may destroy
  // this session, so nothing of it is touched afterwards.
  pending_.clear();
  if (auto connection = state_->connection.lock()) connection->Close();
}

void KtqServerSession::OnClosed() {
  std::string image;
  {
    std::lock_guard lock(state_->mutex);
    state_->closed = true;
    state_->queue.clear();
    image = state_->imageName;
  }
  if (state_->context.log)
    state_->context.log(state_->peer + " " + image + " requests=" + std::to_string(state_->requests.load()) +
                        " bytes=" + std::to_string(state_->bytesSent.load()));
  // What the connection held goes back to the system, not only to the allocator.
  malloc_trim(0);
}

void KtqServerSession::OnWritable() {
  std::lock_guard lock(state_->mutex);
  if (!state_->waitingForWritable || state_->closed) return;
  state_->waitingForWritable = false;
  state_->worker.Post([state = state_] { AnswerNext(state); });
}

void KtqServerSession::HandleLine(const std::string& line) {
  Request request;
  std::istringstream in(line);
  if (!(in >> request.number >> request.command)) return;  // not a request line
  std::getline(in >> std::ws, request.argument);
  ++state_->requests;

  std::lock_guard lock(state_->mutex);
  if (state_->closed) return;
  if (request.command == "CANCELTILE") {
    int level, row, column;
    if (!ParseTileAddress(request.argument, level, row, column)) return;
    std::erase_if(state_->queue, [&](const Request& queued) {
      int l, r, c;
      return queued.command == "GETTILE" && ParseTileAddress(queued.argument, l, r, c) && l == level &&
             r == row && c == column;
    });
    return;
  }
  state_->queue.push_back(std::move(request));
  if (state_->queue.size() >= kMaxQueuedRequests && !state_->readingPaused) {
    state_->readingPaused = true;
    if (auto connection = state_->connection.lock()) connection->PauseReading();
  }
  if (!state_->scheduled) {
    state_->scheduled = true;
    state_->worker.Post([state = state_] { AnswerNext(state); });
  }
}

void KtqServerSession::AnswerNext(const std::shared_ptr<State>& state) {
  Request request;
  bool answering = false;
  auto connection = state->connection.lock();
  {
    std::lock_guard lock(state->mutex);
    if (state->queue.empty() || state->closed || !connection) {
      state->scheduled = false;
      return;
    }
    if (connection->UnsentBytes() > platform::ServerConnection::kUnsentHighWater) {
      // The client does not read: answer no more until it has (OnWritable goes on).
      state->waitingForWritable = true;
    } else {
      request = std::move(state->queue.front());
      state->queue.pop_front();
      answering = true;
      if (state->readingPaused && state->queue.size() <= kMaxQueuedRequests / 2) {
        state->readingPaused = false;
        connection->ResumeReading();
      }
    }
  }
  if (!answering) return connection->CallWhenWritable();
  state->Answer(request);
  // One answer per turn, so cancellations and other connections get their turn too.
  state->worker.Post([state] { AnswerNext(state); });
}

void KtqServerSession::State::Answer(const Request& request) {
  if (request.command == "LOAD") return AnswerLoad(request);
  if (request.command == "GETTILE") return AnswerTile(request);
  if (request.command == "GETFILE") return AnswerFile(request, false);
  if (request.command == "GETTHUMB") return AnswerFile(request, true);
  Fail(request.number);
}

void KtqServerSession::State::AnswerLoad(const Request& request) {
  // "path" 1 [authentication]
  const std::string& text = request.argument;
  std::size_t open = text.find('"');
  std::size_t close = text.rfind('"');
  if (open != 0 || close == open) return RefuseLoad(request.number, kCodeNotFound);
  std::string name = text.substr(1, close - 1);
  std::istringstream rest(text.substr(close + 1));
  std::string one, token;
  rest >> one >> token;
  if (!context.authToken.empty() && PercentUnescape(token) != context.authToken)
    return RefuseLoad(request.number, kCodeAccessDenied);
  image = context.store->OpenImage(name);
  if (!image) return RefuseLoad(request.number, kCodeNotFound);
  {
    std::lock_guard lock(mutex);
    imageName = name;
  }
  Send(FrameOf(kResult, request.number, image->description));
}

void KtqServerSession::State::RefuseLoad(std::int32_t number, std::int32_t code) {
  std::vector<std::uint8_t> answer;
  AppendBE32(answer, 12);
  AppendBE32(answer, kLoadRefused);
  AppendBE32(answer, number);
  AppendBE32(answer, code);
  Send(std::move(answer));
  if (auto open = connection.lock()) open->CloseAfterWrites();
}

void KtqServerSession::State::AnswerTile(const Request& request) {
  int level, row, column;
  if (!image || !ParseTileAddress(request.argument, level, row, column)) return Fail(request.number);
  auto payload = TilePayloadFor(level, column, row);
  if (!payload || payload->size() > kMaxPayload) return Fail(request.number);
  Send(FrameOf(kResult, request.number, *payload));
}

std::optional<std::vector<std::uint8_t>> KtqServerSession::State::TilePayloadFor(int level, int column,
                                                                                  int row) const {
  auto stream = image->file.ReadTile(level, column, row);
  if (!stream) return std::nullopt;
  const int codec = KtqFormat::CanonicalFormat(image->file.Codec());
  const int version = context.store->ProtocolVersion();
  if (version == 10 && codec != qmFormatJpeg) {
    // Version 10 knows only JPEG tiles.
    auto decoded = KtqFormat::DecodeStream(stream->data(), stream->size(), codec);
    if (!decoded) return std::nullopt;
    stream = KtqFormat::EncodeStream(*decoded, qmFormatJpeg, 90);
    if (!stream) return std::nullopt;
    return TilePayload::Encode(stream->data(), stream->size(), 10, qmFormatJpeg);
  }
  int key = (level * 31 + row * 17 + column * 7) & 0xFF;
  return TilePayload::Encode(stream->data(), stream->size(), version, codec, context.scramble, key);
}

void KtqServerSession::State::AnswerFile(const Request& request, bool thumbnail) {
  const std::string& name = request.argument;
  std::optional<std::vector<std::uint8_t>> data;
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  if (thumbnail && lower.ends_with(".ktq")) data = context.store->ReadThumbnail(name);
  else data = context.store->ReadFile(name, kMaxPayload);
  if (!data || data->size() > kMaxPayload) return Fail(request.number);
  Send(FrameOf(kResult, request.number, *data));
}

}  // namespace zolvex
