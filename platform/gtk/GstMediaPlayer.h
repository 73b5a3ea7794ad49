#pragma once
#include <mutex>

#include "platform/MediaPlayer.h"

typedef struct _GstElement GstElement;
typedef struct _GstBuffer GstBuffer;
typedef struct _GstPad GstPad;

namespace zolvex::platform {

// A GStreamer playbin whose video ends in frames of the Surface layout that the window
// thread takes when it draws. Without GStreamer or a decoder for the URL, Open fails and
// the object shows no picture.
class GstMediaPlayer : public MediaPlayer {
 public:
  GstMediaPlayer() = default;
  ~GstMediaPlayer() override;
  GstMediaPlayer(const GstMediaPlayer&) = delete;
  GstMediaPlayer& operator=(const GstMediaPlayer&) = delete;

  bool Open(const std::string& url, int plays) override;
  void Seek(long long positionMs) override;
  void Play() override;
  void Pause() override;
  void Stop() override;
  MediaState State() const override;
  long long PositionMs() const override;
  bool TakeFrame(MediaFrame& frame) override;
  void SetFrameListener(std::function<void()> listener) override { listener_ = std::move(listener); }

 private:
  static void OnHandoff(GstElement* sink, GstBuffer* buffer, GstPad* pad, void* self);
  void KeepFrame(GstBuffer* buffer, GstPad* pad);
  // Restarts at the end while plays remain; stops on an error.
  void DrainBus();

  GstElement* pipeline_ = nullptr;
  int playsLeft_ = 1;  // 0: over and over
  std::mutex frameLock_;
  MediaFrame newest_;
  bool fresh_ = false;
  std::function<void()> listener_;
};

}  // namespace zolvex::platform
