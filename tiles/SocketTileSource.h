#pragma once
#include <memory>
#include <string>

#include "tiles/CKTQConnectionHandler.h"
#include "tiles/KtqConnectionClient.h"
#include "tiles/SourceOpener.h"
#include "tiles/TileSource.h"

namespace zolvex {

// A KTQ image on a tile server, reached over a direct TCP connection (or through a
// relay). Opening waits for the image description; tiles and files then arrive through
// the listener from the connection's worker thread.
class SocketTileSource : public TileSource, public KtqConnectionClient {
 public:
  // Raises CReaderException with the connection's message when the image cannot be loaded.
  explicit SocketTileSource(const SocketSourceSettings& settings);
  ~SocketTileSource() override;

  bool GetFile(const std::string& name, std::vector<std::uint8_t>& data, TileSourceListener* listener) override;
  std::unique_ptr<ViewImage> RequestTile(const std::string& name, int level, int column, int row,
                                         int priority) override;
  using TileSource::RequestTile;
  std::unique_ptr<ViewImage> GetThumbnail() override;
  std::optional<LevelInfo> LevelAt(int level) const override;
  int GetLevelCount() const override;
  void Close() override;
  void SetNeededTiles(int level, const std::vector<int>& columns, const std::vector<int>& rows) override;
  void CancelTile(const std::string&, int, int, int) override {}

  // The host a named file may name, and the folder names are joined to.
  const std::string& Host() const { return host_; }
  const std::string& Directory() const { return directory_; }

 private:
  void OnLoaded(const ImageDescription& description) override;
  void OnConnectionError(const std::string& text) override;
  void OnTileArrived(std::unique_ptr<ViewImage> image, int level, int column, int row) override;
  void OnFileArrived(const std::string& name, const std::optional<std::vector<std::uint8_t>>& data) override;
  void OnServerMessage(const std::string& name, const std::string& value) override;

  std::string host_;
  std::string directory_;
  std::vector<LevelInfo> levels_;
  std::unique_ptr<ViewImage> thumbnail_;
  std::unique_ptr<CKTQConnectionHandler> handler_;
  bool closed_ = false;
};

}  // namespace zolvex
