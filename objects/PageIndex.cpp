#include "objects/PageIndex.h"

#include <algorithm>
#include <array>

#include "net/Pictures.h"
#include "objects/CComponentRect.h"
#include "objects/PictureButton.h"
#include "objects/ScrollBarObject.h"
#include "platform/InputEvent.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr platform::Color kWhite = platform::MakeColor(0xFF, 0xFF, 0xFF);
constexpr platform::Color kShadow = platform::MakeColor(0x81, 0x81, 0x81);
constexpr platform::Color kTitleStrip = platform::MakeColor(0xD0, 0xD0, 0xD0);
constexpr int kTitleHeight = 26;
constexpr int kTitleGrip = 32;
constexpr int kCellGap = 8;
constexpr int kOpaque = 255;

constexpr std::array<const char*, 9> kPositions = {"left-top", "top",         "right-top",
                                                   "left",     "center",      "right",
                                                   "left-bottom", "bottom", "right-bottom"};

bool IsLeft(const std::string& p) { return p == "left-top" || p == "left" || p == "left-bottom"; }
bool IsRight(const std::string& p) { return p == "right-top" || p == "right" || p == "right-bottom"; }
bool IsTop(const std::string& p) { return p == "left-top" || p == "top" || p == "right-top"; }
bool IsBottom(const std::string& p) { return p == "left-bottom" || p == "bottom" || p == "right-bottom"; }

// A size as written against the view's side: empty the whole side, "n%" a share of it,
// else pixels.
int SideFromText(const std::string& text, int side, std::size_t shortest) {
  if (text.size() < shortest) return side;
  if (text.back() == '%') return static_cast<int>(static_cast<long long>(side) * ParseInt(text) / 100);
  return ParseInt(text);
}

std::unique_ptr<PictureButton> MakeButton(const char* picture, const char* command) {
  std::shared_ptr<ViewImage> image = LoadBitmapResource(picture);
  const int width = image ? image->getWidth() : 0, height = image ? image->getHeight() : 0;
  return std::make_unique<PictureButton>(image, image, 0, 0, width, height, command);
}

}  // namespace

std::string PageIndex::ValidSizeText(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') continue;
    if (c == '%' && i + 1 == text.size()) continue;
    return "100%";
  }
  return text;
}

PageIndex::PageIndex(int thumbWidth, int thumbHeight, const std::string& widthText, const std::string& heightText,
                     const std::string& position)
    : ObjectGroup(0, 0, 0, 0, nullptr),
      thumbWidth_(thumbWidth),
      thumbHeight_(thumbHeight),
      widthText_(ValidSizeText(widthText)),
      heightText_(ValidSizeText(heightText)),
      position_(ToLower(position)) {
  SetScreenCoordinates(true);
  // Above the shapes of the page, at the layer of its own pages.
  SetLayer(kPageLayer);
  ObjectGroup::SetVisible(false);
  // The fixed children: always the first five, drawn above the pages.
  close_ = static_cast<PictureButton*>(AddChild(MakeButton("IDB_PAGEINDEX_CLOSE", "close")));
  std::shared_ptr<ViewImage> titlePicture = LoadBitmapResource("IDB_PAGEINDEX_TITLE");
  const int titleWidth = titlePicture ? titlePicture->getWidth() : 0;
  const int titleHeight = titlePicture ? titlePicture->getHeight() : 0;
  title_ = static_cast<CComponentImage*>(
      AddChild(std::make_unique<CComponentImage>(0, 0, titleWidth, titleHeight, titlePicture)));
  scrollUp_ = static_cast<PictureButton*>(AddChild(MakeButton("IDB_SCROLLBAR_UP", "scrollup")));
  scrollBar_ = static_cast<ScrollBarObject*>(AddChild(std::make_unique<ScrollBarObject>()));
  scrollDown_ = static_cast<PictureButton*>(AddChild(MakeButton("IDB_SCROLLBAR_DOWN", "scrolldown")));
  for (MapObject* child : {static_cast<MapObject*>(close_), static_cast<MapObject*>(scrollUp_),
                           static_cast<MapObject*>(scrollBar_), static_cast<MapObject*>(scrollDown_)})
    child->SetListener(this);
}

