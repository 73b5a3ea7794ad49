#include "tiles/TileSource.h"

#include "image/ViewImage.h"
#include "platform/TextValues.h"

namespace zolvex {

std::string TileSource::GetAuthString() const {
  std::lock_guard lock(mutex_);
  return authString_;
}

void TileSource::SetAuthString(const std::string& text) {
  std::lock_guard lock(mutex_);
  authString_ = text;
}

void TileSource::SetListener(TileSourceListener* listener) {
  std::lock_guard lock(mutex_);
  listener_ = listener;
}

TileSourceListener* TileSource::Listener() const {
  std::lock_guard lock(mutex_);
  return listener_;
}

bool TileSource::FindStoredFile(const std::string& name, std::vector<std::uint8_t>& data) const {
  std::lock_guard lock(mutex_);
  for (const StoredFile& file : files_) {
    if (EqualsNoCase(file.name, name)) {
      data = file.data;
      return true;
    }
  }
  return false;
}

void TileSource::AddWaiter(const std::string& name, TileSourceListener* listener) {
  std::lock_guard lock(mutex_);
  waiters_.push_back({name, listener});
}

bool TileSource::GetFile(const std::string& name, std::vector<std::uint8_t>& data, TileSourceListener*) {
  return FindStoredFile(name, data);
}

void TileSource::StoreFile(const std::string& name, const std::uint8_t* data, std::size_t length) {
  std::vector<TileSourceListener*> waiting;
  {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> bytes = data ? std::vector<std::uint8_t>(data, data + length) : std::vector<std::uint8_t>{};
    bool replaced = false;
    for (StoredFile& file : files_) {
      if (EqualsNoCase(file.name, name)) {
        file.data = bytes;
        replaced = true;
      }
    }
    if (!replaced) files_.push_back({name, std::move(bytes)});
    std::erase_if(waiters_, [&](const Waiter& w) {
      if (!EqualsNoCase(w.name, name)) return false;
      waiting.push_back(w.listener);
      return true;
    });
  }
  // Listeners hear of the file outside the lock: they may ask the source for more.
  for (TileSourceListener* listener : waiting) listener->OnFileArrived(name, data, length);
}

}  // namespace zolvex
