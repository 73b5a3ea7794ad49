#pragma once
#include <string>

namespace zolvex {

// The output tools as the view's commands reach them: saving an area of a level as a
// picture file, copying it to the clipboard and making it the wallpaper. The tools stand
// above the view; the control hands them to it (MapView::SetOutputTools). Rectangles are
// in pixels of the level, levels counted from 0.
class OutputTools {
 public:
  virtual ~OutputTools() = default;
  // 0 when the file was written, -1 when it could not be made.
  virtual int SaveArea(const std::string& file, int x, int y, int width, int height, int level, bool limitSize) = 0;
  // Asks for the file name first; -1 when the user cancels.
  virtual int SaveAreaAs(int x, int y, int width, int height, int level, bool limitSize) = 0;
  virtual bool CopyArea(int x, int y, int width, int height, int level) = 0;
  virtual bool SetWallpaper(int x, int y, int width, int height, int level) = 0;
};

}  // namespace zolvex