PageIndex::~PageIndex() = default;

void PageIndex::SetPictureSource(PictureSource source) {
  std::lock_guard hold(lock_);
  pictures_ = std::move(source);
}

void PageIndex::AddPage(int number, const std::string& link, const std::string& pictureName,
                        const std::string& tooltip, const std::string& tooltipSize) {
  std::lock_guard hold(lock_);
  std::string name = pictureName;
  std::replace(name.begin(), name.end(), '\\', '/');
  pending_.push_back({number, link, name, tooltip, tooltipSize});
}

void PageIndex::SetVisible(bool visible) {
  std::lock_guard hold(lock_);
  ObjectGroup::SetVisible(visible);
  if (visible) BuildPages();
}

// Each page becomes a linked rectangle of the thumb size; the fixed children move behind
// it in the child list so that they stay on top.
void PageIndex::BuildPages() {
  if (!pictures_ || pending_.empty()) return;
  std::vector<PendingPage> queued;
  queued.swap(pending_);
  for (const PendingPage& page : queued) {
    auto made = std::make_unique<CComponentRect>(0, 0, thumbWidth_, thumbHeight_, page.link, nullptr, nullptr);
    made->SetTooltip(page.tooltip);
    if (!page.tooltipSize.empty()) {
      made->SetProperty("tooltipsize", page.tooltipSize);
      made->CommitProperties();
    }
    made->SetLayer(kPageLayer);
    auto* object = static_cast<CComponentRect*>(AddChild(std::move(made)));
    pages_[page.number] = object;
    pageOrder_.push_back(object);
    waiting_.emplace(page.pictureName, object);
    for (MapObject* fixed : {static_cast<MapObject*>(close_), static_cast<MapObject*>(title_),
                             static_cast<MapObject*>(scrollUp_), static_cast<MapObject*>(scrollBar_),
                             static_cast<MapObject*>(scrollDown_)})
      MoveChildToEnd(fixed);
    std::vector<std::uint8_t> data;
    if (pictures_(page.pictureName, data, true)) OnPictureArrived(page.pictureName, data.data(), data.size());
  }
}

// Pictures that a source delivers later are looked for again before each frame.
void PageIndex::AskWaitingPictures() {
  if (!pictures_ || waiting_.empty()) return;
  std::vector<std::string> names;
  for (auto it = waiting_.begin(); it != waiting_.end(); it = waiting_.upper_bound(it->first)) names.push_back(it->first);
  for (const std::string& name : names) {
    std::vector<std::uint8_t> data;
    if (pictures_(name, data, false)) OnPictureArrived(name, data.data(), data.size());
  }
}

void PageIndex::OnPictureArrived(const std::string& name, const std::uint8_t* data, std::size_t length) {
  std::lock_guard hold(lock_);
  std::shared_ptr<ViewImage> picture = DecodePicture(data, length, -1);
  if (!picture) return;
  GivePicture(name, std::move(picture));
}

void PageIndex::GivePicture(const std::string& name, std::shared_ptr<ViewImage> picture) {
  auto [first, last] = waiting_.equal_range(name);
  for (auto it = first; it != last; ++it) it->second->SetPictures(picture, picture, picture);
  waiting_.erase(first, last);
}

// ---- Sizes and layout -------------------------------------------------------------------

int PageIndex::PanelWidthSetting() const {
  ViewPrimitives* view = GetView();
  return SideFromText(widthText_, view ? view->GetViewWidth() : 0, 1);
}

int PageIndex::PanelHeightSetting() const {
  ViewPrimitives* view = GetView();
  return SideFromText(heightText_, view ? view->GetViewHeight() : 0, 2);
}

