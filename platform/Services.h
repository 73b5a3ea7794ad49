#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zolvex::platform {

class Surface;

// An image handed to the clipboard or the shell: 32-bit 0xAARRGGBB rows, top-down.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool SetImage(const RgbaImage& image) = 0;
};

// What became of a wallpaper: the desktop shows it, no desktop here takes wallpapers (the
// file is kept all the same), or it could not be set.
enum class WallpaperResult { Set, NoDesktop, Failed };

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens url in the user's browser; target names a frame ("_blank" for a new window).
  virtual bool OpenUrl(const std::string& url, const std::string& target) = 0;
  // Makes the BMP file the desktop wallpaper, stretched.
  virtual WallpaperResult SetWallpaper(const std::string& bmpPath) = 0;
};

// Asynchronous sound: one WAVE or media stream at a time; silent without an audio device.
class Sound {
 public:
  virtual ~Sound() = default;
  virtual bool PlayWave(const std::string& path) = 0;
  virtual bool PlayWaveData(const std::vector<std::uint8_t>& wave) = 0;
  virtual bool PlayMedia(const std::string& url) = 0;
  virtual void Stop() = 0;
};

}  // namespace zolvex::platform
