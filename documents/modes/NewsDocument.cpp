#include "documents/modes/NewsDocument.h"

#include <algorithm>
#include <cmath>

#include "documents/DocumentHost.h"
#include "documents/modes/NewsBookmarks.h"
#include "documents/modes/NewsSection.h"
#include "documents/modes/NewsSpine.h"
#include "objects/ViewEvent.h"
#include "platform/ArgumentScanner.h"
#include "platform/EmbeddedResource.h"
#include "platform/InputEvent.h"
#include "platform/Numbers.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "platform/WindowHost.h"

namespace zolvex {

namespace {

// The view's settings the document changes while it is shown, put back when it goes.
constexpr const char* kSavedProperties[] = {"minlevel",      "maxlevel",  "scrollstep",   "scrolldelay",
                                            "flipanimation", "flipsound", "snapzoomlevel"};
// The ones it copies from its own parameters.
constexpr const char* kCopiedProperties[] = {"maxlevel", "scrollstep", "scrolldelay", "flipanimation", "flipsound"};

constexpr int kScrollStep = 24;  // pixels per scroll command or wheel notch when zoomed in
constexpr int kKeyStep = 8;      // pixels per arrow key
constexpr int kClickSlop = 10;   // a release this far from the press is a drag, not a click
constexpr int kLowestPriority = 0;

bool IsReversed(DocumentHost& host) { return EqualsNoCase(host.GetBrowserProperty("reversepage"), "YES"); }

// A cursor the library holds a picture of, or "" (the view's cursor then stays).
std::string CursorIfPresent(const char* name) { return platform::FindResource(name) ? name : ""; }

int FloorTimes(long long value, long long numerator, long long denominator) {
  if (denominator == 0) return 0;
  return ClampToInt(static_cast<long long>(std::floor(static_cast<double>(value) * numerator / denominator)));
}

// "%d,%d": the numbers read, at most two.
int ScanTwo(const std::string& argument, int values[2]) { return ArgumentScanner(argument).Ints(values, 2); }

}  // namespace

NewsDocument::NewsDocument(DocumentHost& host, std::unique_ptr<MapDocument> inner)
    : PublicationDocument(&host, std::move(inner)), host_(host) {
  SetParam("doublepage", "yes");
  for (const char* name : kSavedProperties) SetParam(std::string(name) + "_backup", host_.GetBrowserProperty(name));
  ReadNewsMarkup();
  ReadSettings();
  PassParamsToView();
  CountSpreads();
  windowWidth_ = host_.GetViewWidth();
  windowHeight_ = host_.GetViewHeight();
  ComputeMainLevel();
  SetInitialContentRect();
  LoadCursors();
  MeasureCacheSpread();
  // The view takes the new position when the document becomes current: no redraw of the
  // content still shown.
  if (IsValid()) host_.SetPosition(FloorToInt(offsetX_ * GetScaleX()), FloorToInt(offsetY_ * GetScaleY()), false, false);
  MakeSpine();
  MakeBookmarks();
}

NewsDocument::~NewsDocument() {
  hooks_.Remove(host_);
  host_.SetContentRect(0, 0, 0, 0);
}

// ---- Construction -------------------------------------------------------------------------

// The "param" children of "news" land in the inner document; "page" children give the
// per-page flags.
void NewsDocument::ReadNewsMarkup() {
  NewsSection::ApplyParams(*this, GetInner());
  std::optional<XmlReader> reader = NewsSection::Enter(GetInner());
  if (!reader) return;
  while (reader->FindChild("PAGE")) {
    const int page = ParseInt(reader->GetChildAttribute("PAGENUM"));
    if (page <= 0) continue;
    for (const char* flag : {"onepageflip", "twopagelock"}) {
      const std::string value = reader->GetChildAttribute(flag);
      if (!value.empty()) SetParam(flag + std::to_string(page), IsYes(value) ? "yes" : "no");
    }
  }
}

void NewsDocument::ReadSettings() {
  auto number = [this](const char* name) { return ParseInt(GetParam(name)); };
  row_ = EqualsNoCase(GetParam("direction"), "horizontal");
  pageWidth_ = number("PageWidth");
  pageHeight_ = number("PageHeight");
  onePageFlip_ = IsYes(GetParam("onepageflip"));
  twoPageLock_ = IsYes(GetParam("twopagelock"));
  arrowRange_ = number("ArrowRange");
  pageArrows_ = !IsNo(GetParam("PageArrows"));
  cacheLevel_ = std::max(number("CacheLevel"), 0);
  shadowStyle_ = number("ShadowStyle");
  shadowOffset_ = number("ShadowOffset");
  shadowStart_ = number("ShadowStartPage") / 2;
  allowShadow_ = !IsNo(GetParam("AllowShadow"));
  offsetX_ = number("offsetx");
  offsetY_ = number("offsety");
  gotohPageInc_ = number("gotohpageinc");
}

void NewsDocument::PassParamsToView() {
  for (const char* name : kCopiedProperties) host_.SetBrowserProperty(name, GetParam(name));
  host_.SetBrowserProperty("snapzoomlevel", "0");
}

void NewsDocument::CountSpreads() {
  if (!IsValid()) return;
  const int down = pageHeight_ >= 1 ? GetFullHeight() / pageHeight_ : 1;
  const int across = pageWidth_ >= 1 ? GetFullWidth() / pageWidth_ : 1;
  spreadCount_ = std::max(1, down) * std::max(1, across);
  SetParam("pagecount", std::to_string(spreadCount_));
}

platform::Size NewsDocument::SpreadSizeAt(int level) {
  return {FloorTimes(GetLevelWidth(level), pageWidth_, GetFullWidth()),
          FloorTimes(GetLevelHeight(level), pageHeight_, GetFullHeight())};
}

// The highest level at which a whole spread fits the window.
int NewsDocument::FittingLevel() {
  int level = 0;
  while (level + 1 < GetLevelCount()) {
    const platform::Size spread = SpreadSizeAt(level + 1);
    if (spread.width > windowWidth_ || spread.height > windowHeight_) break;
    ++level;
  }
  return level;
}

void NewsDocument::ComputeMainLevel() {
  if (!IsValid()) return;
  mainLevel_ = FittingLevel();
  const platform::Size spread = SpreadSizeAt(mainLevel_);
  spreadWidth_ = spread.width;
  spreadHeight_ = spread.height;
  host_.SetBrowserProperty("minlevel", std::to_string(mainLevel_ + 1));
}

void NewsDocument::SetInitialContentRect() {
  if (!IsValid()) return;
  if (IsReversed(host_)) {
    const int columns = std::max(1, pageWidth_ >= 1 ? GetFullWidth() / pageWidth_ : 1);
    host_.SetContentRect(pageWidth_ * (columns - 1), 0, pageWidth_ * columns, pageHeight_);
  } else {
    host_.SetContentRect(0, 0, pageWidth_, pageHeight_);
  }
}

void NewsDocument::LoadCursors() {
  leftCursor_ = CursorIfPresent("IDC_CURSOR_LEFT");
  rightCursor_ = CursorIfPresent("IDC_CURSOR_RIGHT");
  upCursor_ = CursorIfPresent("IDC_CURSOR_UP");
  downCursor_ = CursorIfPresent("IDC_CURSOR_DOWN");
  if (IsYes(host_.GetBrowserProperty("usehintcursor"))) {
    lowCursor1_ = CursorIfPresent("IDC_CURSOR_LOW1");
    lowCursor2_ = CursorIfPresent("IDC_CURSOR_LOW2");
  }
}

// The spread size where spreads are fetched ahead. The document ends at its main level.
void NewsDocument::MeasureCacheSpread() {
  if (!IsValid()) return;
  cacheLevel_ = std::min(cacheLevel_, GetLevelCount() - 1);
  cacheWidth_ = spreadWidth_;
  cacheHeight_ = spreadHeight_;
  if (cacheLevel_ != mainLevel_) {
    SetLevel(cacheLevel_);
    cacheWidth_ = FloorTimes(GetWidth(), pageWidth_, GetFullWidth());
    cacheHeight_ = FloorTimes(GetHeight(), pageHeight_, GetFullHeight());
  }
  SetLevel(mainLevel_);
}

void NewsDocument::MakeSpine() {
  if (onePageFlip_ || !allowShadow_ || !IsValid()) return;
  spine_ = std::make_unique<NewsSpine>(*this, row_, shadowStyle_ != 0, shadowOffset_, spreadWidth_, spreadHeight_,
                                       GetLevelHeight(mainLevel_));
  if (!row_) shadowStyle_ = 0;
  spine_->Hide();
}

void NewsDocument::MakeBookmarks() {
  if (!IsYes(GetParam("AllowBookmark"))) return;
  const NewsBookmarks::Layout layout = NewsBookmarks::ReadLayout(*this);
  if (layout.count < 1) return;
  bookmarks_ = std::make_unique<NewsBookmarks>(*this, layout, spreadCount_, spreadWidth_, spreadHeight_, mainLevel_);
  PlaceTabsOnSpread();
}

// At the main level a spread smaller than the window stands in its middle.
void NewsDocument::PlaceTabsOnSpread() {
  if (bookmarks_)
    bookmarks_->SetSpreadMargin(std::max(windowWidth_ - spreadWidth_, 0) / 2, std::max(windowHeight_ - spreadHeight_, 0) / 2);
}

// ---- Activation ---------------------------------------------------------------------------

void NewsDocument::Activate() {
  if (GetInner()) GetInner()->Activate();
  normalCursor_ =
      IsYes(host_.GetBrowserProperty("usehintcursor")) ? host_.GetPlatform().Window().CurrentCursor() : "default";
  hooks_.Install(host_, this, this);
}

void NewsDocument::Deactivate() {
  if (GetInner()) GetInner()->Deactivate();
  hooks_.Remove(host_);
  for (const char* name : kSavedProperties) host_.SetBrowserProperty(name, GetParam(std::string(name) + "_backup"));
}

// ---- Parameters ---------------------------------------------------------------------------

std::string NewsDocument::GetParam(const std::string& name) {
  const std::size_t comma = name.find(',');
  if (comma != std::string::npos && EqualsNoCase(name.substr(0, comma), "getbookmark")) {
    const int tab = ParseInt(name.substr(comma + 1)) - 1;
    return std::to_string(bookmarks_ ? bookmarks_->SpreadOf(tab) : -1);
  }
  if (EqualsNoCase(name, "getbookmarknum")) return std::to_string(bookmarks_ ? bookmarks_->Count() : 0);
  if (EqualsNoCase(name, "isonepageflip") && currentSpread_ >= 1) return OnePageFlipOf(currentSpread_);
  return PublicationDocument::GetParam(name);
}

std::string NewsDocument::OnePageFlipOf(int spread) {
  std::string value = GetParam("onepageflip" + std::to_string(spread));
  return value.empty() ? GetParam("onepageflip") : value;
}

int NewsDocument::GetPrintWidth() {
  const int width = ParseInt(GetParam("PrintWidth"));
  if (width >= 10) return width;
  return onePageFlip_ ? pageWidth_ : pageWidth_ / 2;
}

int NewsDocument::GetPrintHeight() {
  const int height = ParseInt(GetParam("PrintHeight"));
  return height >= 10 ? height : pageHeight_;
}

// ---- Drawing ------------------------------------------------------------------------------

int NewsDocument::CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int a,
                                   int b) {
  if (GetLevel() < 0) return 0;
  const int count = PublicationDocument::CollectDrawItems(items, x, y, width, height, a, b);
  const bool forward = row_ ? x >= lastX_ : y >= lastY_;
  const int spread = std::max(host_.PageAt(-1, -1), 1);
  UpdateSpine(spread);
  if (spread != currentSpread_) {
    if (bookmarks_) bookmarks_->Relay(spread);
    FetchAhead(spread, forward);
  }
  lastX_ = x;
  lastY_ = y;
  if (b == 0) {
    currentSpread_ = GetLevel() < mainLevel_ ? -1 : spread;
    targetSpread_ = -1;
  }
  return count;
}

