#include "tiles/CTileRetriever.h"

#include <chrono>
#include <cstdio>

#include "image/ViewImage.h"
#include "net/FetchUrl.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr size_t kFrameHeader = 12;

std::string FiveDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%05d", value);
  return text;
}

}  // namespace

bool HttpTileRecord::SameAs(const HttpTileRecord& other) const {
  if (file != other.file || !EqualsNoCase(name, other.name)) return false;
  return file || (level == other.level && column == other.column && row == other.row);
}

HttpTileRecord::Target HttpTileRecord::TargetOf() const {
  Target target{file, ToLower(name), {}};
  if (!file) target.tile = TileKey{level, column, row};
  return target;
}

std::size_t HttpTileRecord::TargetHash::operator()(const Target& target) const noexcept {
  return std::hash<std::string>{}(target.name) ^ (TileKeyHash{}(target.tile) << 1) ^ std::size_t{target.file};
}

CTileRetriever::CTileRetriever(HttpTileQueue& queue, RetrieverSettings settings)
    : queue_(queue), settings_(std::move(settings)), client_(platform::CreateHttpClient("zolvex")) {
  thread_ = std::thread([this] { Run(); });
}

CTileRetriever::~CTileRetriever() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

void CTileRetriever::Stop() { stop_ = true; }

std::string CTileRetriever::UrlOf(const HttpTileRecord& record, const std::string& imageUrl,
                                  const std::string& serverBase) {
  std::string name = record.name.empty() && !record.file ? imageUrl : record.name;
  if (StartsWithNoCase(name, "ktq:")) name = "http:" + name.substr(4);
  std::string url;
  if (record.file) {
    bool image = EndsWithNoCase(name, ".ktq") || EndsWithNoCase(name, ".xif");
    url = name + (image ? "/d0" : "/c0");
  } else {
    url = name + "/b1" + FiveDigits(record.row) + FiveDigits(record.column) + FiveDigits(record.level);
  }
  if (!StartsWithNoCase(url, "http://")) url = serverBase + url;
  return url;
}

void CTileRetriever::Run() {
  HttpTileRecord record;
  while (!stop_ && queue_.Take(record)) {
    Fetch(record);
    queue_.Done(record);
  }
}

void CTileRetriever::Fetch(HttpTileRecord record) {
  HttpFetch fetch;
  fetch.url = UrlOf(record, settings_.imageUrl, settings_.serverBase);
  fetch.authentication = settings_.authString;
  fetch.post = settings_.post;
  fetch.settings = settings_.transfer;
  fetch.cancel = &stop_;
  FetchResult result = PerformHttpFetch(*client_, fetch);
  if (stop_) return;
  if (!result.Ok()) {
    bool network = IsNetworkFailure(result.lengthOrStatus);
    if (!record.file && network && ++record.attempts < kMaxAttempts) {
      // A growing pause keeps a failing server from being hammered.
      for (int waited = 0; waited < 100 * record.attempts && !stop_; waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      queue_.Requeue(record);
    } else if (!record.file) {
      queue_.TileArrived(record, nullptr);
    }
    return;
  }
  if (!record.file && settings_.reloadOnModified && record.descriptionTime != 0 &&
      result.lastModified > record.descriptionTime) {
    queue_.ImageChanged();
    queue_.TileArrived(record, nullptr);
    return;
  }
  std::vector<std::uint8_t>& body = *result.bytes;
  if (body.size() < kFrameHeader) {
    if (!record.file) queue_.TileArrived(record, nullptr);
    return;
  }
  if (record.file) {
    queue_.FileArrived(record, std::vector<std::uint8_t>(body.begin() + kFrameHeader, body.end()));
  } else {
    queue_.TileFetched(record, std::move(body));
  }
}

}  // namespace zolvex
