#include "platform/MediaPlayer.h"

namespace zolvex::platform {

const char* MediaStateName(MediaState state) {
  switch (state) {
    case MediaState::Buffering:
      return "buffering";
    case MediaState::Playing:
      return "playing";
    case MediaState::Paused:
      return "paused";
    case MediaState::Stopped:
      break;
  }
  return "stopped";
}

}  // namespace zolvex::platform