// A thumb larger than the panel is cut to it.
int PageIndex::ThumbWidth() const { return std::max(0, std::min(thumbWidth_, PanelWidthSetting())); }
int PageIndex::ThumbHeight() const { return std::max(0, std::min(thumbHeight_, PanelHeightSetting())); }

int PageIndex::Columns() const { return (PanelWidthSetting() - 12) / (ThumbWidth() + kCellGap); }

std::size_t PageIndex::PageCount() const {
  std::lock_guard hold(lock_);
  return std::max(pageOrder_.size(), pending_.size());
}

CComponentRect* PageIndex::Page(int number) const {
  std::lock_guard hold(lock_);
  auto found = pages_.find(number);
  return found == pages_.end() ? nullptr : found->second;
}

int PageIndex::VisibleHeight() const {
  const long long pages = static_cast<long long>(PageCount());
  const int columns = Columns();
  const int th = ThumbHeight();
  long long height = 0;
  if (pages < columns) {
    height = th + 43;
  } else if (columns >= 1) {
    height = static_cast<long long>(th + kCellGap) * ((pages + columns - 1) / columns) + 27;
  }
  return static_cast<int>(std::min<long long>(height, PanelHeightSetting()));
}

std::string PageIndex::Position() const {
  ViewPrimitives* view = GetView();
  std::string position = view ? ToLower(view->GetBrowserProperty("pageindexposition")) : std::string();
  if (position.empty()) position = position_;
  if (std::find(kPositions.begin(), kPositions.end(), position) == kPositions.end()) position = "center";
  return position;
}

platform::Rect PageIndex::ListArea() const {
  return platform::Rect::FromSize(GetScreenX() + 10, listTop_, panelWidth_ - 20, visibleHeight_ - 43);
}

void PageIndex::UpdateScreenRect() {
  std::lock_guard hold(lock_);
  Layout();
}

// The frame stays where the position puts it; the pages scroll inside it by the scroll
// offset and are clipped to the list area below the title strip.
void PageIndex::Layout() {
  ViewPrimitives* view = GetView();
  const int pages = static_cast<int>(pageOrder_.size());
  if (!view || pages == 0) {
    SetScreenRect(0, 0, 0, 0);
    scrollBar_->SetVisible(false);
    return;
  }
  const int tw = ThumbWidth(), th = ThumbHeight();
  int columns = std::max(Columns(), 1);
  if (pages < columns) columns = pages + 2;
  panelWidth_ = (tw + kCellGap) * columns + 27;
  panelHeight_ = (th + kCellGap) * ((pages - 1) / columns + 1) + 35;
  visibleHeight_ = VisibleHeight();

  const std::string position = Position();
  const int viewWidth = view->GetViewWidth(), viewHeight = view->GetViewHeight();
  int x = dragX_ + (viewWidth - panelWidth_) / 2;
  if (IsLeft(position)) x = 0;
  if (IsRight(position)) x = viewWidth - panelWidth_;
  int base = (viewHeight - visibleHeight_) / 2;
  if (IsTop(position)) base = 0;
  if (IsBottom(position)) base = viewHeight - visibleHeight_;
  const int y = panelHeight_ < visibleHeight_ ? (viewHeight - panelHeight_) / 2 + dragY_ : dragY_ + base;
  SetScreenRect(x, y, panelWidth_, visibleHeight_);
  listTop_ = base + dragY_ + 33;

  const platform::Rect list = ListArea();
  for (int i = 0; i < pages; ++i) {
    CComponentRect* page = pageOrder_[i];
    SetChildPlacement(page, platform::Rect::FromSize(11 + (i % columns) * (tw + kCellGap),
                                                     scrollOffset_ + 34 + (i / columns) * (th + kCellGap), tw, th));
    page->SetClipRect(list.left, list.top, list.Width(), list.Height());
  }
  PlaceFixedChildren();
  ClampScroll();
}

