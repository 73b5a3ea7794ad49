#pragma once
#include <functional>
#include <memory>
#include <string>

#include "image/qmImage.h"
#include "view/OutputTools.h"

namespace zolvex {

class FlipMapView;

// Saving, copying and the wallpaper for one view: an area of a level rendered strip by
// strip once its tiles arrived, the watermark blended over saved pictures, and the file
// written by its name: ".jpg" or ".jpeg" as JPEG of quality 90, ".png" as PNG, anything
// else as BMP.
class AreaSaver : public OutputTools {
 public:
  // Hears the progress texts of a save, "(42.00%) ...", while tiles are awaited, where the
  // platform has no progress window.
  using ProgressSink = std::function<void(const std::string& text)>;
  static constexpr int kJpegQuality = 90;
  static constexpr int kLimitWidth = 1536;
  static constexpr int kLimitHeight = 1152;

  explicit AreaSaver(FlipMapView& view);

  int SaveArea(const std::string& file, int x, int y, int width, int height, int level, bool limitSize) override;
  int SaveAreaAs(int x, int y, int width, int height, int level, bool limitSize) override;
  bool CopyArea(int x, int y, int width, int height, int level) override;
  bool SetWallpaper(int x, int y, int width, int height, int level) override;

  // The rendered, watermarked picture of an area, or null (LastError tells why).
  std::unique_ptr<qmImage> RenderForSaving(int x, int y, int width, int height, int level);
  // Replaces the default sink (standard error); null shows no progress.
  void SetProgressSink(ProgressSink sink) { progress_ = std::move(sink); }
  const std::string& LastError() const { return lastError_; }
  // The file the wallpaper is written to before the desktop takes it.
  static std::string WallpaperFile();

 private:
  std::unique_ptr<qmImage> Render(int x, int y, int width, int height, int level, bool saveObjects, bool showProgress);
  bool Write(const qmImage& image, const std::string& file);

  FlipMapView& view_;
  ProgressSink progress_;
  std::string lastError_;
  bool copying_ = false;
};

}  // namespace zolvex
