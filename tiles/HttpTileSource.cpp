#include "tiles/HttpTileSource.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>

#include "documents/CReaderException.h"
#include "documents/MessageTable.h"
#include "image/qmImageUtils.h"
#include "net/CHTTPFileRetriever.h"
#include "net/FetchUrl.h"
#include "platform/TextValues.h"
#include "tiles/ImageDescription.h"
#include "tiles/TilePayload.h"

namespace zolvex {

namespace {
constexpr size_t kFrameHeader = 12;

bool NetworkFailure(const std::optional<FetchResult>& result) {
  return !result || IsNetworkFailure(result->lengthOrStatus);
}
}  // namespace

std::string HttpTileSource::PortText(const std::string& given) {
  int port = ParseInt(given);
  return port >= 1 && port <= 65535 ? std::to_string(port) : std::string("8080");
}

HttpTileSource::Timeouts HttpTileSource::ParseTimeouts(const std::string& text) {
  Timeouts timeouts;
  if (Trim(text).empty()) return timeouts;
  std::vector<int> numbers = ParseIntList(text);
  int* fields[] = {&timeouts.overallMs, &timeouts.transfer.connectTimeoutMs, &timeouts.transfer.sendTimeoutMs,
                   &timeouts.transfer.receiveTimeoutMs};
  for (size_t i = 0; i < numbers.size() && i < 4; ++i) {
    if (numbers[i] > 0) *fields[i] = numbers[i];
  }
  return timeouts;
}

HttpTileSource::HttpTileSource(const HttpSourceSettings& settings) : host_(settings.host) {
  fixedMode_ = settings.fixedMode;
  messageFile_ = settings.messageFile;
  post_ = settings.post;
  reloadOnModified_ = settings.reloadOnModified;
  SetAuthString(settings.authString);
  serverBase_ = "http://" + settings.host + ":" + PortText(settings.httpPort);
  imageUrl_ = serverBase_ + settings.path;
  size_t slash = settings.path.rfind('/');
  directory_ = slash == std::string::npos ? std::string() : settings.path.substr(0, slash);
  Timeouts timeouts = ParseTimeouts(settings.timeoutText);
  timeoutMs_ = timeouts.overallMs;
  LoadDescription(settings, timeouts);
}

HttpTileSource::~HttpTileSource() { Close(); }

void HttpTileSource::LoadDescription(const HttpSourceSettings& settings, const Timeouts& timeouts) {
  const std::string url = imageUrl_ + "/a1";
  const std::string auth = GetAuthString();
  std::optional<FetchResult> result;
  // The second attempt has what the first left of the overall time-out, so that the
  // opening as a whole ends within it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeouts.overallMs);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (attempt > 0 && left.count() < 1) break;
    result = CHTTPFileRetriever::Retrieve(url, auth, post_ ? 1 : 0, timeouts.transfer,
                                          static_cast<int>(std::max<std::int64_t>(left.count(), 1)));
    if (!NetworkFailure(result)) break;
  }
  if (NetworkFailure(result)) throw CReaderException(GetMessageText(fixedMode_ ? 412 : 402, messageFile_, url));
  if (!result->Ok()) {
    if (result->lengthOrStatus == 401) throw CReaderException(GetMessageText(409, messageFile_, url));
    // The server answered, so the network is fine: its own error is reported as the
    // server's, never as a connection that could not be made.
    if (IsServerError(result->lengthOrStatus)) throw CReaderException(GetMessageText(410, messageFile_, url));
    throw CReaderException(GetMessageText(401, messageFile_, settings.path));
  }
  const std::vector<std::uint8_t>& body = *result->bytes;
  std::optional<ImageDescription> description;
  if (body.size() > kFrameHeader) {
    description = ImageDescription::ParseHttp(body.data() + kFrameHeader, body.size() - kFrameHeader);
  }
  if (!description) throw CReaderException(GetMessageText(401, messageFile_, settings.path));
  descriptionTime_ = result->lastModified;
  std::lock_guard lock(mutex_);
  levels_ = description->levels;
  if (!description->thumbnail.empty()) {
    thumbnail_ = qmImageUtils::decodeFromMemory(description->thumbnail.data(), description->thumbnail.size(), -1);
  }
  loaded_ = !levels_.empty();
  for (const AttachedFile& file : description->files) StoreFile(file.name, file.data.data(), file.data.size());
}

