#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "objects/CComponentRect.h"

namespace zolvex {

namespace platform {
class MediaPlayer;
}

// A media object of a map: "movie" and "video" play their src inside their rectangle
// through the platform's media player; "flash" and "gviewer" keep only the common contract
// (place, levels, link, tooltip, events) and show their area. Until a frame arrives the
// area is black. The element is written back as it was read, at the object's place.
class MediaObject : public CComponentRect {
 public:
  using Attributes = std::vector<std::pair<std::string, std::string>>;

  MediaObject(std::string tagName, int x, int y, int width, int height, const std::string& link);
  ~MediaObject() override;

  // The object of a "movie", "video", "flash" or "gviewer" element (any case); null for
  // other names. A relative src is joined to basePath.
  static std::unique_ptr<MediaObject> Make(const std::string& tagName, const Attributes& attributes,
                                           const std::string& basePath, ViewPrimitives& view);
  static bool MakesElement(const std::string& tagName);

  const std::string& TagName() const { return tagName_; }
  const std::string& MediaUrl() const { return mediaUrl_; }
  // Whether the element plays its source ("movie" and "video").
  bool IsPlayer() const;

  std::string GetXml() const override;
  void Draw() override;
  // "play", "pause" and "stop" steer the player.
  bool ExecuteCommand(const std::string& name, const std::string& value) override;
  // "state": "stopped", "playing" or "buffering"; "currentpos": milliseconds played.
  std::string GetProperty(const std::string& name) const override;
  void SetView(ViewPrimitives* view) override;
  void Suspend() override;
  void OnMouseEnter() override;
  void OnMouseExit() override;
  void Resume() override;
  // A hidden player pauses unless its element says "playinvisible".
  void SetVisible(bool visible) override;

 private:
  void ReadPlayerAttributes(const Attributes& attributes);
  void OpenPlayer();
  void DrawFrame(ViewPrimitives& view);

  std::string tagName_;
  std::string mediaUrl_;
  Attributes attributes_;  // as read, written back
  bool autoStart_ = true;
  bool playOnMouse_ = false;
  int plays_ = 1;             // "looptime": 0 plays over and over
  long long startMs_ = 0;     // "starttime", in seconds in the element
  bool stretch_ = true;       // "stretch" "no" keeps the video's proportions
  bool playInvisible_ = false;
  bool loadOnView_ = false;   // the player opens when the object is first drawn
  bool fillAtInit_ = true;    // black until the first frame; "no" shows what lies below
  std::unique_ptr<platform::MediaPlayer> player_;
  std::shared_ptr<ViewImage> frame_;
  // Frames arrive on the player's threads; one repaint at a time is posted to the window
  // thread, and none reaches an object that is gone.
  std::shared_ptr<std::atomic<bool>> repaintPosted_ = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace zolvex
