#pragma once
#include "platform/MediaPlayer.h"
#include "platform/Services.h"

namespace zolvex::platform {

// The clipboard, the shell and sound of a web page: the browser's clipboard (when the page
// allows it; the browser may refuse outside a user's gesture), a new window or a named
// frame for links, and an audio element for sounds. A page has no desktop for wallpapers.
class BrowserServices : public Clipboard, public Shell, public Sound {
 public:
  bool SetImage(const RgbaImage& image) override;
  bool OpenUrl(const std::string& url, const std::string& target) override;
  WallpaperResult SetWallpaper(const std::string& bmpPath) override;
  bool PlayWave(const std::string& path) override;
  bool PlayWaveData(const std::vector<std::uint8_t>& wave) override;
  bool PlayMedia(const std::string& url) override;
  void Stop() override;
};

}  // namespace zolvex::platform