void HttpTileSource::SetActive(bool active) {
  // The retrievers, once configured, keep the source active.
  active_ = active || !retrievers_.empty();
  if (active_ && !workersStarted_) StartWorkers();
}

void HttpTileSource::StartWorkers() {
  std::lock_guard lock(queueLock_);
  if (workersStarted_ || stopping_) return;
  workersStarted_ = true;
  RetrieverSettings settings;
  settings.serverBase = serverBase_;
  settings.imageUrl = imageUrl_;
  settings.reloadOnModified = reloadOnModified_;
  settings.post = post_;
  settings.authString = GetAuthString();
  for (int i = 0; i < kRetrievers; ++i) retrievers_.push_back(std::make_unique<CTileRetriever>(*this, settings));
}

void HttpTileSource::Close() {
  std::vector<std::unique_ptr<CTileRetriever>> retrievers;
  {
    std::lock_guard lock(queueLock_);
    if (stopping_) return;
    stopping_ = true;
    queue_.clear();
    pending_.clear();
    retrievers.swap(retrievers_);
    for (auto& retriever : retrievers) retriever->Stop();
  }
  wake_.notify_all();
  retrievers.clear();  // joins
  decodes_.Close();
}

std::optional<LevelInfo> HttpTileSource::LevelAt(int level) const {
  std::lock_guard lock(mutex_);
  if (!loaded_ || level < 0 || level >= static_cast<int>(levels_.size())) return std::nullopt;
  return levels_[static_cast<size_t>(level)];
}

int HttpTileSource::GetLevelCount() const {
  std::lock_guard lock(mutex_);
  return loaded_ ? static_cast<int>(levels_.size()) : 0;
}

std::unique_ptr<ViewImage> HttpTileSource::GetThumbnail() {
  std::lock_guard lock(mutex_);
  return thumbnail_ ? std::make_unique<ViewImage>(*thumbnail_) : nullptr;
}

std::size_t HttpTileSource::QueuedCount() const {
  std::lock_guard lock(queueLock_);
  return queue_.size();
}

void HttpTileSource::Enqueue(HttpTileRecord record) {
  {
    std::lock_guard lock(queueLock_);
    if (stopping_) return;
    if (pending_.count(record.TargetOf())) return;
    Count(record, +1);
    queue_.push_back(std::move(record));
  }
  wake_.notify_all();
}

std::unique_ptr<ViewImage> HttpTileSource::RequestTile(const std::string& name, int level, int column, int row,
                                                       int priority) {
  auto info = LevelAt(level);
  if (!info || !info->HasTile(column, row)) return nullptr;
  HttpTileRecord record;
  record.name = name;
  record.level = level;
  record.column = column;
  record.row = row;
  record.priority = priority;
  record.descriptionTime = descriptionTime_;
  record.tileWidth = info->tileWidth;
  record.tileHeight = info->tileHeight;
  Enqueue(std::move(record));
  return nullptr;
}

bool HttpTileSource::GetFile(const std::string& name, std::vector<std::uint8_t>& data, TileSourceListener* listener) {
  if (StartsWithNoCase(name, "http:") || StartsWithNoCase(name, "file:")) return FetchDirect(name, data);
  std::optional<std::string> serverName = ServerFileName(name, host_, directory_);
  if (!serverName) return false;
  const std::string& full = *serverName;
  if (FindStoredFile(full, data)) return true;
  if (!listener) return false;
  AddWaiter(full, listener);
  HttpTileRecord record;
  record.file = true;
  record.name = full;
  Enqueue(std::move(record));
  return false;
}

void HttpTileSource::Count(const HttpTileRecord& record, int delta) {
  auto found = pending_.try_emplace(record.TargetOf(), 0).first;
  if ((found->second += delta) <= 0) pending_.erase(found);
}

