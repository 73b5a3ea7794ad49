#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tiles/KtqConnectionClient.h"

namespace zolvex::test {

// Records what a connection reports, for the test thread to wait on.
class RecordingClient : public KtqConnectionClient {
 public:
  struct Tile {
    int level, column, row;
    std::unique_ptr<ViewImage> image;
  };
  struct File {
    std::string name;
    std::optional<std::vector<std::uint8_t>> data;
  };

  void OnLoaded(const ImageDescription& description) override {
    Note([&] {
      ++loads;
      this->description = description;
    });
  }
  void OnConnectionError(const std::string& text) override { Note([&] { errors.push_back(text); }); }
  void OnTileArrived(std::unique_ptr<ViewImage> image, int level, int column, int row) override {
    Note([&] { tiles.push_back({level, column, row, std::move(image)}); });
  }
  void OnFileArrived(const std::string& name, const std::optional<std::vector<std::uint8_t>>& data) override {
    Note([&] { files.push_back({name, data}); });
  }
  void OnServerMessage(const std::string& name, const std::string& value) override {
    Note([&] { messages.push_back(name + "|" + value); });
  }

  template <typename Pred>
  bool WaitFor(Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, limit, pred);
  }

  std::mutex mutex;
  std::condition_variable changed;
  int loads = 0;
  std::optional<ImageDescription> description;
  std::vector<std::string> errors;
  std::vector<Tile> tiles;
  std::vector<File> files;
  std::vector<std::string> messages;

 private:
  template <typename F>
  void Note(F f) {
    {
      std::lock_guard lock(mutex);
      f();
    }
    changed.notify_all();
  }
};

}  // namespace zolvex::test