void PageIndex::PlaceFixedChildren() {
  auto place = [this](MapObject* child, int x, int y, int width, int height) {
    SetChildPlacement(child, platform::Rect::FromSize(x, y, width, height));
  };
  const int v = visibleHeight_;
  place(close_, panelWidth_ - close_->GetWidth() - 5, 5, close_->GetWidth(), close_->GetHeight());
  place(scrollUp_, panelWidth_ - scrollUp_->GetWidth() - 3, 29, scrollUp_->GetWidth(), scrollUp_->GetHeight());
  place(scrollDown_, panelWidth_ - scrollDown_->GetWidth() - 3, v - scrollDown_->GetHeight() - 3,
        scrollDown_->GetWidth(), scrollDown_->GetHeight());
  place(scrollBar_, panelWidth_ - scrollDown_->GetWidth() - 3, scrollUp_->GetHeight() + 30, scrollUp_->GetWidth(),
        v - scrollUp_->GetHeight() - scrollDown_->GetHeight() - 34);
  place(title_, 10, 2, title_->GetWidth(), title_->GetHeight());
  scrollBar_->SetVisible(true);
}

// ---- Scrolling ----------------------------------------------------------------------------

void PageIndex::ClampScroll() {
  if (visibleHeight_ < panelHeight_) {
    scrollOffset_ = std::clamp(scrollOffset_, visibleHeight_ - panelHeight_, 0);
  } else {
    scrollOffset_ = 0;
  }
  if (panelHeight_ <= 0) return;
  const int barHeight = visibleHeight_ - scrollUp_->GetHeight() - scrollDown_->GetHeight() - 34;
  scrollBar_->SetThumb((visibleHeight_ / 2 - scrollOffset_) * 100 / panelHeight_,
                       visibleHeight_ * barHeight / panelHeight_);
}

void PageIndex::Notify(const std::string& name, int value) {
  std::lock_guard hold(lock_);
  if (name == "close") {
    SetVisible(false);
    Redraw();
    return;
  }
  if (name == "scrollup") {
    scrollOffset_ += kScrollStep;
  } else if (name == "scrolldown") {
    scrollOffset_ -= kScrollStep;
  } else if (name == "scrollpos") {
    scrollOffset_ = visibleHeight_ / 2 - panelHeight_ * value / 100;
  } else {
    return;
  }
  Layout();
  Redraw();
}

void PageIndex::OnObjectMouse(MapObject&, const std::string& notification, unsigned, platform::Point point) {
  Notify(notification, point.y);
}

void PageIndex::Redraw() {
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
}

// ---- Drawing ------------------------------------------------------------------------------

void PageIndex::Draw() {
  std::lock_guard hold(lock_);
  ViewPrimitives* view = GetView();
  if (!view) return;
  AskWaitingPictures();
  Layout();
  if (pageOrder_.empty()) return;
  const int x = GetScreenX(), y = GetScreenY(), w = GetScreenWidth(), v = GetScreenHeight();
  DrawShadow(*view);
  view->FillRect(x, y, w, v, kWhite);
  view->FillRect(x, y, w, kTitleHeight, kTitleStrip);
  ObjectGroup::Draw();
  view->DrawRectOutline(x, y, w, v, kWhite, 1, kPenSolid);
  view->DrawRectOutline(x - 1, y - 1, w + 2, v + 2, kWhite, 1, kPenSolid);
  view->DrawRectOutline(x - 2, y - 2, w + 4, v + 4, kShadow, 1, kPenSolid);
}

// A soft shadow to the right of and below the panel, fading outwards.
void PageIndex::DrawShadow(ViewPrimitives& view) {
  const int x = GetScreenX(), y = GetScreenY(), w = GetScreenWidth(), v = GetScreenHeight();
  for (int k = 0; k < 5; ++k) {
    view.SetDrawParameter(kDrawOpacity, 200 - 45 * k);
    view.FillRect(x + w + 2 + k, y + 5, 1, v - 3 + k, kShadow);
  }
  for (int k = 0; k < 6; ++k) {
    view.SetDrawParameter(kDrawOpacity, 200 - 36 * k);
    view.FillRect(x + 5, y + v + 2 + k, w - 2 + k, 1, kShadow);
  }
  view.SetDrawParameter(kDrawOpacity, kOpaque);
}

