#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/ViewImage.h"

namespace zolvex {



// What a tile source reports to its user (the tile cache of a document). Calls may come
// from transport threads.
class TileSourceListener {
 public:
  virtual ~TileSourceListener() = default;
  // A requested tile arrived; image is null when it could not be had.
  virtual void OnTileArrived(std::unique_ptr<ViewImage> image, const std::string& name, int level, int column,
                             int row) = 0;
  // A named file arrived; data is null (and length 0) when it could not be had.
  virtual void OnFileArrived(const std::string& name, const std::uint8_t* data, std::size_t length) = 0;
  // The connection failed after the image had loaded: code is the message's number, message
  // its whole text ("5. Connection broken").
  virtual void OnError(int code, const std::string& message) = 0;
  // A message from the server: "reset", or a name and value it wants shown.
  virtual void OnServerMessage(const std::string& name, const std::string& value) = 0;
  // A server or worker suggests a tile worth fetching ahead.
  virtual void OnRequestAhead(int level, int column, int row, int priority) = 0;
};

}  // namespace zolvex
