#include "documents/modes/LayoutNewsDocument.h"

#include <algorithm>
#include <cmath>

#include "documents/DocumentHost.h"
#include "documents/modes/NewsSection.h"
#include "objects/CComponentRect.h"
#include "objects/ViewEvent.h"
#include "platform/ArgumentScanner.h"
#include "platform/Numbers.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "platform/WindowHost.h"

namespace zolvex {

namespace {

constexpr int kArrowLayer = 3;
constexpr platform::Color kArrowFill = 0x404040;
constexpr int kArrowOpacity = 128;
constexpr int kClickSlop = 10;   // a release this far from the press is a drag, not a click
constexpr int kKeyZoomOut = 109;  // numeric-pad minus

int Floor(double value) { return FloorToInt(std::floor(value)); }

int IntAttribute(const XmlReader& reader, const char* name) { return ParseInt(reader.GetChildAttribute(name)); }

bool Within(platform::Point a, int x, int y) { return std::abs(x - a.x) < kClickSlop && std::abs(y - a.y) < kClickSlop; }

// "page" and a decimal number (1-based): the number; 0 for any other name.
int PageNumberIn(const std::string& name) {
  if (name.size() <= 4 || !StartsWithNoCase(name, "page")) return 0;
  const std::string digits = name.substr(4);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return 0;
  return ParseInt(digits);
}

}  // namespace

LayoutNewsDocument::LayoutNewsDocument(DocumentHost& host, std::unique_ptr<MapDocument> inner)
    : PublicationDocument(&host, std::move(inner)), host_(host) {
  SetParam("DrawZoomArea", "yes");
  SetParam("universallimit", "yes");
  NewsSection::ApplyParams(*this, GetInner());
  defaultLevel_ = ParseInt(GetParam("MainLevel")) - 1;
  ReadPages();
  SetParam("PrintPageCount", std::to_string(PrintPageCount()));
  SetParam("pagecount", std::to_string(pages_.size()));
  selectionLimit_ = std::max(ParseInt(GetParam("MaxPageSelectionLevel")), 1);
  MakeArrows();
}

LayoutNewsDocument::~LayoutNewsDocument() { hooks_.Remove(host_); }

// ---- Construction -------------------------------------------------------------------------

int LayoutNewsDocument::PageLevel(const std::string& attribute) const {
  const int level = ParseInt(attribute);
  return level >= 1 ? level - 1 : defaultLevel_;
}

void LayoutNewsDocument::ReadPages() {
  std::optional<XmlReader> reader = NewsSection::Enter(GetInner());
  if (!reader) return;
  while (reader->FindChild()) {
    const std::string tag = reader->GetChildTagName();
    if (EqualsNoCase(tag, "page")) {
      AddPage({IntAttribute(*reader, "x"), IntAttribute(*reader, "y"), IntAttribute(*reader, "width"),
               IntAttribute(*reader, "height"), !IsNo(reader->GetChildAttribute("twopage")),
               PageLevel(reader->GetChildAttribute("mainlevel"))});
    } else if (EqualsNoCase(tag, "pagegrid")) {
      AddGrid(*reader);
    }
  }
}

void LayoutNewsDocument::AddPage(LayoutPage page) {
  if (page.width >= 1 && page.height >= 1) pages_.push_back(page);
}

// Row by row, left to right.
void LayoutNewsDocument::AddGrid(const XmlReader& reader) {
  const int columns = IntAttribute(reader, "columncount"), rows = IntAttribute(reader, "rowcount");
  const int level = PageLevel(reader.GetChildAttribute("mainlevel"));
  if (columns <= 0 || rows <= 0 || level <= 0) return;
  const int width = IntAttribute(reader, "pagewidth"), height = IntAttribute(reader, "pageheight");
  const long long stepX = static_cast<long long>(width) + IntAttribute(reader, "hgap");
  const long long stepY = static_cast<long long>(height) + IntAttribute(reader, "vgap");
  const int offsetX = IntAttribute(reader, "offsetx"), offsetY = IntAttribute(reader, "offsety");
  const bool twoPage = IsYes(reader.GetChildAttribute("twopage"));
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      AddPage({ClampToInt(offsetX + column * stepX), ClampToInt(offsetY + row * stepY), width, height, twoPage,
               level});
    }
  }
}

