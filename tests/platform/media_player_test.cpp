#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Geometry.h"
#include "platform/Platform.h"
#include "tests/support/TestSupport.h"

namespace zolvex::test {
namespace {

// A two-second Motion-JPEG AVI of 64 x 48 solid red frames, written by GStreamer itself.
bool WriteRedVideo(const std::string& path) {
  if (!gst_init_check(nullptr, nullptr, nullptr)) return false;
  const std::string description =
      "videotestsrc num-buffers=50 pattern=red ! video/x-raw,width=64,height=48,framerate=25/1 ! jpegenc ! avimux ! "
      "filesink location=\"" + path + "\"";
  GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
  if (!pipeline) return false;
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* end = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND,
                                               static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  const bool written = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
  if (end) gst_message_unref(end);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  return written;
}

TEST(MediaPlayer, TheDesktopPlayerDeliversTheVideosFrames) {
  if (!platform::DisplayAvailable()) GTEST_SKIP() << "no display (run under Xvfb)";
  TempDir dir;
  if (!WriteRedVideo(dir.File("red.avi"))) GTEST_SKIP() << "GStreamer cannot write the test video here";
  platform::PlatformOptions options;
  options.backend = platform::Backend::Gtk;
  options.settingsFile = dir.File("settings.ini");
  std::string error;
  auto platform = platform::CreatePlatform(options, error);
  ASSERT_TRUE(platform) << error;
  auto player = platform->CreateMediaPlayer();
  ASSERT_TRUE(player);
  std::atomic<int> told{0};
  player->SetFrameListener([&told] { ++told; });
  ASSERT_TRUE(player->Open(dir.File("red.avi"), 1));
  player->Play();
  platform::MediaFrame frame;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  // The player stores a frame before it announces it, on its own thread: the test waits
  // for both.
  bool taken = false;
  while (!(taken && told.load() > 0) && std::chrono::steady_clock::now() < deadline) {
    taken = player->TakeFrame(frame) || taken;
    if (!(taken && told.load() > 0)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_GT(told.load(), 0) << "each frame is announced";
  ASSERT_EQ(frame.width, 64);
  ASSERT_EQ(frame.height, 48);
  const std::uint32_t middle = frame.pixels[24 * 64 + 32];
  EXPECT_GT((middle >> 16) & 0xFF, 0xD0u) << std::hex << middle;  // red, in the Surface layout
  EXPECT_LT((middle >> 8) & 0xFF, 0x30u) << std::hex << middle;
  EXPECT_LT(middle & 0xFF, 0x30u) << std::hex << middle;
  EXPECT_EQ(platform::MediaStateName(player->State()), std::string("playing"));
  player->Stop();
  EXPECT_FALSE(player->Open(dir.File("red.avi"), 1)) << "a player plays one video";

  // A start time: the first frames shown are from there on.
  auto later = platform->CreateMediaPlayer();
  ASSERT_TRUE(later->Open(dir.File("red.avi"), 1));
  later->Seek(1000);
  later->Play();
  const auto laterDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!later->TakeFrame(frame) && std::chrono::steady_clock::now() < laterDeadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(later->PositionMs(), 1000);
}

}  // namespace
}  // namespace zolvex::test
