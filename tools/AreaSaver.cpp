#include "tools/AreaSaver.h"

#include <algorithm>
#include <cstdio>

#include "image/qmFormatId.h"
#include "image/qmImageUtils.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "tools/Watermark.h"
#include "view/FlipMapView.h"

namespace zolvex {

namespace {

constexpr const char* kProfileSection = "Zolvex";
constexpr const char* kLastClipPath = "LastClipPath";

void PrintProgress(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

int FormatOfName(const std::string& file) {
  if (EndsWithNoCase(file, ".jpg") || EndsWithNoCase(file, ".jpeg")) return qmFormatJpeg;
  if (EndsWithNoCase(file, ".png")) return qmFormatPng;
  return qmFormatBmp;
}

// The folder of a path with its trailing separator.
std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

platform::RgbaImage ToRgba(const qmImage& image) {
  platform::RgbaImage rgba{image.getWidth(), image.getHeight(), {}};
  rgba.pixels.reserve(static_cast<size_t>(rgba.width) * rgba.height);
  for (int y = 0; y < rgba.height; ++y) {
    for (int x = 0; x < rgba.width; ++x) {
      const qmRGBQuad p = image.getPixelColor(x, y);
      rgba.pixels.push_back(0xFF000000u | (std::uint32_t(p.red) << 16) | (std::uint32_t(p.green) << 8) | p.blue);
    }
  }
  return rgba;
}

}  // namespace

AreaSaver::AreaSaver(FlipMapView& view) : view_(view), progress_(PrintProgress) {}

std::string AreaSaver::WallpaperFile() { return platform::TempFolder() + "/zolvexbg.bmp"; }

std::unique_ptr<qmImage> AreaSaver::Render(int x, int y, int width, int height, int level, bool saveObjects,
                                           bool showProgress) {
  lastError_.clear();
  if (width <= 0 || height <= 0) {
    lastError_ = "The area is empty: " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
    return nullptr;
  }
  if (!qmImage::sizeAllowed(width, height)) {
    lastError_ = "The area of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
    return nullptr;
  }
  auto image = std::make_unique<qmImage>(width, height, 24);
  if (!image->isValid()) {
    lastError_ = "Not enough memory for an image of " + std::to_string(width) + " x " + std::to_string(height);
    return nullptr;
  }
  std::string shown;
  FlipMapView::AreaProgress progress;
  std::unique_ptr<platform::ProgressWindow> window;
  if (showProgress) window = view_.GetPlatform().DialogBox().OpenProgress("Retrieving data from Server");
  if (showProgress && (window || progress_)) {
    progress = [this, &shown, &window](double percent) {
      char text[64];
      std::snprintf(text, sizeof text, "(%.2f%%) ...", percent);
      if (shown == text) return;
      shown = text;
      if (window) window->Update(shown, percent);
      else progress_(shown);
    };
  }
  if (!view_.RenderArea(*image, x, y, width, height, level, false, saveObjects, progress)) {
    lastError_ = view_.HasValidDocument() ? "The area could not be drawn" : "No image is open";
    return nullptr;
  }
  return image;
}

std::unique_ptr<qmImage> AreaSaver::RenderForSaving(int x, int y, int width, int height, int level) {
  const bool saveObjects = !IsNo(view_.GetBrowserProperty("SaveObjects"));
  const bool showProgress = !IsNo(view_.GetBrowserProperty("ShowSaveProgress"));
  auto image = Render(x, y, width, height, level, saveObjects, showProgress);
  if (image) Watermark([this](const std::string& name) { return view_.GetBrowserProperty(name); }).Apply(*image);
  return image;
}

bool AreaSaver::Write(const qmImage& image, const std::string& file) {
  const int format = FormatOfName(file);
  if (qmImageUtils::saveImageAs(image, file, format, 0, format == qmFormatJpeg ? kJpegQuality : 0)) return true;
  lastError_ = "Cannot write " + file;
  return false;
}

int AreaSaver::SaveArea(const std::string& file, int x, int y, int width, int height, int level, bool limitSize) {
  if (limitSize) {
    width = std::min(width, kLimitWidth);
    height = std::min(height, kLimitHeight);
  }
  auto image = RenderForSaving(x, y, width, height, level);
  return image && Write(*image, file) ? 0 : -1;
}

int AreaSaver::SaveAreaAs(int x, int y, int width, int height, int level, bool limitSize) {
  platform::Platform& platform = view_.GetPlatform();
  const std::string folder = platform.Settings().GetProfileString(kProfileSection, kLastClipPath, "");
  auto chosen = platform.DialogBox().SaveFile("Save As", folder + "clip.jpg",
                                              {{"Jpeg Files (*.jpg)", "*.jpg"},
                                               {"Bmp Files (*.bmp)", "*.bmp"},
                                               {"Png Files (*.png)", "*.png"},
                                               {"All Files (*.*)", "*"}});
  if (!chosen) return -1;
  platform.Settings().SetProfileString(kProfileSection, kLastClipPath, FolderOf(*chosen));
  return SaveArea(*chosen, x, y, width, height, level, limitSize);
}

bool AreaSaver::CopyArea(int x, int y, int width, int height, int level) {
  if (copying_) return false;
  copying_ = true;
  auto image = Render(x, y, std::min(width, kLimitWidth), std::min(height, kLimitHeight), level, true, false);
  const bool copied = image && view_.GetPlatform().ClipboardService().SetImage(ToRgba(*image));
  copying_ = false;
  return copied;
}

bool AreaSaver::SetWallpaper(int x, int y, int width, int height, int level) {
  const std::string file = WallpaperFile();
  if (SaveArea(file, x, y, width, height, level, false) != 0) return false;
  platform::Platform& platform = view_.GetPlatform();
  switch (platform.ShellService().SetWallpaper(file)) {
    case platform::WallpaperResult::Set:
      return true;
    case platform::WallpaperResult::NoDesktop:
      platform.DialogBox().MessageBox("No desktop here takes a wallpaper. The picture is kept in " + file + ".",
                                      FlipMapView::kMessageCaption, platform::MessageIcon::Information,
                                      platform::MessageButtons::Ok);
      return false;
    case platform::WallpaperResult::Failed:
      break;
  }
  lastError_ = "The wallpaper could not be set";
  return false;
}

}  // namespace zolvex