void NewsDocument::UpdateSpine(int spread) {
  if (!spine_) return;
  int x = 0, y = 0;
  const bool shown = GetLevel() == mainLevel_ && !IsYes(OnePageFlipOf(currentSpread_)) && shadowStart_ < spread &&
                     host_.PageOrigin(spread, x, y);
  if (shown) spine_->Show(x, y, GetWidth(), GetHeight());
  else spine_->Hide();
}

// The spread now shown and the next two in the direction of travel; further ones when the
// spreads ahead are fetched at another level than the main one.
void NewsDocument::FetchAhead(int spread, bool forward) {
  const int step = forward ? 1 : -1;
  FetchSpread(spread);
  const int reach = cacheLevel_ != mainLevel_ ? 6 : 2;
  for (int distance = 1; distance <= reach; ++distance) FetchSpread(spread + step * distance);
}

void NewsDocument::FetchSpread(int spread) {
  if (!IsValid() || IsYes(host_.GetBrowserProperty("localcontent")) || spread < 1 || spread > spreadCount_) return;
  int tileWidth = 0, tileHeight = 0;
  if (!GetTileSize(cacheLevel_, tileWidth, tileHeight)) return;
  int firstColumn = 0, lastColumn = cacheWidth_ / tileWidth;
  int firstRow = 0, lastRow = cacheHeight_ / tileHeight;
  if (row_) {
    firstColumn = FloorTimes(spread - 1, cacheWidth_, tileWidth);
    lastColumn = firstColumn + cacheWidth_ / tileWidth;
  } else {
    firstRow = FloorTimes(spread - 1, cacheHeight_, tileHeight);
    lastRow = firstRow + cacheHeight_ / tileHeight;
  }
  for (int row = firstRow; row <= lastRow; ++row) {
    for (int column = firstColumn; column <= lastColumn; ++column)
      RequestTileAhead(cacheLevel_, column, row, kLowestPriority);
  }
}

