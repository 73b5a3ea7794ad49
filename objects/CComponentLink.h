#pragma once
#include <memory>
#include <string>

#include "objects/CComponentImage.h"

namespace zolvex {

// An object with an outline colour, a fill colour, mouse-over variants of both and of its
// picture, a pressed picture, a link (href) followed when it is clicked, a mouse-over sound
// and auto-scrolling links. It holds its normal, mouse-over and pressed pictures; a picture
// given for several of them is shared.
class CComponentLink : public CComponentImage {
 public:
  static constexpr platform::Color kDefaultColor = platform::MakeColor(0x32, 0x32, 0xFF);
  static constexpr platform::Color kDefaultMouseOverColor = platform::MakeColor(0xFF, 0x0A, 0x0A);

  CComponentLink(int x, int y, int width, int height, const std::string& link, std::shared_ptr<ViewImage> normal,
                 std::shared_ptr<ViewImage> mouseOver);
  ~CComponentLink() override;

  std::string GetProperty(const std::string& name) const override;
  bool CommitProperties() override;
  // "select" "yes" holds the hovered look, "select" with another value releases it,
  // "follow" follows the link.
  bool ExecuteCommand(const std::string& name, const std::string& value) override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnMouseExit() override;
  void OnMouseEnter() override;
  void OnClick(platform::Point point, int button) override;
  // option "nosave" follows the link without recording it in the history.
  void OnClickWithOption(platform::Point point, int button, const std::string& option) override;
  // True when the object has a link ("" and "null" are none).
  bool HasLinkAt(int x, int y) const override;
  // The key colour is applied to the normal and the mouse-over picture.
  void SetKeyTransparent(bool on) override;

  // Stores the three pictures (pressed may be null) and shows the normal one; each
  // picture's key colour becomes the colour of its pixel (0, 0).
  void SetPictures(std::shared_ptr<ViewImage> normal, std::shared_ptr<ViewImage> mouseOver,
                   std::shared_ptr<ViewImage> pressed);
  ViewImage* GetNormalPicture() const { return normal_.get(); }
  ViewImage* GetMouseOverPicture() const { return mouseOver_.get(); }
  ViewImage* GetPressedPicture() const { return pressed_.get(); }

  void SetFillColor(platform::Color color);
  void SetMouseOverFillColor(platform::Color color);
  // Both outline colours at once; the current one follows the hover state.
  void SetColors(platform::Color color, platform::Color mouseOverColor);
  platform::Color GetColor() const { return color_; }
  platform::Color GetCurrentColor() const { return currentColor_; }
  platform::Color GetFillColor() const { return fill_; }
  platform::Color GetCurrentFill() const { return currentFill_; }
  platform::Color GetMouseOverColor() const { return mouseOverColor_; }
  platform::Color GetMouseOverFillColor() const { return mouseOverFill_; }

  // Runs the link: "ext:" links go to the host page with "<@" and the object's ID
  // appended; others are queued as content, recorded in the history when record is set,
  // with the object's page-turn effect ("ifx").
  void FollowLink(bool record);
  void FollowLink() { FollowLink(true); }

  const std::string& GetLink() const { return link_; }
  void SetLink(const std::string& link);
  bool HasOutline() const { return outline_; }
  void SetOutline(bool on) { outline_ = on; }
  const std::string& GetMouseOverSound() const { return mouseOverSound_; }
  void SetMouseOverSound(const std::string& url) { mouseOverSound_ = url; }
  bool IsHovered() const { return hovered_; }
  bool IsClicked() const { return clicked_; }
  bool IsHeld() const { return held_; }
  const std::string& GetPictureSource() const { return pictureSource_; }
  void SetPictureSource(const std::string& url) { pictureSource_ = url; }
  const std::string& GetMouseOverPictureSource() const { return mouseOverPictureSource_; }
  void SetMouseOverPictureSource(const std::string& url) { mouseOverPictureSource_ = url; }

 private:
  bool IsAutoScrollLink() const;
  bool FollowsClick(int button) const;
  // Shows the colour, fill and picture given; asks for a redraw when the look changes.
  void ShowLook(platform::Color color, platform::Color fill, const std::shared_ptr<ViewImage>& picture);
  void ShowPicture(const std::shared_ptr<ViewImage>& picture);
  void Invalidate();
  void PlayHoverSound();
  bool CommitLinkProperties();
  bool CommitColor(const char* name, platform::Color& field, bool currentFollows);
  bool CommitFill(const char* name, platform::Color field, void (CComponentLink::*setter)(platform::Color));
  bool CommitPicture(const char* name, std::string& source, bool isNormal);
  void ReplaceNormalPicture(std::shared_ptr<ViewImage> picture);
  void ReplaceMouseOverPicture(std::shared_ptr<ViewImage> picture);

  std::string link_;
  std::shared_ptr<ViewImage> normal_;
  std::shared_ptr<ViewImage> mouseOver_;
  std::shared_ptr<ViewImage> pressed_;
  platform::Color currentFill_ = platform::kNoColor;
  platform::Color fill_ = platform::kNoColor;
  platform::Color mouseOverFill_ = platform::kNoColor;
  platform::Color currentColor_ = kDefaultColor;
  platform::Color color_ = kDefaultColor;
  platform::Color mouseOverColor_ = kDefaultMouseOverColor;
  bool outline_ = false;
  bool hovered_ = false;
  bool clicked_ = false;
  bool held_ = false;
  std::string mouseOverSound_;
  std::string pictureSource_;
  std::string mouseOverPictureSource_;
};

}  // namespace zolvex
