#pragma once
#include <string>

#include "platform/Services.h"

typedef struct _GstElement GstElement;

namespace zolvex::platform {

// Clipboard and shell of the GTK desktop.
class DesktopServices : public Clipboard, public Shell {
 public:
  bool SetImage(const RgbaImage& image) override;
  bool OpenUrl(const std::string& url, const std::string& target) override;
  WallpaperResult SetWallpaper(const std::string& bmpPath) override;
};

// Sound through a GStreamer playbin; every call fails quietly when GStreamer or an audio
// sink is missing, so the viewer stays silent rather than broken.
class GstSound : public Sound {
 public:
  GstSound();
  ~GstSound() override;
  bool PlayWave(const std::string& path) override;
  bool PlayWaveData(const std::vector<std::uint8_t>& wave) override;
  bool PlayMedia(const std::string& url) override;
  void Stop() override;

 private:
  bool PlayUri(const std::string& uri);
  GstElement* player_ = nullptr;
  std::string waveFile_;  // temporary file of the last embedded WAVE
};

}  // namespace zolvex::platform
