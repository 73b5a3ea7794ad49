#include "platform/gtk/GstMediaPlayer.h"

#include <gst/gst.h>

#include <algorithm>
#include <cstring>

namespace zolvex::platform {

namespace {

// How long a seek waits for the video to load.
constexpr GstClockTime kLoadWait = 2 * GST_SECOND;

// Frames in the byte order of a 32-bit Surface pixel on a little-endian machine.
constexpr const char* kVideoSink =
    "videoconvert ! videoscale ! video/x-raw,format=BGRx ! fakesink name=frames signal-handoffs=true sync=true";

std::string UriOf(const std::string& url) {
  if (url.find("://") != std::string::npos) return url;
  gchar* uri = gst_filename_to_uri(url.c_str(), nullptr);
  if (!uri) return {};
  std::string text(uri);
  g_free(uri);
  return text;
}

}  // namespace

GstMediaPlayer::~GstMediaPlayer() {
  if (!pipeline_) return;
  gst_element_set_state(pipeline_, GST_STATE_NULL);
  gst_object_unref(pipeline_);
}

bool GstMediaPlayer::Open(const std::string& url, int plays) {
  if (pipeline_ || !gst_init_check(nullptr, nullptr, nullptr)) return false;
  const std::string uri = UriOf(url);
  GstElement* playbin = uri.empty() ? nullptr : gst_element_factory_make("playbin", nullptr);
  if (!playbin) return false;
  GstElement* video = gst_parse_bin_from_description(kVideoSink, TRUE, nullptr);
  if (!video) {
    gst_object_unref(playbin);
    return false;
  }
  GstElement* frames = gst_bin_get_by_name(GST_BIN(video), "frames");
  g_signal_connect(frames, "handoff", G_CALLBACK(&GstMediaPlayer::OnHandoff), this);
  gst_object_unref(frames);
  g_object_set(playbin, "uri", uri.c_str(), "video-sink", video, nullptr);
  pipeline_ = playbin;
  playsLeft_ = plays < 1 ? 0 : plays;
  return gst_element_set_state(pipeline_, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

// A seek needs the video loaded: the change to paused that Open began is waited for first.
void GstMediaPlayer::Seek(long long positionMs) {
  if (!pipeline_) return;
  gst_element_get_state(pipeline_, nullptr, nullptr, kLoadWait);
  gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
                          static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                          std::max(positionMs, 0LL) * GST_MSECOND);
}

void GstMediaPlayer::Play() {
  if (pipeline_) gst_element_set_state(pipeline_, GST_STATE_PLAYING);
}

void GstMediaPlayer::Pause() {
  if (pipeline_) gst_element_set_state(pipeline_, GST_STATE_PAUSED);
}

void GstMediaPlayer::Stop() {
  if (!pipeline_) return;
  gst_element_set_state(pipeline_, GST_STATE_PAUSED);
  gst_element_seek_simple(pipeline_, GST_FORMAT_TIME, static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH), 0);
}

MediaState GstMediaPlayer::State() const {
  if (!pipeline_) return MediaState::Stopped;
  GstState state = GST_STATE_NULL, pending = GST_STATE_VOID_PENDING;
  gst_element_get_state(pipeline_, &state, &pending, 0);
  if (pending == GST_STATE_PLAYING) return MediaState::Buffering;
  if (state == GST_STATE_PLAYING) return MediaState::Playing;
  return state == GST_STATE_PAUSED ? MediaState::Paused : MediaState::Stopped;
}

long long GstMediaPlayer::PositionMs() const {
  gint64 position = 0;
  if (!pipeline_ || !gst_element_query_position(pipeline_, GST_FORMAT_TIME, &position)) return 0;
  return position / GST_MSECOND;
}

void GstMediaPlayer::DrainBus() {
  GstBus* bus = gst_element_get_bus(pipeline_);
  while (GstMessage* message = gst_bus_pop_filtered(bus, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))) {
    bool restart = false;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
      restart = playsLeft_ != 1;
      if (playsLeft_ > 1) --playsLeft_;
    }
    gst_message_unref(message);
    if (restart)
      gst_element_seek_simple(pipeline_, GST_FORMAT_TIME, static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH), 0);
    else
      gst_element_set_state(pipeline_, GST_STATE_PAUSED);
  }
  gst_object_unref(bus);
}

bool GstMediaPlayer::TakeFrame(MediaFrame& frame) {
  if (!pipeline_) return false;
  DrainBus();
  std::lock_guard hold(frameLock_);
  if (!fresh_) return false;
  frame = newest_;
  fresh_ = false;
  return true;
}

void GstMediaPlayer::OnHandoff(GstElement*, GstBuffer* buffer, GstPad* pad, void* self) {
  static_cast<GstMediaPlayer*>(self)->KeepFrame(buffer, pad);
}

// Runs on a streaming thread of GStreamer.
void GstMediaPlayer::KeepFrame(GstBuffer* buffer, GstPad* pad) {
  GstCaps* caps = gst_pad_get_current_caps(pad);
  if (!caps) return;
  int width = 0, height = 0;
  const GstStructure* format = gst_caps_get_structure(caps, 0);
  gst_structure_get_int(format, "width", &width);
  gst_structure_get_int(format, "height", &height);
  gst_caps_unref(caps);
  GstMapInfo map;
  if (width < 1 || height < 1 || !gst_buffer_map(buffer, &map, GST_MAP_READ)) return;
  const std::size_t stride = map.size / static_cast<std::size_t>(height);
  const bool whole = stride >= static_cast<std::size_t>(width) * 4;
  if (whole) {
    std::lock_guard hold(frameLock_);
    newest_.width = width;
    newest_.height = height;
    newest_.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      std::uint32_t* row = newest_.pixels.data() + static_cast<std::size_t>(y) * width;
      std::memcpy(row, map.data + y * stride, static_cast<std::size_t>(width) * 4);
      for (int x = 0; x < width; ++x) row[x] |= 0xFF000000u;
    }
    fresh_ = true;
  }
  gst_buffer_unmap(buffer, &map);
  if (whole && listener_) listener_();
}

}  // namespace zolvex::platform
