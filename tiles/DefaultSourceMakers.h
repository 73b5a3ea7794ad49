#pragma once
#include "tiles/SourceOpener.h"

namespace zolvex {

// The real sources: local files, tile servers over TCP and the HTTP tunnel.
class DefaultSourceMakers : public SourceMakers {
 public:
  std::unique_ptr<TileSource> MakeFileSource(const std::string& path, const std::string& messageFile) override;
  std::unique_ptr<TileSource> MakeSocketSource(const SocketSourceSettings& settings) override;
  std::unique_ptr<TileSource> MakeHttpSource(const HttpSourceSettings& settings) override;

  static DefaultSourceMakers& Shared();
};

}  // namespace zolvex
