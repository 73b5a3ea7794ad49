#include "platform/headless/RecordingServices.h"

namespace zolvex::platform {

bool RecordingServices::SetImage(const RgbaImage& image) {
  std::lock_guard lock(mutex_);
  clipboard_ = image;
  return true;
}

bool RecordingServices::OpenUrl(const std::string& url, const std::string& target) {
  std::lock_guard lock(mutex_);
  urls_.push_back({url, target});
  return true;
}

WallpaperResult RecordingServices::SetWallpaper(const std::string& bmpPath) {
  std::lock_guard lock(mutex_);
  wallpapers_.push_back(bmpPath);
  return WallpaperResult::Set;
}

bool RecordingServices::PlayWave(const std::string& path) {
  std::lock_guard lock(mutex_);
  sounds_.push_back("wave:" + path);
  return true;
}

bool RecordingServices::PlayWaveData(const std::vector<std::uint8_t>& wave) {
  std::lock_guard lock(mutex_);
  sounds_.push_back("wave-data:" + std::to_string(wave.size()));
  return true;
}

bool RecordingServices::PlayMedia(const std::string& url) {
  std::lock_guard lock(mutex_);
  sounds_.push_back("media:" + url);
  return true;
}

void RecordingServices::Stop() {
  std::lock_guard lock(mutex_);
  sounds_.push_back("stop");
}

RgbaImage RecordingServices::ClipboardImage() const {
  std::lock_guard lock(mutex_);
  return clipboard_;
}

std::vector<RecordingServices::OpenedUrl> RecordingServices::OpenedUrls() const {
  std::lock_guard lock(mutex_);
  return urls_;
}

std::vector<std::string> RecordingServices::Wallpapers() const {
  std::lock_guard lock(mutex_);
  return wallpapers_;
}

std::vector<std::string> RecordingServices::Sounds() const {
  std::lock_guard lock(mutex_);
  return sounds_;
}

}  // namespace zolvex::platform