// ---- The view's position --------------------------------------------------------------------

void NewsDocument::OnViewChanged(int, int& x, int& y, int width, int height, int level, int mode, int px, int py) {
  if (mode & 2) {
    currentSpread_ = -1;
    targetSpread_ = -1;
    host_.SetContentRect(0, 0, 0, 0);
    return;
  }
  if (width != windowWidth_ || height != windowHeight_) {
    windowWidth_ = width;
    windowHeight_ = height;
    const bool newMainLevel = IsValid() && FittingLevel() != mainLevel_;
    if (newMainLevel) ApplyNewMainLevel();
    PlaceTabsOnSpread();
    if (newMainLevel) return;
  }
  if (GetLevel() < 0) return;
  host_.SetContentRect(0, 0, 0, 0);
  // After a zoom the view stays on its spread: the one a move just went to, when the frame
  // that shows it has not been drawn yet (a page turn ends with a zoom report).
  int spread = targetSpread_ >= 1 ? targetSpread_ : currentSpread_;
  if (!(mode & 1)) {
    spread = px == -1 && py == -1 ? host_.PageAt(x, y) : host_.PageAt(px, py);
    targetSpread_ = spread;
  }
  LockToSpread(level, spread, x, y, width, height);
}

void NewsDocument::ApplyNewMainLevel() {
  ComputeMainLevel();
  if (bookmarks_) bookmarks_->SetMainLevel(mainLevel_, spreadWidth_, spreadHeight_);
  if (spine_) spine_->SetSpreadSize(spreadWidth_, spreadHeight_);
  currentSpread_ = -1;  // the next frame lays the set tabs out for the new spread size
  if (GetLevel() != mainLevel_) {
    SetLevel(mainLevel_);
    host_.ValidatePosition(false);
  }
}

