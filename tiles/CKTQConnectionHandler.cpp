#include "tiles/CKTQConnectionHandler.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>

#include "documents/MessageTable.h"
#include "platform/WorkerThread.h"
#include "tiles/TilePayload.h"

namespace zolvex {

CKTQConnectionHandler::CKTQConnectionHandler(KtqConnectionParams params, KtqConnectionClient& client)
    : params_(std::move(params)), client_(client) {}

CKTQConnectionHandler::~CKTQConnectionHandler() { Close(); }

bool CKTQConnectionHandler::Open() {
  if (worker_) return IsReady();
  {
    std::lock_guard lock(eventMutex_);
    signalled_ = false;
  }
  worker_ = std::make_unique<platform::WorkerThread>("ktq-connection");
  worker_->Post([this] { HandleConnect(); });
  std::unique_lock lock(eventMutex_);
  // The socket's time-out bounds connecting and LOAD together (a server that accepts and
  // then stays silent, or drips a byte now and then, holds the opening no longer than
  // that); this bound only guards against a report that never comes.
  if (params_.timeoutMs > 0) {
    auto bound = std::chrono::milliseconds(params_.timeoutMs + 1000);
    if (!event_.wait_for(lock, bound, [this] { return signalled_; }) && lastError_.empty())
      lastError_ = GetMessageText(params_.fixedMode ? 412 : 402, params_.messageFile);
  } else {
    event_.wait(lock, [this] { return signalled_; });
  }
  return ready_;
}

std::string CKTQConnectionHandler::LastError() const {
  std::lock_guard lock(eventMutex_);
  return lastError_;
}

bool CKTQConnectionHandler::IsReady() const {
  std::lock_guard lock(eventMutex_);
  return ready_;
}

int CKTQConnectionHandler::ProtocolVersion() const {
  std::lock_guard lock(eventMutex_);
  return protocolVersion_;
}

void CKTQConnectionHandler::Enqueue(TileRequest request) {
  if (!worker_ || closed_) return;
  worker_->Post([this, request = std::move(request)]() mutable { HandleEnqueue(std::move(request)); });
}

void CKTQConnectionHandler::SetNeededTiles(int level, std::vector<std::pair<int, int>> columnsAndRows) {
  if (!worker_ || closed_) return;
  worker_->Post([this, level, set = std::move(columnsAndRows)] { HandleNeededSet(level, set); });
}

void CKTQConnectionHandler::Close() {
  if (!worker_ || closed_) return;
  closed_ = true;
  worker_->Post([this] { HandleClose(); });
  {
    std::unique_lock lock(eventMutex_);
    event_.wait(lock, [this] { return quit_; });
  }
  worker_->Stop();
  decodes_.Close();
}

std::size_t CKTQConnectionHandler::QueuedCount() const {
  std::lock_guard lock(listMutex_);
  return queue_.size();
}

std::size_t CKTQConnectionHandler::WrittenCount() const {
  std::lock_guard lock(listMutex_);
  return written_.size();
}

void CKTQConnectionHandler::HandleConnect() {
  if (!socket_) socket_ = std::make_unique<TileSocket>(*worker_, params_, static_cast<TileSocket::Events&>(*this));
  socket_->Connect();
}

bool CKTQConnectionHandler::Pending(const TileRequest& request) const {
  if (request.IsTile()) return pendingTiles_.count(TileKey{request.level, request.column, request.row}) > 0;
  return pendingFiles_.count(request.name) > 0;
}

void CKTQConnectionHandler::Count(const TileRequest& request, int delta) {
  auto adjust = [delta](auto& counts, const auto& key) {
    auto found = counts.try_emplace(key, 0).first;
    if ((found->second += delta) <= 0) counts.erase(found);
  };
  if (request.IsTile()) adjust(pendingTiles_, TileKey{request.level, request.column, request.row});
  else adjust(pendingFiles_, request.name);
}

void CKTQConnectionHandler::HandleEnqueue(TileRequest request) {
  // After Close, whatever is still queued for the worker is dropped unread, so that closing
  // never waits for thousands of requests to be filed first.
  if (closed_) return;
  {
    std::lock_guard lock(listMutex_);
    // A request already queued (kept from a closed connection) is sent by this one: the
    // next request is what reconnects.
    if (Pending(request) && queue_.empty()) return;
    if (!Pending(request)) {
      Count(request, +1);
      queue_.push_back(std::move(request));
    }
  }
  worker_->Post([this] { HandleSendNext(); });
}

void CKTQConnectionHandler::HandleSendNext() {
  if (closed_ || closing_ || !socket_ || !IsReady()) return;
  std::lock_guard lock(listMutex_);
  // Everything queued goes out: records put back after a lost connection wait here too.
  while (!queue_.empty()) {
    TileRequest request = std::move(queue_.front());
    queue_.pop_front();
    if (!socket_->Submit(request)) {
      queue_.push_front(std::move(request));
      return;
    }
    const std::int32_t number = request.id;
    written_.insert_or_assign(number, std::move(request));
  }
}

void CKTQConnectionHandler::HandleNeededSet(int level, const std::vector<std::pair<int, int>>& columnsAndRows) {
  if (closed_) return;
  std::vector<TileRequest> cancellations;
  {
    std::lock_guard lock(listMutex_);
    std::erase_if(queue_, [&](const TileRequest& r) {
      if (!r.IsTile() || r.sticky) return false;
      Forget(r);
      return true;
    });
    const std::unordered_set<std::pair<int, int>, TilePositionHash> set(columnsAndRows.begin(), columnsAndRows.end());
    std::erase_if(written_, [&](const auto& entry) {
      const TileRequest& r = entry.second;
      if (!r.IsTile() || r.sticky || (r.level == level && set.count({r.column, r.row}))) return false;
      cancellations.push_back(r.Cancellation());
      Forget(r);
      return true;
    });
  }
  if (!socket_) return;
  for (const auto& cancellation : cancellations) socket_->SubmitCancellation(cancellation);
}

void CKTQConnectionHandler::HandleClose() {
  closing_ = true;
  // The platform does not report a close the client makes itself, so Closed follows here.
  if (socket_) socket_->Close();
  worker_->Post([this] { HandleQuit(); });
}

void CKTQConnectionHandler::HandleQuit() {
  socket_.reset();
  {
    std::lock_guard lock(listMutex_);
    queue_.clear();
    written_.clear();
    pendingTiles_.clear();
    pendingFiles_.clear();
  }
  {
    std::lock_guard lock(eventMutex_);
    quit_ = true;
  }
  event_.notify_all();
}

void CKTQConnectionHandler::OnLoaded(const ImageDescription& description) {
  {
    std::lock_guard lock(eventMutex_);
    ready_ = true;
    protocolVersion_ = description.version;
    lastError_.clear();
  }
  levels_ = description.levels;
  client_.OnLoaded(description);
  Signal();
}

void CKTQConnectionHandler::OnLoadFailed(const std::string& text) {
  // After the image had loaded this was a reconnection: what waits for it fails now, so
  // that the tiles' users may ask again later instead of waiting without end.
  if (IsReady()) FailOutstanding();
  else RequeueUnanswered();
  ReportError(text);
}

void CKTQConnectionHandler::OnBroken(const std::string& text) {
  KeepUnanswered();
  ReportError(text);
}

void CKTQConnectionHandler::OnServerClosed() { KeepUnanswered(); }

// The server left with requests unanswered: they wait for the next request, which
// reconnects. A server that keeps closing without answering anything fails them instead.
void CKTQConnectionHandler::KeepUnanswered() {
  if (++closesWithoutAnswer_ > kMaxClosesWithoutAnswer) {
    closesWithoutAnswer_ = 0;
    FailOutstanding();
    ReportError(GetMessageText(405, params_.messageFile));
    return;
  }
  RequeueUnanswered();
}

void CKTQConnectionHandler::FailOutstanding() {
  std::vector<TileRequest> failed;
  {
    std::lock_guard lock(listMutex_);
    for (auto& [number, request] : written_) failed.push_back(std::move(request));
    failed.insert(failed.end(), std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.end()));
    written_.clear();
    queue_.clear();
    pendingTiles_.clear();
    pendingFiles_.clear();
  }
  for (const TileRequest& request : failed) DeliverFailure(request);
}