CComponentRect* LayoutNewsDocument::MakeArrow(int x, const std::string& link) {
  auto arrow = std::make_unique<CComponentRect>(x, 0, kArrowWidth, host_.GetViewHeight(), link, nullptr, nullptr);
  arrow->SetScreenCoordinates(true);
  arrow->SetLayer(kArrowLayer);
  arrow->SetFillColor(kArrowFill);
  arrow->SetMouseOverFillColor(kArrowFill);
  arrow->SetOutline(false);
  arrow->SetTransparency(kArrowOpacity);
  arrow->SetVisible(false);
  CComponentRect* made = arrow.get();
  AddObject(std::move(arrow), false);
  return made;
}

void LayoutNewsDocument::MakeArrows() {
  previousArrow_ = MakeArrow(0, "exec:prevpage,0");
  nextArrow_ = MakeArrow(host_.GetViewWidth() - kArrowWidth, "exec:nextpage,0");
}

// ---- Activation ---------------------------------------------------------------------------

void LayoutNewsDocument::Activate() {
  if (GetInner()) GetInner()->Activate();
  hooks_.Install(host_, this, this);
}

void LayoutNewsDocument::Deactivate() {
  if (GetInner()) GetInner()->Deactivate();
  hooks_.Remove(host_);
}

// ---- Pages and printed pages ----------------------------------------------------------------

platform::Rect LayoutNewsDocument::WindowRect(const LayoutPage& page) {
  const double sx = GetScaleX(), sy = GetScaleY();
  const int left = Floor(sx * page.x) - host_.ViewX();
  const int top = Floor(sy * page.y) - host_.ViewY();
  const int right = Floor(sx * (static_cast<double>(page.x) + page.width)) - host_.ViewX();
  const int bottom = Floor(sy * (static_cast<double>(page.y) + page.height)) - host_.ViewY();
  return {left, top, right, bottom};
}

int LayoutNewsDocument::PrintedPagesBefore(int index) const {
  int printed = 0;
  for (int i = 0; i < index && i < static_cast<int>(pages_.size()); ++i) printed += pages_[i].PrintedPages();
  return printed;
}

int LayoutNewsDocument::PrintPageCount() const { return PrintedPagesBefore(static_cast<int>(pages_.size())); }

int LayoutNewsDocument::LargestPageOnScreen() {
  const platform::Rect window{0, 0, host_.GetViewWidth(), host_.GetViewHeight()};
  long long largest = 0;
  int found = 0;
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    const platform::Rect r = WindowRect(pages_[i]);
    const long long width = std::min(r.right, window.right) - std::max(r.left, window.left);
    const long long height = std::min(r.bottom, window.bottom) - std::max(r.top, window.top);
    if (width > 0 && height > 0 && width * height > largest) {
      largest = width * height;
      found = i + 1;
    }
  }
  return found;
}

// Locked: the printed pages before the locked page, and one more when its right half is on
// view (its middle lies left of the window's middle); otherwise the page under the pointer.
int LayoutNewsDocument::CurrentPrintPage() {
  if (!locked_ || hovered_ < 0 || hovered_ >= static_cast<int>(pages_.size())) return pointerPrintPage_;
  const LayoutPage& page = pages_[hovered_];
  int printed = PrintedPagesBefore(hovered_);
  const int middle = Floor(GetScaleX() * (page.x + page.width / 2.0)) + 1;
  if (page.twoPage && middle < host_.GetViewWidth() / 2 + host_.ViewX()) ++printed;
  return printed;
}

// x, y, width, height, level and half of printed page k; while locked x and y are relative
// to the page.
std::string LayoutNewsDocument::PrintedPageRect(int printed) {
  for (const LayoutPage& page : pages_) {
    if (printed >= page.PrintedPages()) {
      printed -= page.PrintedPages();
      continue;
    }
    const bool right = printed == 1;
    const int width = page.twoPage ? page.width / 2 : page.width;
    int x = locked_ ? 0 : page.x, y = locked_ ? 0 : page.y;
    if (right) x += page.width / 2;
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," +
           std::to_string(page.height) + "," + std::to_string(page.mainLevel + 1) + "," +
           (page.twoPage ? "yes" : "no");
  }
  return {};
}

std::string LayoutNewsDocument::PageRecord(int index) const {
  const LayoutPage& page = pages_[index];
  return std::to_string(page.x) + "," + std::to_string(page.y) + "," + std::to_string(page.width) + "," +
         std::to_string(page.height) + "," + std::to_string(page.mainLevel + 1) + "," + (page.twoPage ? "yes" : "no");
}

