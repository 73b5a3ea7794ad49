#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "view/ClipPanel.h"
#include "view/OutputTools.h"

namespace zolvex {

class ClipperObject;
class MapDocument;
class MapView;

// The view's clip frame and clip panel, and the output commands ("clipedit", "clippos",
// "clipout", "clipline", "cliptext", "clipdel", "clipsave", "saverect", "savepage",
// "savehpage", "copy", "wallpaper") with the browser properties "selector", "clipstring"
// and "clippos". Saving, copying and the wallpaper go to the output tools the control hands
// over; without them those commands are not handled.
class ClipTools {
 public:
  static constexpr int kFrameLayer = 8;

  explicit ClipTools(MapView& view);
  ~ClipTools();
  ClipTools(const ClipTools&) = delete;
  ClipTools& operator=(const ClipTools&) = delete;

  ClipperObject& Frame() { return *frame_; }
  ClipPanel& Panel() { return panel_; }
  void SetOutputTools(std::unique_ptr<OutputTools> tools) { tools_ = std::move(tools); }
  OutputTools* Output() const { return tools_.get(); }

  // Answers whether the command was one of the output commands and was carried out.
  bool Execute(const std::string& command, const std::string& argument);
  // Answers of "selector", "clipstring" and "clippos"; nothing for other names.
  std::optional<std::string> ReadProperty(const std::string& key);
  // Acts on "selector"; answers whether the name was one of this class's.
  bool WriteProperty(const std::string& key, const std::string& value);

  // New content: the frame is hidden, takes the document's extent as its reference size,
  // and the panel is made for the document.
  void OnDocumentOpened(MapDocument& document);
  void OnDocumentClosed() { panel_.Unbind(); }

  // The frame's content rectangle (left, top, right, bottom) while it is shown; four -1
  // otherwise.
  platform::Rect GetClipRect() const;
  bool IsSelectorVisible() const;
  void SetSelectorVisible(bool show);
  // The frame's rectangle in pixels of the current level; nothing while it is hidden.
  std::optional<platform::Rect> FrameAreaAtLevel() const;

  // F8: the frame's area at the current level, through the save dialog when file is
  // empty; -1 when hidden, cancelled or failed.
  int SaveClipArea(const std::string& file);
  bool CopyClipArea();
  // The frame's area, or the whole image at its last level while the frame is hidden.
  bool SetWallpaper();

 private:
  void PlaceFrameIfUnplaced();
  bool PlaceFrame(const std::string& argument);
  bool SaveRect(const std::string& argument);
  bool SavePage(const std::string& argument, bool half);
  int Save(const std::string& file, const platform::Rect& area, int level);

  MapView& view_;
  std::unique_ptr<ClipperObject> frame_;
  ClipPanel panel_;
  std::unique_ptr<OutputTools> tools_;
};

}  // namespace zolvex
