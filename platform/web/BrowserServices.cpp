#include "platform/web/BrowserServices.h"

#include <emscripten.h>
#include <emscripten/threading.h>

#include "platform/Files.h"

namespace zolvex::platform {

// clang-format off
EM_JS(int, zolvex_clipboard_image, (const std::uint32_t* pixels, int width, int height), {
  if (!navigator.clipboard || typeof ClipboardItem === 'undefined') return 0;
  const canvas = document.createElement('canvas');
  canvas.width = width;
  canvas.height = height;
  const image = new ImageData(width, height);
  const source = HEAPU32.subarray(pixels >> 2, (pixels >> 2) + width * height);
  for (let i = 0; i < source.length; ++i) {
    const p = source[i];
    image.data[i * 4] = (p >>> 16) & 255;
    image.data[i * 4 + 1] = (p >>> 8) & 255;
    image.data[i * 4 + 2] = p & 255;
    image.data[i * 4 + 3] = 255;
  }
  canvas.getContext('2d').putImageData(image, 0, 0);
  canvas.toBlob(function (blob) {
    navigator.clipboard.write([new ClipboardItem({ 'image/png': blob })]).catch(function () {});
  });
  return 1;
});

EM_JS(int, zolvex_open_window, (const char* url, const char* target), {
  return window.open(UTF8ToString(url), UTF8ToString(target) || '_blank') ? 1 : 0;
});

// One audio element plays at a time; bytes become an object URL of their own.
EM_JS(int, zolvex_audio_play, (const char* url, const std::uint8_t* bytes, int length), {
  if (globalThis.__zolvexAudio) {
    globalThis.__zolvexAudio.pause();
    if (globalThis.__zolvexAudio.__ownUrl) URL.revokeObjectURL(globalThis.__zolvexAudio.src);
  }
  const audio = new Audio();
  if (length > 0) {
    audio.src = URL.createObjectURL(new Blob([HEAPU8.slice(bytes, bytes + length)], { type: 'audio/wav' }));
    audio.__ownUrl = true;
  } else {
    audio.src = UTF8ToString(url);
  }
  globalThis.__zolvexAudio = audio;
  audio.play().catch(function () {});
  return 1;
});

EM_JS(void, zolvex_audio_stop, (), {
  if (globalThis.__zolvexAudio) globalThis.__zolvexAudio.pause();
});
// clang-format on

bool BrowserServices::SetImage(const RgbaImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() < static_cast<std::size_t>(image.width) * image.height)
    return false;
  return zolvex_clipboard_image(image.pixels.data(), image.width, image.height) != 0;
}

bool BrowserServices::OpenUrl(const std::string& url, const std::string& target) {
  return zolvex_open_window(url.c_str(), target.c_str()) != 0;
}

WallpaperResult BrowserServices::SetWallpaper(const std::string&) { return WallpaperResult::NoDesktop; }

bool BrowserServices::PlayWave(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  return bytes && PlayWaveData(*bytes);
}

bool BrowserServices::PlayWaveData(const std::vector<std::uint8_t>& wave) {
  if (wave.empty()) return false;
  return zolvex_audio_play("", wave.data(), static_cast<int>(wave.size())) != 0;
}

bool BrowserServices::PlayMedia(const std::string& url) { return zolvex_audio_play(url.c_str(), nullptr, 0) != 0; }

void BrowserServices::Stop() { zolvex_audio_stop(); }

}  // namespace zolvex::platform