std::string LayoutNewsDocument::GetParam(const std::string& name) {
  const int count = static_cast<int>(pages_.size());
  if (EqualsNoCase(name, "pagecount")) return std::to_string(count);
  if (EqualsNoCase(name, "currentpageonscreen")) return std::to_string(LargestPageOnScreen());
  if (EqualsNoCase(name, "currentprintpagenumber")) return std::to_string(CurrentPrintPage());
  const int number = PageNumberIn(name);
  if (number >= 1 && number <= count) return PageRecord(number - 1);
  if (name.size() >= 11 && StartsWithNoCase(name, "_printpage")) {
    const int printed = ParseInt(name.substr(10));
    if (printed >= 0 && printed < ParseInt(GetParam("printpagecount"))) return PrintedPageRect(printed);
  }
  return PublicationDocument::GetParam(name);
}

// ---- Pointing, locking and zooming out ----------------------------------------------------

bool LayoutNewsDocument::ComputeZoomArea(int& x, int& y, int& width, int& height) {
  const int level = GetLevel();
  if (locked_ || level >= selectionLimit_) return level < selectionLimit_ && MapDocument::ComputeZoomArea(x, y, width, height);
  int printed = 0;
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    const LayoutPage& page = pages_[i];
    const platform::Rect r = WindowRect(page);
    const bool inside = r.left < x && x < r.right && r.top < y && y < r.bottom;
    if (!inside || page.mainLevel <= level) {
      printed += page.PrintedPages();
      continue;
    }
    if (page.twoPage && (r.left + r.right) / 2 < x) ++printed;
    hovered_ = i;
    pointerPrintPage_ = printed;
    x = r.left;
    y = r.top;
    width = r.right - r.left;
    height = r.bottom - r.top;
    return true;
  }
  hovered_ = -1;
  pointerPrintPage_ = printed;
  return false;
}

void LayoutNewsDocument::PostLocked(const std::string& page) {
  ViewEvent event;
  event.name = "lockedtopage";
  event.param1 = page;
  host_.PostViewEvent(event);
}

void LayoutNewsDocument::ShowArrows(int index) {
  previousArrow_->SetVisible(index >= 1);
  nextArrow_->SetVisible(index >= 0 && index < static_cast<int>(pages_.size()) - 1);
}

// Flies to the page at its level: to its middle, or to its top when it is taller than the
// window; the outline of the zoom area stays off during the flight.
void LayoutNewsDocument::LockOnto(int index) {
  if (index < 0 || index >= static_cast<int>(pages_.size())) return;
  locked_ = true;
  const std::string drawZoomArea = host_.GetBrowserProperty("DrawZoomArea");
  const LayoutPage& page = pages_[index];
  const int level = page.mainLevel;
  const double levelWidth = GetLevelWidth(level), levelHeight = GetLevelHeight(level);
  const double fullWidth = GetFullWidth(), fullHeight = GetFullHeight();
  if (levelWidth > 0 && levelHeight > 0 && fullWidth > 0 && fullHeight > 0) {
    const int shownHeight = std::min(page.height, Floor(host_.GetViewHeight() * fullHeight / levelHeight));
    const int cx = Floor(levelWidth * (page.x + page.width / 2) / fullWidth);
    const int cy = Floor(levelHeight * (page.y + shownHeight / 2) / fullHeight);
    host_.SetBrowserProperty("DrawZoomArea", "no");
    host_.Execute("panto", std::to_string(cx) + "," + std::to_string(cy) + "," + std::to_string(level + 1));
  }
  PostLocked(std::to_string(index + 1));
  host_.SetBrowserProperty("DrawZoomArea", drawZoomArea);
  ShowArrows(index);
}

// Back up to the level of the page the pointer was on, then to the page.
void LayoutNewsDocument::GoToPage(int index) {
  const int from = hovered_ >= 0 && hovered_ < static_cast<int>(pages_.size()) ? pages_[hovered_].mainLevel : -1;
  hovered_ = index;
  if (from >= 0) {
    for (int level = GetLevel(); level > from; --level) host_.PressKey(kKeyZoomOut);
  }
  LockOnto(index);
}

void LayoutNewsDocument::Unlock() {
  PostLocked("-1");
  locked_ = false;
}