// The content rectangle: the spread, or zoomed in without "twopagelock" the page of it that
// holds the window's centre.
void NewsDocument::LockToSpread(int level, int spread, int x, int y, int windowWidth, int windowHeight) {
  const int levelWidth = GetWidth();
  const int spreadWidth = FloorTimes(levelWidth, pageWidth_, GetFullWidth());
  if (spread < 1 || spreadWidth <= 0) return;
  const int columns = (levelWidth - spreadWidth / 10) / spreadWidth + 1;
  const int column = IsReversed(host_) ? columns - (spread - 1) % columns - 1 : (spread - 1) % columns;
  const int row = (spread - 1) / columns;
  int left = offsetX_ + pageWidth_ * column;
  int top = offsetY_ + pageHeight_ * row;
  int width = pageWidth_;
  int height = pageHeight_;
  if (OnePageFlipOf(currentSpread_).empty() && !twoPageLock_ && level > mainLevel_) {
    if (row_) {
      width = pageWidth_ / 2;
      if (GetScaleX() * (left + pageWidth_ / 2) < x + windowWidth / 2) left += pageWidth_ / 2;
    } else {
      height = pageHeight_ / 2;
      if (GetScaleY() * (top + pageHeight_ / 2) < y + windowHeight / 2) top += pageHeight_ / 2;
    }
  }
  host_.SetContentRect(left, top, left + width, top + height);
}

