#include "platform/gtk/DesktopServices.h"

#include <gst/gst.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"

namespace zolvex::platform {

namespace {

void FreePixels(guchar* pixels, gpointer) { g_free(pixels); }

std::string FileUri(const std::string& path) {
  char* uri = g_filename_to_uri(FullPath(path).c_str(), nullptr, nullptr);
  if (!uri) return {};
  std::string result(uri);
  g_free(uri);
  return result;
}

}  // namespace

bool DesktopServices::SetImage(const RgbaImage& image) {
  if (image.width <= 0 || image.height <= 0) return false;
  auto* rgba = static_cast<guchar*>(g_malloc(static_cast<size_t>(image.width) * image.height * 4));
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    std::uint32_t p = image.pixels[i];
    rgba[i * 4] = static_cast<guchar>(p >> 16);
    rgba[i * 4 + 1] = static_cast<guchar>(p >> 8);
    rgba[i * 4 + 2] = static_cast<guchar>(p);
    rgba[i * 4 + 3] = static_cast<guchar>(p >> 24);
  }
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_data(rgba, GDK_COLORSPACE_RGB, TRUE, 8, image.width, image.height,
                                               image.width * 4, FreePixels, nullptr);
  gtk_clipboard_set_image(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), pixbuf);
  g_object_unref(pixbuf);
  return true;
}

bool DesktopServices::OpenUrl(const std::string& url, const std::string&) {
  return g_app_info_launch_default_for_uri(url.c_str(), nullptr, nullptr);
}

WallpaperResult DesktopServices::SetWallpaper(const std::string& bmpPath) {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  std::string folder = dataHome && *dataHome ? std::string(dataHome) + "/zolvex"
                                             : std::string(home ? home : "/tmp") + "/.local/share/zolvex";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::string target = folder + "/wallpaper.bmp";
  std::filesystem::copy_file(NativePath(bmpPath), target, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) return WallpaperResult::Failed;
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  GSettingsSchema* schema =
      source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.background", TRUE) : nullptr;
  if (!schema) return WallpaperResult::NoDesktop;  // the file is in place; no desktop to tell
  g_settings_schema_unref(schema);
  GSettings* settings = g_settings_new("org.gnome.desktop.background");
  bool ok = g_settings_set_string(settings, "picture-uri", FileUri(target).c_str()) &&
            g_settings_set_string(settings, "picture-options", "stretched");
  g_settings_sync();
  g_object_unref(settings);
  return ok ? WallpaperResult::Set : WallpaperResult::Failed;
}

GstSound::GstSound() {
  if (!gst_init_check(nullptr, nullptr, nullptr)) return;
  player_ = gst_element_factory_make("playbin", "zolvex-sound");
}

GstSound::~GstSound() {
  Stop();
  if (player_) gst_object_unref(player_);
  if (!waveFile_.empty()) std::remove(waveFile_.c_str());
}

bool GstSound::PlayUri(const std::string& uri) {
  if (!player_ || uri.empty()) return false;
  gst_element_set_state(player_, GST_STATE_NULL);
  g_object_set(player_, "uri", uri.c_str(), nullptr);
  return gst_element_set_state(player_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool GstSound::PlayWave(const std::string& path) { return PlayUri(FileUri(path)); }

bool GstSound::PlayWaveData(const std::vector<std::uint8_t>& wave) {
  if (waveFile_.empty()) waveFile_ = MakeTempFile(".wav");
  if (waveFile_.empty() || !WriteFileBytes(waveFile_, wave)) return false;
  return PlayWave(waveFile_);
}

bool GstSound::PlayMedia(const std::string& url) {
  bool remote = url.rfind("http:", 0) == 0 || url.rfind("https:", 0) == 0 || url.rfind("file:", 0) == 0;
  return PlayUri(remote ? url : FileUri(url));
}

void GstSound::Stop() {
  if (player_) gst_element_set_state(player_, GST_STATE_NULL);
}

}  // namespace zolvex::platform
