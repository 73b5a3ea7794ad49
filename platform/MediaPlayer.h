#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zolvex::platform {

enum class MediaState { Stopped, Buffering, Playing, Paused };

// The state's name as a media object reports it: "stopped", "buffering", "playing" or
// "paused".
const char* MediaStateName(MediaState state);

// A decoded video frame: 32-bit pixels in the layout of a Surface (0xAARRGGBB), row by row.
struct MediaFrame {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// One video (with its sound) played from a URL. Decoding runs on threads of the player's
// own; the window thread steers it and takes the newest frame when it draws.
class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;
  // Called on a decoding thread whenever a new frame is ready to be taken; set it before Open.
  virtual void SetFrameListener(std::function<void()> listener) = 0;
  // Loads the URL (paused at its start) to be played plays times in a row, or over and over
  // when plays is 0 or less; false when nothing can play it.
  virtual bool Open(const std::string& url, int plays) = 0;
  // Moves to a position of the video, in milliseconds from its start.
  virtual void Seek(long long positionMs) = 0;
  virtual void Play() = 0;
  virtual void Pause() = 0;
  virtual void Stop() = 0;
  virtual MediaState State() const = 0;
  virtual long long PositionMs() const = 0;
  // The newest frame, when one arrived since the last call.
  virtual bool TakeFrame(MediaFrame& frame) = 0;
};

}  // namespace zolvex::platform
