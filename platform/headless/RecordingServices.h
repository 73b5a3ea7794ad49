#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MediaPlayer.h"
#include "platform/Services.h"

namespace zolvex::platform {

// Clipboard, shell and sound without a desktop: each records what it was given.
class RecordingServices : public Clipboard, public Shell, public Sound {
 public:
  struct OpenedUrl {
    std::string url;
    std::string target;
  };

  bool SetImage(const RgbaImage& image) override;
  bool OpenUrl(const std::string& url, const std::string& target) override;
  WallpaperResult SetWallpaper(const std::string& bmpPath) override;
  bool PlayWave(const std::string& path) override;
  bool PlayWaveData(const std::vector<std::uint8_t>& wave) override;
  bool PlayMedia(const std::string& url) override;
  void Stop() override;

  RgbaImage ClipboardImage() const;
  std::vector<OpenedUrl> OpenedUrls() const;
  std::vector<std::string> Wallpapers() const;
  // "wave:<path>", "wave-data:<bytes>", "media:<url>", "stop" in the order asked.
  std::vector<std::string> Sounds() const;

  // A player that plays nothing and records what it is asked: "open:<url>", "play:<url>",
  // "pause:<url>" and "stop:<url>" in the order asked. Its state follows the calls.
  std::unique_ptr<MediaPlayer> CreateMediaPlayer();
  std::vector<std::string> MediaCalls() const;
  void RecordMedia(const std::string& call);

 private:
  mutable std::mutex mutex_;
  RgbaImage clipboard_;
  std::vector<OpenedUrl> urls_;
  std::vector<std::string> wallpapers_;
  std::vector<std::string> sounds_;
  std::vector<std::string> media_;
};

}  // namespace zolvex::platform