void HttpTileSource::SetNeededTiles(int level, const std::vector<int>& columns, const std::vector<int>& rows) {
  std::unordered_set<std::pair<int, int>, TilePositionHash> needed;
  for (size_t i = 0; i < columns.size() && i < rows.size(); ++i) needed.emplace(columns[i], rows[i]);
  std::lock_guard lock(queueLock_);
  std::erase_if(queue_, [&](const HttpTileRecord& record) {
    if (record.file || record.priority == 3) return false;
    if (record.level == level && record.name.empty() && needed.count({record.column, record.row})) return false;
    Count(record, -1);
    return true;
  });
}

void HttpTileSource::CancelTile(const std::string& name, int level, int column, int row) {
  std::lock_guard lock(queueLock_);
  HttpTileRecord target;
  target.name = name;
  target.level = level;
  target.column = column;
  target.row = row;
  std::erase_if(queue_, [&](const HttpTileRecord& record) {
    if (!record.SameAs(target)) return false;
    Count(record, -1);
    return true;
  });
}

// Tiles whose answers are kept decode from them at once; the retriever waits for one
// that needs a request.
bool HttpTileSource::Take(HttpTileRecord& record) {
  std::unique_lock lock(queueLock_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (stopping_) return false;
    record = std::move(queue_.front());
    queue_.pop_front();
    KeptAnswers::Answer kept = record.file || kept_.Budget() == 0 ? nullptr : kept_.Find(KeptKey(record));
    if (!kept) break;
    lock.unlock();
    Decode(record, std::move(kept));
    lock.lock();
    Count(record, -1);
  }
  inProgress_.push_back(record);
  return true;
}

void HttpTileSource::Done(const HttpTileRecord& record) {
  std::lock_guard lock(queueLock_);
  auto found = std::find_if(inProgress_.begin(), inProgress_.end(), [&](const auto& r) { return r.SameAs(record); });
  if (found == inProgress_.end()) return;
  inProgress_.erase(found);
  Count(record, -1);
}

void HttpTileSource::Requeue(HttpTileRecord record) {
  {
    std::lock_guard lock(queueLock_);
    if (stopping_) return;
    record.priority = 1;
    Count(record, +1);
    queue_.push_back(std::move(record));
  }
  wake_.notify_all();
}

void HttpTileSource::TileArrived(const HttpTileRecord& record, std::unique_ptr<ViewImage> image) {
  if (TileSourceListener* listener = Listener()) {
    listener->OnTileArrived(std::move(image), record.name, record.level, record.column, record.row);
  }
}

void HttpTileSource::TileFetched(const HttpTileRecord& record, std::vector<std::uint8_t> answer) {
  auto shared = std::make_shared<const std::vector<std::uint8_t>>(std::move(answer));
  if (kept_.Budget() > 0) kept_.Keep(KeptKey(record), shared);
  Decode(record, std::move(shared));
}

// The tile stays pending while it decodes, so that a frame drawn meanwhile does not ask
// for it again.
void HttpTileSource::Decode(const HttpTileRecord& record, KeptAnswers::Answer answer) {
  {
    std::lock_guard lock(queueLock_);
    Count(record, +1);
  }
  const bool queued = decodes_.Submit([this, record, answer = std::move(answer)] {
    auto image = TilePayload::Decode(answer->data() + kFrameHeader, answer->size() - kFrameHeader, 11,
                                     record.tileWidth, record.tileHeight);
    // An answer that does not decode is not kept: the tile's next try asks the server.
    if (!image && kept_.Budget() > 0) kept_.Forget(KeptKey(record));
    TileArrived(record, std::move(image));
    std::lock_guard lock(queueLock_);
    Count(record, -1);
  });
  if (queued) return;
  std::lock_guard lock(queueLock_);
  Count(record, -1);
}

std::string HttpTileSource::KeptKey(const HttpTileRecord& record) const {
  return CTileRetriever::UrlOf(record, imageUrl_, serverBase_);
}

void HttpTileSource::FileArrived(const HttpTileRecord& record, std::vector<std::uint8_t> data) {
  // Whoever asked for the file waits for it in the store.
  StoreFile(record.name, data.data(), data.size());
}

void HttpTileSource::ImageChanged() {
  // The image on the server is newer than the answers kept.
  kept_.Clear();
  if (TileSourceListener* listener = Listener()) listener->OnServerMessage("reset", "");
}

}  // namespace zolvex