bool NewsDocument::ComputeZoomArea(int& x, int& y, int& width, int& height) {
  const int level = GetLevel();
  if (level == mainLevel_) {
    const platform::Size spread = SpreadSizeAt(level);
    width = spread.width / 2;
    height = spread.height;
    x = x < width ? 0 : width + 1;
    y = 0;
    return true;
  }
  if (level == mainLevel_ - 1) {
    const int spread = host_.PageAt(x + host_.ViewX(), y + host_.ViewY());
    int originX = 0, originY = 0;
    if (!host_.PageOrigin(spread, originX, originY)) return false;
    x = originX - host_.ViewX();
    y = originY - host_.ViewY();
    const platform::Size size = SpreadSizeAt(level);
    width = size.width;
    height = size.height;
    return true;
  }
  return MapDocument::ComputeZoomArea(x, y, width, height);
}

void NewsDocument::SetScale(double sx, double sy) {
  const double oldX = GetStoredScaleX(), oldY = GetStoredScaleY();
  if (sx != oldX && oldX != 0) {
    pageWidth_ = SaturateToInt(pageWidth_ * sx / oldX);
    spreadWidth_ = SaturateToInt(spreadWidth_ * sx / oldX);
  }
  if (sy != oldY && oldY != 0) {
    pageHeight_ = SaturateToInt(pageHeight_ * sy / oldY);
    spreadHeight_ = SaturateToInt(spreadHeight_ * sy / oldY);
  }
  PublicationDocument::SetScale(sx, sy);
  if (!spine_ || spine_->IsBinder() || shadowStart_ >= currentSpread_ || pageWidth_ <= 0) return;
  spine_->SetSpreadSize(spreadWidth_, spreadHeight_);
  const int columns = (GetFullWidth() + pageWidth_ - 1) / pageWidth_;
  spine_->PlaceInRow((currentSpread_ - 1) % std::max(columns, 1), spreadCount_);
}

// ---- Commands -------------------------------------------------------------------------------

bool NewsDocument::HandleCommand(const std::string& name, const std::string& argument) {
  const std::string command = ToLower(name);
  if (command == "nextpage" || command == "prevpage") return TurnPage(command, argument);
  if (command == "scrollleft" || command == "scrollright") return ScrollOrTurn(command == "scrollleft");
  if (command == "wheel") return Wheel(argument);
  if (command == "gotohpage") return GotoHPage(argument);
  if (command == "gotopage") return GotoPage(argument);
  if (command == "bookmark") {
    ToggleBookmark(argument);
    return true;
  }
  if (command == "setbookmark") {
    SetBookmark(argument);
    return PublicationDocument::HandleCommand(name, argument);
  }
  if (command == "unsetbookmark") {
    UnsetBookmark(argument);
    return PublicationDocument::HandleCommand(name, argument);
  }
  if (command == "zoomleftpage" && GetLevel() == mainLevel_) return ZoomIntoPage(command, 100);
  if (command == "zoomrightpage" && GetLevel() == mainLevel_) return ZoomIntoPage(command, pageWidth_ + 100);
  return PublicationDocument::HandleCommand(name, argument);
}

// Zoomed in, the view first returns to the main level over the spread; there the spread
// before or after is shown, or past either end the content shown before.
bool NewsDocument::TurnPage(const std::string& name, const std::string& argument) {
  const int spread = host_.PageAt(-1, -1);
  if (IsZoomedIn()) {
    host_.ZoomTo(mainLevel_, spreadWidth_ * (spread - 1), 0, false);
    host_.Redraw();
    host_.Execute(name, argument);
    return true;
  }
  const int target = name == "nextpage" ? spread + 1 : spread - 1;
  if ((target > spreadCount_ || target < 1) && host_.HistoryLength() > 1) {
    host_.GoBack();
    return true;
  }
  GoToSpread(std::clamp(target, 1, spreadCount_));
  return true;
}

