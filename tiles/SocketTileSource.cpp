#include "tiles/SocketTileSource.h"

#include "documents/CReaderException.h"
#include "documents/MessageTable.h"
#include "image/qmImageUtils.h"
#include "net/FetchUrl.h"
#include "net/Url.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

KtqConnectionParams ParamsOf(const SocketSourceSettings& settings) {
  KtqConnectionParams params;
  params.host = settings.host;
  params.port = static_cast<std::uint16_t>(settings.port);
  if (settings.relay) {
    params.relayHost = settings.relay->host;
    params.relayPort = static_cast<std::uint16_t>(settings.relay->port);
  }
  params.imagePath = settings.path;
  params.authString = settings.authString;
  params.messageFile = settings.messageFile;
  params.fixedMode = settings.fixedMode;
  int timeout = ParseInt(settings.timeoutText);
  if (timeout > 0) params.timeoutMs = timeout;
  return params;
}

}  // namespace

SocketTileSource::SocketTileSource(const SocketSourceSettings& settings) : host_(settings.host) {
  fixedMode_ = settings.fixedMode;
  messageFile_ = settings.messageFile;
  SetAuthString(settings.authString);
  size_t slash = settings.path.rfind('/');
  directory_ = slash == std::string::npos ? std::string() : settings.path.substr(0, slash);
  KtqConnectionParams params = ParamsOf(settings);
  timeoutMs_ = params.timeoutMs;
  handler_ = std::make_unique<CKTQConnectionHandler>(params, *this);
  if (!handler_->Open()) {
    std::string error = handler_->LastError();
    handler_->Close();
    handler_.reset();
    throw CReaderException(error);
  }
}

SocketTileSource::~SocketTileSource() { Close(); }

void SocketTileSource::Close() {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    closed_ = true;
  }
  if (handler_) handler_->Close();
}

void SocketTileSource::OnLoaded(const ImageDescription& description) {
  std::lock_guard lock(mutex_);
  levels_ = description.levels;
  if (!thumbnail_ && !description.thumbnail.empty()) {
    thumbnail_ = qmImageUtils::decodeFromMemory(description.thumbnail.data(), description.thumbnail.size(), -1);
  }
  loaded_ = !levels_.empty();
  active_ = true;
  for (const AttachedFile& file : description.files) StoreFile(file.name, file.data.data(), file.data.size());
}

void SocketTileSource::OnConnectionError(const std::string& text) {
  TileSourceListener* listener = Listener();
  if (!listener || !IsLoaded()) return;
  // A connection that broke without a word of its own still gets a message.
  const std::string message = text.empty() ? GetMessageText(405, messageFile_) : text;
  listener->OnError(ParseInt(message), message);
}

void SocketTileSource::OnTileArrived(std::unique_ptr<ViewImage> image, int level, int column, int row) {
  if (TileSourceListener* listener = Listener()) listener->OnTileArrived(std::move(image), "", level, column, row);
}

void SocketTileSource::OnFileArrived(const std::string& name, const std::optional<std::vector<std::uint8_t>>& data) {
  if (data) {
    StoreFile(name, data->data(), data->size());
  } else if (TileSourceListener* listener = Listener()) {
    listener->OnFileArrived(name, nullptr, 0);
  }
}

void SocketTileSource::OnServerMessage(const std::string& name, const std::string& value) {
  if (TileSourceListener* listener = Listener()) listener->OnServerMessage(name, value);
}

std::optional<LevelInfo> SocketTileSource::LevelAt(int level) const {
  std::lock_guard lock(mutex_);
  if (!loaded_ || level < 0 || level >= static_cast<int>(levels_.size())) return std::nullopt;
  return levels_[static_cast<size_t>(level)];
}


int SocketTileSource::GetLevelCount() const {
  std::lock_guard lock(mutex_);
  return loaded_ ? static_cast<int>(levels_.size()) : 0;
}

std::unique_ptr<ViewImage> SocketTileSource::GetThumbnail() {
  std::lock_guard lock(mutex_);
  return thumbnail_ ? std::make_unique<ViewImage>(*thumbnail_) : nullptr;
}

std::unique_ptr<ViewImage> SocketTileSource::RequestTile(const std::string&, int level, int column, int row,
                                                         int priority) {
  if (IsLoaded() && handler_ && !closed_) handler_->Enqueue(TileRequest::ForTile(level, column, row, priority));
  return nullptr;
}

void SocketTileSource::SetNeededTiles(int level, const std::vector<int>& columns, const std::vector<int>& rows) {
  if (!handler_ || closed_) return;
  std::vector<std::pair<int, int>> pairs;
  for (size_t i = 0; i < columns.size() && i < rows.size(); ++i) pairs.emplace_back(columns[i], rows[i]);
  handler_->SetNeededTiles(level, std::move(pairs));
}

bool SocketTileSource::GetFile(const std::string& name, std::vector<std::uint8_t>& data, TileSourceListener* listener) {
  if (StartsWithNoCase(name, "http:") || StartsWithNoCase(name, "file:")) return FetchDirect(name, data);
  std::optional<std::string> serverName = ServerFileName(name, host_, directory_);
  if (!serverName) return false;
  const std::string& full = *serverName;
  if (FindStoredFile(full, data)) return true;
  if (listener && handler_ && !closed_) {
    AddWaiter(full, listener);
    handler_->Enqueue(TileRequest::ForFile(full));
  }
  return false;
}

}  // namespace zolvex