// A page that still fills the window zooms out as the view does; otherwise the view leaves
// the page for the level below.
bool LayoutNewsDocument::ZoomOutOfPage() {
  if (hovered_ < 0 || hovered_ >= static_cast<int>(pages_.size())) return false;
  const LayoutPage& page = pages_[hovered_];
  const int level = GetLevel();
  const int shownWidth = Floor(GetScaleX() * page.width), shownHeight = Floor(GetScaleY() * page.height);
  if ((shownWidth >= host_.GetViewWidth() || shownHeight >= host_.GetViewHeight()) && level != 1) return false;
  const std::string drawZoomArea = host_.GetBrowserProperty("DrawZoomArea");
  host_.SetBrowserProperty("DrawZoomArea", "yes");
  Unlock();
  host_.ZoomTo(level - 1, host_.GetViewWidth() / 2, host_.GetViewHeight() / 2, false);
  host_.SetBrowserProperty("DrawZoomArea", drawZoomArea);
  previousArrow_->SetVisible(false);
  nextArrow_->SetVisible(false);
  return true;
}

// ---- Commands -------------------------------------------------------------------------------

bool LayoutNewsDocument::HandleCommand(const std::string& name, const std::string& argument) {
  const std::string command = ToLower(name);
  const int count = static_cast<int>(pages_.size());
  if (command == "nextpage" || command == "prevpage") return StepPage(command == "nextpage");
  if (command == "unlockpage") {
    if (locked_) {
      hovered_ = -1;
      Unlock();
    }
    return true;
  }
  if (command == "gotopage") {
    if (count > 0) {
      GoToPage(std::clamp(ParseInt(argument) - 1, 0, count - 1));
      locked_ = true;
    }
    return true;
  }
  if (command == "zoomout") return ZoomOutOfPage();
  if (command == "vpanto") return PanToView(argument);
  return PublicationDocument::HandleCommand(name, argument);
}

// From the page most on screen when zoomed in, else from the first page.
bool LayoutNewsDocument::StepPage(bool next) {
  const int count = static_cast<int>(pages_.size());
  if (count == 0) return true;
  const int base = GetLevel() > 1 ? ParseInt(GetParam("currentpageonscreen")) - 1 : 0;
  GoToPage(next ? std::min(base + 1, count - 1) : std::max(base - 1, 0));
  return true;
}

// "x,y,level": the view's corner flies there, and the page it lands on is locked.
bool LayoutNewsDocument::PanToView(const std::string& argument) {
  int values[3] = {0, 0, 0};
  if (ArgumentScanner(argument).Ints(values, 3) < 3) return false;
  const int x = values[0], y = values[1], level = values[2];
  host_.Execute("panto", std::to_string(x + host_.GetViewWidth() / 2) + "," +
                             std::to_string(y + host_.GetViewHeight() / 2) + "," + std::to_string(level));
  const double sx = GetScaleX(), sy = GetScaleY();
  if (sx <= 0 || sy <= 0) return true;
  const int fx = Floor(x / sx), fy = Floor(y / sy);
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    const LayoutPage& page = pages_[i];
    const bool inside = page.x < fx && fx < page.x + page.width && page.y < fy && fy < page.y + page.height;
    if (page.mainLevel > level - 1 || !inside) continue;
    hovered_ = i;
    locked_ = true;
    PostLocked(std::to_string(i + 1));
    break;
  }
  return true;
}

// ---- Input --------------------------------------------------------------------------------

bool LayoutNewsDocument::OnLButtonDown(int x, int y, std::uint64_t) {
  leftPress_ = {x, y};
  leftHeld_ = true;
  return false;
}

// A click on the page under the pointer flies there and locks onto it.
bool LayoutNewsDocument::OnLButtonUp(int x, int y, std::uint64_t) {
  const bool held = leftHeld_;
  leftHeld_ = false;
  if (locked_ || !held || hovered_ < 0 || hovered_ >= static_cast<int>(pages_.size())) return false;
  MapObject* object = host_.ObjectAt(leftPress_.x, leftPress_.y);
  if (object && object->HasLinkAt(leftPress_.x, leftPress_.y)) return false;
  const int level = GetLevel();
  if (level >= selectionLimit_ || !Within(leftPress_, x, y) || pages_[hovered_].mainLevel < level) return false;
  LockOnto(hovered_);
  host_.GetPlatform().Window().SetCursor("default");
  host_.Redraw();
  return true;
}

bool LayoutNewsDocument::OnRButtonDown(int x, int y, std::uint64_t) {
  rightPress_ = {x, y};
  return false;
}

bool LayoutNewsDocument::OnRButtonUp(int x, int y, std::uint64_t) {
  return locked_ && Within(rightPress_, x, y) && ZoomOutOfPage();
}

}  // namespace zolvex