void CKTQConnectionHandler::ReportError(const std::string& text) {
  if (closing_) return;
  {
    std::lock_guard lock(eventMutex_);
    lastError_ = text;
  }
  client_.OnConnectionError(text);
  Signal();
}

void CKTQConnectionHandler::RequeueUnanswered() {
  std::lock_guard lock(listMutex_);
  std::vector<TileRequest> unanswered;
  unanswered.reserve(written_.size());
  for (auto& [number, request] : written_) unanswered.push_back(std::move(request));
  queue_.insert(queue_.begin(), std::make_move_iterator(unanswered.begin()), std::make_move_iterator(unanswered.end()));
  written_.clear();
}

void CKTQConnectionHandler::OnFrame(ServerFrame& frame) {
  if (closing_) return;
  closesWithoutAnswer_ = 0;
  TileRequest request;
  switch (frame.type) {
    case ServerFrame::kResult:
      if (TakeAnswered(frame.requestNumber, true, request)) DeliverResult(request, frame);
      break;
    case ServerFrame::kFailure:
      if (TakeAnswered(frame.requestNumber, false, request)) DeliverFailure(request);
      break;
    case ServerFrame::kServerMessage:
      client_.OnServerMessage("reset", "");
      break;
    default:
      break;
  }
}

bool CKTQConnectionHandler::TakeAnswered(std::int32_t requestNumber, bool duplicates, TileRequest& answered) {
  std::lock_guard lock(listMutex_);
  auto it = written_.find(requestNumber);
  if (it == written_.end()) return false;
  answered = std::move(it->second);
  written_.erase(it);
  Forget(answered);
  if (duplicates && Pending(answered)) {
    auto same = [&](const TileRequest& r) {
      if (!answered.SameTarget(r)) return false;
      Forget(r);
      return true;
    };
    std::erase_if(written_, [&](const auto& entry) { return same(entry.second); });
    std::erase_if(queue_, same);
  }
  return true;
}

