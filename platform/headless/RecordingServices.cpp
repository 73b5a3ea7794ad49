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

namespace {

class RecordingMediaPlayer : public MediaPlayer {
 public:
  explicit RecordingMediaPlayer(RecordingServices& log) : log_(log) {}
  bool Open(const std::string& url, int plays) override {
    url_ = url;
    log_.RecordMedia("open:" + url + (plays == 1 ? "" : " plays=" + std::to_string(plays < 1 ? 0 : plays)));
    return true;
  }
  void Seek(long long positionMs) override { log_.RecordMedia("seek:" + std::to_string(positionMs) + ":" + url_); }
  void Play() override { Record("play", MediaState::Playing); }
  void Pause() override { Record("pause", MediaState::Paused); }
  void Stop() override { Record("stop", MediaState::Stopped); }
  MediaState State() const override { return state_; }
  long long PositionMs() const override { return 0; }
  bool TakeFrame(MediaFrame&) override { return false; }
  void SetFrameListener(std::function<void()>) override {}

 private:
  void Record(const char* call, MediaState state) {
    state_ = state;
    log_.RecordMedia(std::string(call) + ":" + url_);
  }

  RecordingServices& log_;
  std::string url_;
  MediaState state_ = MediaState::Stopped;
};

}  // namespace

std::unique_ptr<MediaPlayer> RecordingServices::CreateMediaPlayer() {
  return std::make_unique<RecordingMediaPlayer>(*this);
}

void RecordingServices::RecordMedia(const std::string& call) {
  std::lock_guard lock(mutex_);
  media_.push_back(call);
}

std::vector<std::string> RecordingServices::MediaCalls() const {
  std::lock_guard lock(mutex_);
  return media_;
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