// ---- Mouse --------------------------------------------------------------------------------

bool PageIndex::IsFixedChild(const MapObject* object) const {
  return object == close_ || object == title_ || object == scrollUp_ || object == scrollBar_ ||
         object == scrollDown_;
}

MapObject* PageIndex::ChildUnder(platform::Point point) const {
  MapObject* child = const_cast<PageIndex*>(this)->ChildAt(point);
  if (child && !IsFixedChild(child) && !ListArea().Contains(point)) return nullptr;
  return child;
}

bool PageIndex::HasLinkAt(int x, int y) const {
  std::lock_guard hold(lock_);
  MapObject* child = ChildUnder({x, y});
  if (child == close_) return true;
  return child && !IsFixedChild(child) && child->HasLinkAt(x, y);
}

bool PageIndex::IsCapturingMouse() const {
  std::lock_guard hold(lock_);
  return drag_ != Drag::None || ObjectGroup::IsCapturingMouse();
}

void PageIndex::OnLButtonDown(unsigned flags, platform::Point point) {
  std::lock_guard hold(lock_);
  MapObject* child = ChildUnder(point);
  if (child && IsFixedChild(child) && child != title_) {
    ObjectGroup::OnLButtonDown(flags, point);
    return;
  }
  dragFrom_ = point;
  if (point.y - GetScreenY() < kTitleGrip) {
    drag_ = Drag::Panel;
  } else if (ListArea().Contains(point)) {
    drag_ = Drag::List;
  }
}

void PageIndex::OnMouseMove(unsigned flags, platform::Point point) {
  std::lock_guard hold(lock_);
  if (drag_ == Drag::Panel) {
    MovePanel(point);
    return;
  }
  if (drag_ == Drag::List) {
    if (!(flags & platform::kModLeftButton)) {
      drag_ = Drag::None;
      return;
    }
    scrollOffset_ += point.y - dragFrom_.y;
    dragFrom_ = point;
    Layout();
    Redraw();
    return;
  }
  ObjectGroup::OnMouseMove(flags, point);
}

// Only the free directions of the position move: across for the middle column, down for
// the middle row.
void PageIndex::MovePanel(platform::Point point) {
  const std::string position = Position();
  if (position == "top" || position == "center" || position == "bottom") dragX_ += point.x - dragFrom_.x;
  if (position == "left" || position == "center" || position == "right") dragY_ += point.y - dragFrom_.y;
  dragFrom_ = point;
  Layout();
  Redraw();
}

void PageIndex::OnLButtonUp(unsigned flags, platform::Point point) {
  std::lock_guard hold(lock_);
  drag_ = Drag::None;
  ObjectGroup::OnLButtonUp(flags, point);
}

void PageIndex::OnClick(platform::Point point, int button) { OnClickWithOption(point, button, ""); }

// A left click goes to the child under it and then hides the panel, unless it was one of
// the scroll controls; any other button hides it.
void PageIndex::OnClickWithOption(platform::Point point, int button, const std::string&) {
  std::lock_guard hold(lock_);
  if (button != kObjectLeftButton) {
    SetVisible(false);
    Redraw();
    return;
  }
  MapObject* child = ChildUnder(point);
  if (!child) return;
  child->OnClickWithOption({point.x - child->GetScreenX(), point.y - child->GetScreenY()}, kObjectLeftButton,
                           "NoSave");
  if (child == scrollUp_ || child == scrollDown_ || child == scrollBar_) return;
  SetVisible(false);
  Redraw();
}

}  // namespace zolvex
