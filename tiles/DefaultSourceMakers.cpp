#include "tiles/DefaultSourceMakers.h"

#include "tiles/FileTileSource.h"
#include "tiles/HttpTileSource.h"
#include "tiles/SocketTileSource.h"

namespace zolvex {

std::unique_ptr<TileSource> DefaultSourceMakers::MakeFileSource(const std::string& path, const std::string& messageFile) {
  return std::make_unique<FileTileSource>(path, messageFile);
}

std::unique_ptr<TileSource> DefaultSourceMakers::MakeSocketSource(const SocketSourceSettings& settings) {
  return std::make_unique<SocketTileSource>(settings);
}

std::unique_ptr<TileSource> DefaultSourceMakers::MakeHttpSource(const HttpSourceSettings& settings) {
  return std::make_unique<HttpTileSource>(settings);
}

DefaultSourceMakers& DefaultSourceMakers::Shared() {
  static DefaultSourceMakers makers;
  return makers;
}

}  // namespace zolvex