bool NewsDocument::ScrollOrTurn(bool back) {
  if (IsZoomedIn()) {
    MoveView(0, back ? -kScrollStep : kScrollStep);
    return true;
  }
  return TurnPage(back ? "prevpage" : "nextpage", "");
}

bool NewsDocument::Wheel(const std::string& argument) {
  int values[3] = {0, 0, 0};
  if (ArgumentScanner(argument).Ints(values, 3) < 1 || values[0] == 0) return true;
  const bool up = values[0] > 0;
  if (IsZoomedIn()) {
    MoveView(0, up ? -kScrollStep : kScrollStep);
    return true;
  }
  return TurnPage(up ? "prevpage" : "nextpage", "");
}

bool NewsDocument::GotoHPage(const std::string& argument) {
  int values[2] = {0, 0};
  const int read = ScanTwo(argument, values);
  if (read == 0) return true;
  if (read == 2) SetLevel(values[1] - 1);
  GoToSpread((values[0] + gotohPageInc_ - 1) / 2 + 1);
  return true;
}

// One number: a spread. Two: a page and a level; beyond the main level the view zooms into
// that page of its spread.
bool NewsDocument::GotoPage(const std::string& argument) {
  int values[2] = {0, 0};
  const int read = ScanTwo(argument, values);
  if (read == 0) return true;
  const int page = values[0];
  if (read == 2 && values[1] - 1 > mainLevel_) {
    host_.ZoomTo(mainLevel_, FloorTimes(page + 1, spreadWidth_, 2), 0, false);
    host_.Redraw();
    int x = 0, y = 0;
    if (host_.PageOrigin((page + 1) / 2, x, y)) host_.ScrollTo(x, y);
    host_.Execute(page % 2 != 0 ? "zoomleftpage" : "zoomrightpage", "");
    return true;
  }
  if (read == 2) SetLevel(values[1] - 1);
  GoToSpread(page);
  return true;
}

void NewsDocument::GoToSpread(int spread) {
  int x = 0, y = 0;
  if (!host_.PageOrigin(spread, x, y)) return;
  if (IsZoomedIn()) {
    host_.ZoomTo(mainLevel_, spreadWidth_ * (spread - 1), 0, false);
    host_.Redraw();
    if (!host_.PageOrigin(spread, x, y)) return;
  }
  host_.ScrollTo(x, y);
}

bool NewsDocument::ZoomIntoPage(const std::string&, int x) {
  host_.ZoomAt(x, 100, 1);
  return true;
}

void NewsDocument::MoveView(int dx, int dy) { host_.SetPosition(host_.ViewX() + dx, host_.ViewY() + dy, true, true); }

void NewsDocument::Post(const std::string& name, const std::string& param1, const std::string& param2) {
  ViewEvent event;
  event.name = name;
  event.param1 = param1;
  event.param2 = param2;
  host_.PostViewEvent(event);
}

// ---- Bookmarks ----------------------------------------------------------------------------

// A tab's own link: an empty tab marks the spread shown, a tab of that spread is cleared, a
// tab of another spread goes there.
void NewsDocument::ToggleBookmark(const std::string& argument) {
  const int tab = ParseInt(argument);
  if (!bookmarks_ || tab < 0 || tab >= bookmarks_->Count()) return;
  const int spread = host_.PageAt(-1, -1);
  const int marked = bookmarks_->SpreadOf(tab);
  if (marked == spread) {
    bookmarks_->Clear(tab);
    host_.Redraw();
    Post("unsetbookmark", std::to_string(tab + 1), "");
  } else if (marked >= 0) {
    GoToSpread(marked);
  } else {
    bookmarks_->Set(tab, spread);
    host_.Redraw();
    Post("setbookmark", std::to_string(tab + 1), std::to_string(spread));
  }
}

void NewsDocument::SetBookmark(const std::string& argument) {
  int values[2] = {0, 0};
  if (ScanTwo(argument, values) < 2 || !bookmarks_) return;
  const int tab = values[0] - 1;
  if (values[1] <= 0) {
    UnsetBookmark(argument);
  } else if (tab >= 0 && tab < bookmarks_->Count()) {
    bookmarks_->Set(tab, values[1]);
    currentSpread_ = -1;  // the next draw lays the tabs out again
  }
}