void CKTQConnectionHandler::DeliverResult(const TileRequest& request, ServerFrame& frame) {
  if (!request.IsTile()) return client_.OnFileArrived(request.name, frame.payload);
  // Plain names, not a structured binding: clang 14 (the web build) cannot capture those.
  const auto bound = TileBound(request.level);
  const int tileWidth = bound.first, tileHeight = bound.second;
  const int version = ProtocolVersion();
  {
    std::lock_guard lock(listMutex_);
    Count(request, +1);
  }
  const bool queued = decodes_.Submit([this, request, version, tileWidth, tileHeight,
                                       payload = std::move(frame.payload)] {
    auto image = TilePayload::Decode(payload.data(), payload.size(), version, tileWidth, tileHeight);
    client_.OnTileArrived(std::move(image), request.level, request.column, request.row);
    std::lock_guard lock(listMutex_);
    Forget(request);
  });
  if (queued) return;
  std::lock_guard lock(listMutex_);
  Forget(request);
}

// The largest tile a level may deliver: its tile size, or for a level the description does
// not have, the largest tile size it declares.
std::pair<int, int> CKTQConnectionHandler::TileBound(int level) const {
  if (level >= 0 && level < static_cast<int>(levels_.size())) {
    const LevelInfo& info = levels_[static_cast<size_t>(level)];
    return {info.tileWidth, info.tileHeight};
  }
  std::pair<int, int> largest{1, 1};
  for (const LevelInfo& info : levels_) {
    largest = {std::max(largest.first, info.tileWidth), std::max(largest.second, info.tileHeight)};
  }
  return largest;
}

void CKTQConnectionHandler::DeliverFailure(const TileRequest& request) {
  if (request.IsTile()) client_.OnTileArrived(nullptr, request.level, request.column, request.row);
  else client_.OnFileArrived(request.name, std::nullopt);
}

void CKTQConnectionHandler::Signal() {
  {
    std::lock_guard lock(eventMutex_);
    signalled_ = true;
  }
  event_.notify_all();
}

}  // namespace zolvex
