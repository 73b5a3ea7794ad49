#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "objects/ObjectGroup.h"

namespace zolvex {

class CComponentRect;
class PictureButton;
class ScrollBarObject;

// A panel of page thumbnails over the view: a grid of page pictures under a title strip
// with a close button and a scroll bar. Clicking a page follows its link and hides the
// panel. It starts hidden; showing it the first time builds the pages added so far.
// Pictures may arrive on transport threads, so every operation takes the index's lock.
class PageIndex : public ObjectGroup, private ObjectListener {
 public:
  static constexpr int kPageLayer = 11;
  static constexpr int kScrollStep = 20;

  // Answers the bytes of a named picture. ask: the first request, which may start fetching
  // it; later calls only look whether it has arrived. False while it has not.
  using PictureSource = std::function<bool(const std::string& name, std::vector<std::uint8_t>& data, bool ask)>;

  // widthText and heightText: pixels, or a percentage of the view ("80%"); any other text
  // stands for "100%". position: one of the nine places ("left-top" ... "right-bottom").
  PageIndex(int thumbWidth, int thumbHeight, const std::string& widthText, const std::string& heightText,
            const std::string& position);
  ~PageIndex() override;

  void SetPictureSource(PictureSource source);
  // Queues a page; backslashes in the picture name become slashes.
  void AddPage(int number, const std::string& link, const std::string& pictureName, const std::string& tooltip,
               const std::string& tooltipSize);
  // The picture of a waiting page arrived.
  void OnPictureArrived(const std::string& name, const std::uint8_t* data, std::size_t length);

  void SetVisible(bool visible) override;
  // Lays the panel out: the index's screen rectangle is its frame.
  void UpdateScreenRect() override;
  void Draw() override;
  bool HasLinkAt(int x, int y) const override;
  bool AllowsViewDrag(int, int) const override { return false; }
  bool IsCapturingMouse() const override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  void OnClick(platform::Point point, int button) override;
  void OnClickWithOption(platform::Point point, int button, const std::string& option) override;

  // "close", "scrollup", "scrolldown", and "scrollpos" with a percentage.
  void Notify(const std::string& name, int value);

  // For the page: the sizes and places the last layout computed.
  const std::string& WidthText() const { return widthText_; }
  const std::string& HeightText() const { return heightText_; }
  int PanelWidthSetting() const;
  int PanelHeightSetting() const;
  int Columns() const;
  int VisibleHeight() const;
  int PanelWidth() const { return panelWidth_; }
  int PanelHeight() const { return panelHeight_; }
  int ScrollOffset() const { return scrollOffset_; }
  std::size_t PageCount() const;
  CComponentRect* Page(int number) const;
  ScrollBarObject& ScrollBar() const { return *scrollBar_; }

  // A width or height text as the index keeps it.
  static std::string ValidSizeText(const std::string& text);

 private:
  struct PendingPage {
    int number = 0;
    std::string link, pictureName, tooltip, tooltipSize;
  };
  enum class Drag { None, Panel, List };

  void OnObjectMouse(MapObject& object, const std::string& notification, unsigned flags,
                     platform::Point point) override;
  void Layout();
  void PlaceFixedChildren();
  void BuildPages();
  void AskWaitingPictures();
  void GivePicture(const std::string& name, std::shared_ptr<ViewImage> picture);
  void ClampScroll();
  void Redraw();
  std::string Position() const;
  int ThumbWidth() const;
  int ThumbHeight() const;
  platform::Rect ListArea() const;
  bool IsFixedChild(const MapObject* object) const;
  // The child under a screen point; pages count only inside the list area.
  MapObject* ChildUnder(platform::Point point) const;
  void DrawShadow(ViewPrimitives& view);
  void MovePanel(platform::Point point);

  mutable std::recursive_mutex lock_;
  int thumbWidth_;
  int thumbHeight_;
  std::string widthText_;
  std::string heightText_;
  std::string position_;

  PictureSource pictures_;
  std::vector<PendingPage> pending_;
  std::multimap<std::string, CComponentRect*> waiting_;  // picture name -> page
  std::map<int, CComponentRect*> pages_;
  std::vector<CComponentRect*> pageOrder_;

  PictureButton* close_ = nullptr;
  CComponentImage* title_ = nullptr;
  PictureButton* scrollUp_ = nullptr;
  ScrollBarObject* scrollBar_ = nullptr;
  PictureButton* scrollDown_ = nullptr;

  int dragX_ = 0;
  int dragY_ = 0;
  int scrollOffset_ = 0;
  int panelWidth_ = 0;
  int panelHeight_ = 0;
  int visibleHeight_ = 0;
  int listTop_ = 0;  // the list area's top in the window
  Drag drag_ = Drag::None;
  platform::Point dragFrom_;
};

}  // namespace zolvex