void NewsDocument::UnsetBookmark(const std::string& argument) {
  const int tab = ParseInt(argument) - 1;
  if (bookmarks_ && tab >= 0 && tab < bookmarks_->Count()) bookmarks_->Clear(tab);
}

// ---- Input --------------------------------------------------------------------------------

void NewsDocument::ShowCursor(const std::string& cursor) {
  platform::WindowHost& window = host_.GetPlatform().Window();
  if (!cursor.empty() && window.CurrentCursor() != cursor) window.SetCursor(cursor);
}

// The cursor tells what a click does at the window's edges. Over the click zones, with no
// object under the pointer, the move stops here: the view would put its own cursor back.
bool NewsDocument::OnMouseMove(int x, int y, unsigned, std::uint64_t) {
  if (IsZoomedIn() || !pageArrows_ || leftHeld_) return false;
  std::string cursor;
  bool inZone = false;
  if (row_) {
    inZone = x < arrowRange_ || x > host_.GetViewWidth() - arrowRange_;
    if (x < arrowRange_) cursor = leftCursor_;
    else if (x < host_.GetViewWidth() / 2) cursor = lowCursor2_;
    else if (x > host_.GetViewWidth() - arrowRange_) cursor = rightCursor_;
    else cursor = lowCursor1_;
  } else {
    inZone = y < arrowRange_ || y > host_.GetViewHeight() - arrowRange_;
    if (y < arrowRange_) cursor = upCursor_;
    else if (y > host_.GetViewHeight() - arrowRange_) cursor = downCursor_;
    else cursor = normalCursor_;
  }
  ShowCursor(cursor);
  return inZone && !cursor.empty() && !host_.ObjectAt(x, y);
}

bool NewsDocument::OnLButtonDown(int x, int y, std::uint64_t) {
  leftPress_ = {x, y};
  leftHeld_ = true;
  return false;
}

bool NewsDocument::Within10(int x, int y, platform::Point press) const {
  return std::abs(x - press.x) < kClickSlop && std::abs(y - press.y) < kClickSlop;
}

bool NewsDocument::OnLButtonUp(int x, int y, std::uint64_t) {
  if (!leftHeld_ || IsZoomedIn() || IsNo(GetParam("pagearrows"))) return false;
  leftHeld_ = false;
  MapObject* object = host_.ObjectAt(x, y);
  if (object && object->HasLinkAt(x, y)) return false;
  if (!Within10(x, y, leftPress_)) return false;
  const int along = row_ ? x : y;
  const int size = row_ ? host_.GetViewWidth() : host_.GetViewHeight();
  if (along >= arrowRange_ && along <= size - arrowRange_) return false;
  host_.Execute(along < arrowRange_ ? "prevpage" : "nextpage", "");
  return true;
}

bool NewsDocument::OnRButtonUp(int x, int y, std::uint64_t) {
  if (GetLevel() != mainLevel_) return false;
  if (row_) host_.Execute(x > host_.GetViewWidth() / 2 ? "snapright" : "snapleft", "");
  else host_.Execute(y > host_.GetViewHeight() / 2 ? "nextpage" : "prevpage", "");
  return true;
}

bool NewsDocument::OnKeyDown(int key, int, unsigned, std::uint64_t) {
  const bool atMain = GetLevel() == mainLevel_;
  const bool across = key == platform::kKeyLeft || key == platform::kKeyRight;
  const bool down = key == platform::kKeyUp || key == platform::kKeyDown;
  if (!across && !down) return false;
  const bool back = key == platform::kKeyLeft || key == platform::kKeyUp;
  // Along the spreads' direction the keys turn pages at the main level.
  if (atMain && (row_ ? across : down)) {
    host_.Execute(back ? "prevpage" : "nextpage", "");
  } else if (across) {
    MoveView(back ? -kKeyStep : kKeyStep, 0);
  } else {
    MoveView(0, back ? -kKeyStep : kKeyStep);
  }
  return true;
}

}  // namespace zolvex
