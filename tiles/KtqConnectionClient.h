#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/ViewImage.h"
#include "tiles/ImageDescription.h"

namespace zolvex {

// What a connection to a tile server reports to the source it serves. Every call comes
// from the connection's worker thread with none of the connection's locks held; a call
// must not close the connection.
class KtqConnectionClient {
 public:
  virtual ~KtqConnectionClient() = default;
  // LOAD succeeded (the first time, and again after every reconnection).
  virtual void OnLoaded(const ImageDescription& description) = 0;
  // Connecting or LOAD failed, or the connection broke; text is the user-visible message.
  virtual void OnConnectionError(const std::string& text) = 0;
  // A requested tile, decoded; null when the server reported a failure or it did not decode.
  virtual void OnTileArrived(std::unique_ptr<ViewImage> image, int level, int column, int row) = 0;
  // A requested named file; no data when the server reported a failure.
  virtual void OnFileArrived(const std::string& name, const std::optional<std::vector<std::uint8_t>>& data) = 0;
  // A command the server wants run ("reset").
  virtual void OnServerMessage(const std::string& name, const std::string& value) = 0;
};

}  // namespace zolvex
