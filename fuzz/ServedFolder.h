#pragma once
// A folder served by the tile-server targets: /maps/a.ktq (two levels of 2 x 2 tiles of
// 16 pixels) and /maps/notes.xml beside it, made once per process in a temporary folder,
// and a capturing connection for what a session writes.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "apps/ktqserve/KtqImageStore.h"
#include "platform/TcpServer.h"
#include "tiles/KtqWriter.h"

namespace zolvex::fuzz {

inline const std::filesystem::path& ServedFolder() {
  static const std::filesystem::path root = [] {
    char pattern[] = "/tmp/zolvex-fuzz-served-XXXXXX";
    std::filesystem::path folder = mkdtemp(pattern) ? pattern : "/tmp";
    std::filesystem::create_directories(folder / "maps");
    KtqWriter writer;
    writer.Begin((folder / "maps/a.ktq").string(), 2, {});
    for (int level = 0; level < 2; ++level) {
      writer.BeginLevel(2, 2);
      for (int tile = 0; tile < 4; ++tile) writer.AddTile(qmImage(16, 16, 24));
    }
    writer.Finish();
    std::ofstream(folder / "maps/notes.xml") << "<notes/>";
    return folder;
  }();
  return root;
}

// Keeps every byte written; answers the back-pressure questions as a connection that
// the client reads at once.
class CapturingConnection : public platform::ServerConnection {
 public:
  void Write(std::vector<std::uint8_t> bytes) override {
    std::lock_guard lock(mutex_);
    written_.insert(written_.end(), bytes.begin(), bytes.end());
  }
  std::size_t UnsentBytes() const override { return 0; }
  void PauseReading() override {}
  void ResumeReading() override {}
  void CallWhenWritable() override {}
  void CloseAfterWrites() override {}
  void Close() override {}
  std::string Peer() const override { return "fuzz"; }
  std::vector<std::uint8_t> Written() {
    std::lock_guard lock(mutex_);
    return written_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::uint8_t> written_;
};

}  // namespace zolvex::fuzz
