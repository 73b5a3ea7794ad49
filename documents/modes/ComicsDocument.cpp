#include "documents/modes/ComicsDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "documents/DocumentHost.h"
#include "documents/XmlReader.h"
#include "documents/XmmlDocument.h"
#include "documents/modes/PageIndicator.h"
#include "documents/modes/PageScroller.h"
#include "image/ViewImage.h"
#include "net/Pictures.h"
#include "objects/CComponentImage.h"
#include "objects/ObjectGroup.h"
#include "objects/PictureButton.h"
#include "objects/ViewEvent.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "platform/WindowHost.h"

namespace zolvex {

namespace {

constexpr int kButtonSize = 20;
constexpr int kPanelStep = 30;   // the panel's buttons stand 30 pixels apart
constexpr int kClickSlack = 9;   // a press and release this close make a click
constexpr int kIndicatorWidth = 40;
constexpr const char* kNormalCursor = "default";
constexpr int kPagesAhead = 3;      // pages fetched ahead on either side
constexpr int kLowestPriority = 0;  // tiles fetched ahead wait for the ones shown

std::shared_ptr<ViewImage> Picture(const char* name) { return std::shared_ptr<ViewImage>(LoadBitmapResource(name)); }

// A page size as the parameters keep it: whole pixels without a fraction.
std::string SizeText(double size) {
  if (size == std::floor(size) && std::abs(size) < 1e15) return std::to_string(static_cast<long long>(size));
  std::ostringstream text;
  text << size;
  return text.str();
}

std::string FileNameOf(const std::string& url) {
  const std::size_t slash = url.find_last_of("/\\");
  return slash == std::string::npos ? url : url.substr(slash + 1);
}

}  // namespace

ComicsDocument::ComicsDocument(DocumentHost& host, std::unique_ptr<MapDocument> inner, const std::string& markup,
                               const std::string& url)
    : PublicationDocument(&host, std::move(inner)), url_(url), fromComicsFile_(!markup.empty()) {
  platform::SettingsStore& settings = host.GetPlatform().Settings();
  ComicsBookmarks::Prune(settings);
  host.SetBrowserProperty("ShowExit", "no");
  SetParam("smoothzoom", "no");
  SetParam("reportpage", "yes");
  ReadComicsParams(markup);
  if (GetParam("id").empty()) SetParam("id", FileNameOf(url));
  zones_ = GetLevelCount() == 1 ? 3 : 7;
  bookmarks_ = std::make_unique<ComicsBookmarks>(settings, GetParam("id"));
  CreateToolbar();
  if (!IsValid()) return;
  saved_ = bookmarks_->Load();
  LayOutPages();
  ApplyPlaySettings();
}

ComicsDocument::~ComicsDocument() {
  if (active_) Deactivate();
}

// Every param of the comics section goes to the inner document.
void ComicsDocument::ReadComicsParams(const std::string& markup) {
  XmlReader reader;
  if (!markup.empty()) {
    reader.Parse(markup);
  } else if (auto* xmml = dynamic_cast<XmmlDocument*>(GetInner())) {
    reader = xmml->Reader();
  }
  reader.ResetPosition();
  if (!reader.FindNext("XMML") || !reader.FindChild("COMICS") || !reader.EnterChild()) return;
  while (reader.FindChild("PARAM")) {
    std::string name = reader.GetChildAttribute("NAME");
    if (!name.empty()) SetParam(name, reader.GetChildAttribute("VALUE"));
  }
}

// ---- Toolbar ------------------------------------------------------------------------------

PictureButton* ComicsDocument::AddButton(const char* picture, int x, int y, const std::string& command) {
  std::shared_ptr<ViewImage> image = Picture(picture);
  auto button = std::make_unique<PictureButton>(image, image, x, y, kButtonSize, kButtonSize, command);
  button->SetScreenCoordinates(true);
  button->SetKeyTransparent(true);
  button->SetListener(this);
  button->SetView(&GetHost()->ObjectView());
  PictureButton* raw = button.get();
  AddObject(std::move(button), false);
  return raw;
}

void ComicsDocument::CreateToolbar() {
  DocumentHost& host = *GetHost();
  const bool alongTop = EqualsNoCase(GetParam("menudirection"), "horizontal");
  prevButton_ = AddButton("IDB_PREV", 0, 0, "prevpage");
  nextButton_ = AddButton("IDB_NEXT", 0, 0, "nextpage");
  if (!GetParam("mode").empty()) modeButton_ = AddButton("IDB_MODE", 0, 0, "mode");
  playPicture_ = Picture("IDB_PLAY");
  pausePicture_ = Picture("IDB_PAUSE");
  playButton_ = AddButton("IDB_PLAY", 0, 0, "play");

  // The panel runs along the top for a horizontal menu, else down the right edge.
  const int panelLength = 4 * kPanelStep;
  auto panel = alongTop ? std::make_unique<ObjectGroup>(0, 0, panelLength, kButtonSize + 4, nullptr)
                        : std::make_unique<ObjectGroup>(0, 0, kButtonSize + 4, panelLength, nullptr);
  panel->SetScreenCoordinates(true);
  panel->SetLayer(PictureButton::kLayer);
  panel->SetView(&host.ObjectView());
  const char* panelButtons[][2] = {{"IDB_MAGNIFIER", "magnifier"}, {"IDB_RELOAD", "reload"}, {"IDB_CONFIG", "config"}};
  int step = kPanelStep;
  for (const auto& [picture, command] : panelButtons) {
    std::shared_ptr<ViewImage> image = Picture(picture);
    auto button = std::make_unique<PictureButton>(image, image, alongTop ? step : 2, alongTop ? 2 : step, kButtonSize,
                                                  kButtonSize, command);
    button->SetKeyTransparent(true);
    button->SetListener(this);
    panel->AddChild(std::move(button));
    step += kPanelStep;
  }
  panel_ = panel.get();
  panel_->SetVisible(!IsYes(host.GetBrowserProperty("autohide")));
  AddObject(std::move(panel), false);

  auto scroller = std::make_unique<PageScroller>(0, 0, 0, kButtonSize, Picture("IDB_SCROLLER"));
  scroller->SetListener(this);
  scroller->SetView(&host.ObjectView());
  scroller_ = scroller.get();
  AddObject(std::move(scroller), false);
  for (PageIndicator** indicator : {&pageIndicator_, &countIndicator_}) {
    auto made = std::make_unique<PageIndicator>(0, 0, kIndicatorWidth - 2, kButtonSize);
    made->SetView(&host.ObjectView());
    *indicator = made.get();
    AddObject(std::move(made), false);
  }

  if (IsYes(GetParam("Over19"))) {
    std::shared_ptr<ViewImage> age = Picture("IDB_UNDER_19");
    auto image = std::make_unique<CComponentImage>(0, 0, age ? age->getWidth() : 0, age ? age->getHeight() : 0, age);
    image->SetScreenCoordinates(true);
    image->SetView(&host.ObjectView());
    ageImage_ = image.get();
    AddObject(std::move(image), false);
  }
  PlaceToolbar();
  std::string menu = MapDocument::GetParam("comicsmenu");
  if (menu.empty()) menu = GetInner() ? GetInner()->GetParam("comicsmenu") : std::string();
  if (menu.empty()) menu = host.GetBrowserProperty("comicsmenu");
  ShowToolbar(!IsNo(menu));
}

// The toolbar stands at the window's edges: along the bottom (or the top for a horizontal
// menu) from the left to the page buttons in the right corner.
void ComicsDocument::PlaceToolbar() {
  DocumentHost& host = *GetHost();
  const int width = host.GetViewWidth();
  const int height = host.GetViewHeight();
  toolbarWindow_ = {width, height};
  const bool alongTop = EqualsNoCase(GetParam("menudirection"), "horizontal");
  const int row = alongTop ? 8 : height - 30;
  auto move = [](MapObject* object, int x, int y, int objectWidth) {
    if (!object) return;
    object->SetRect(x, y, objectWidth, object->GetHeight());
    object->UpdateScreenRect();
  };
  move(prevButton_, width - 53, row, kButtonSize);
  move(nextButton_, width - 29, row, kButtonSize);
  int left = width - 53;
  if (modeButton_) {
    left -= 24;
    move(modeButton_, left, row, kButtonSize);
  }
  left -= 24;
  move(playButton_, left, row, kButtonSize);
  if (alongTop) move(panel_, 8, row + 28, panel_->GetWidth());
  else move(panel_, width - 29, 8, panel_->GetWidth());

  const int scrollerWidth = std::max(left - 16 - 2 * kIndicatorWidth, 40);
  move(scroller_, 8, row, scrollerWidth);
  move(pageIndicator_, 12 + scrollerWidth, row, kIndicatorWidth - 2);
  move(countIndicator_, 12 + scrollerWidth + kIndicatorWidth, row, kIndicatorWidth - 2);
  if (ageImage_) move(ageImage_, width - ageImage_->GetWidth() - 8, 8, ageImage_->GetWidth());
}

void ComicsDocument::ShowToolbar(bool shown) {
  for (MapObject* object : std::initializer_list<MapObject*>{prevButton_, nextButton_, modeButton_, playButton_,
                                                             scroller_, pageIndicator_, countIndicator_}) {
    if (object) object->SetVisible(shown);
  }
  toolbarShown_ = shown;
  if (panel_) panel_->SetVisible(shown && !IsYes(GetHost()->GetBrowserProperty("autohide")));
  GetHost()->MarkDirty();
}

// With "autohide" the panel shows only while the pointer is near it.
void ComicsDocument::RevealPanelNear(int x, int y) {
  if (!panel_ || !toolbarShown_ || !IsYes(GetHost()->GetBrowserProperty("autohide"))) return;
  constexpr int kReach = 24;
  platform::Rect area = panel_->GetScreenRect();
  area = {area.left - kReach, area.top - kReach, area.right + kReach, area.bottom + kReach};
  const bool near = area.Contains({x, y});
  if (near == panel_->IsVisible()) return;
  panel_->SetVisible(near);
  GetHost()->MarkDirty();
}

void ComicsDocument::SetParam(const std::string& name, const std::string& value) {
  PublicationDocument::SetParam(name, value);
  if (EqualsNoCase(name, "comicsmenu") && scroller_) ShowToolbar(!IsNo(value));
}

// ---- Pages --------------------------------------------------------------------------------

bool ComicsDocument::BookmarksOn() {
  return IsYes(GetHost()->GetBrowserProperty("AllowBookmark")) || IsYes(GetParam("AllowBookmark"));
}

void ComicsDocument::LayOutPages() {
  auto value = [this](const char* name, const char* fallback) {
    std::string text = GetParam(name);
    return text.empty() ? GetParam(fallback) : text;
  };
  layout_.pageWidth = std::strtod(value("pagewidth", "pagewidth0").c_str(), nullptr) * GetStoredScaleX();
  layout_.pageHeight = std::strtod(value("pageheight", "pageheight0").c_str(), nullptr) * GetStoredScaleY();
  const std::string direction = value("direction", "direction0");
  layout_.fullWidth = GetFullWidth();
  layout_.fullHeight = GetFullHeight();
  layout_.offsetX = ParseInt(GetParam("offsetx"));
  layout_.offsetY = ParseInt(GetParam("offsety"));
  // A comic file has no direction of its own: a picture wider than its 240 × 320 pages
  // stand tall holds them in a row.
  layout_.inRow = fromComicsFile_ ? layout_.fullHeight / 320 < layout_.fullWidth / 240
                                  : !EqualsNoCase(direction, "vertical");
  SetParam("pagewidth", SizeText(layout_.pageWidth));
  SetParam("pageheight", SizeText(layout_.pageHeight));
  SetParam("direction", layout_.inRow ? (fromComicsFile_ ? "horizontal" : direction) : "vertical");

  pageCount_ = layout_.PageCount();
  scroller_->SetPageCount(pageCount_);
  SetParam("pagecount", std::to_string(pageCount_));
  const int page = BookmarksOn() ? ComicsBookmarks::Rescale(saved_.mark, saved_.total, pageCount_) : 1;
  currentPage_ = page;
  ShowPage(page);
}

void ComicsDocument::ApplyPlaySettings() {
  const ComicsBookmarks::PlaySettings settings = bookmarks_->LoadPlaySettings();
  SetParam("snappage", settings.snapPage ? "yes" : "no");
  SetParam("autoplayspeed", std::to_string(settings.speed));
  GetHost()->SetBrowserProperty("playdelay", std::to_string(settings.speed));
}

void ComicsDocument::SaveBookmark() {
  bookmarks_->Save(scroller_->GetPage(), pageCount_, ComicsBookmarks::StampNow());
}

int ComicsDocument::LevelWidth() { return std::max(GetWidth(), 0); }
int ComicsDocument::LevelHeight() { return std::max(GetHeight(), 0); }

// The scroller and the indicators show the page.
void ComicsDocument::ShowPage(int page) {
  scroller_->SetPage(page);
  pageIndicator_->SetText(std::to_string(scroller_->GetPage()));
  countIndicator_->SetText(std::to_string(pageCount_));
  GetHost()->MarkDirty();
}

void ComicsDocument::ScrollToPage(int page) {
  if (!IsValid()) return;
  if (auto origin = layout_.PageOrigin(page, LevelWidth(), LevelHeight())) GetHost()->ScrollTo(origin->x, origin->y);
}

void ComicsDocument::GotoPage(int page) {
  currentPage_ = page;
  // The pages passed on the way are not fetched ahead; those around the new page are.
  scrollingToPage_ = true;
  ScrollToPage(page);
  scrollingToPage_ = false;
  ShowPage(page);
  trackedPage_ = page;
  ViewEvent event;
  event.name = "pagechanged";
  event.param1 = std::to_string(page);
  GetHost()->PostViewEvent(event);
  SetParam("currentpage", std::to_string(page));
}

// At level 0 the page under the view's corner is the current page.
void ComicsDocument::TrackPageUnderView() {
  DocumentHost& host = *GetHost();
  const int page = layout_.PageAtView(host.ViewX(), host.ViewY(), LevelWidth(), LevelHeight(), pageCount_);
  if (page != scroller_->GetPage()) ShowPage(page);
  if (!scrollingToPage_) NoteTurn(page);
  if (page == trackedPage_ && page == currentPage_) return;
  trackedPage_ = page;
  if (page == currentPage_) return;
  currentPage_ = page;
  ViewEvent event;
  event.name = "pagechanged";
  event.param1 = std::to_string(page);
  host.PostViewEvent(event);
  SetParam("currentpage", std::to_string(page));
}

// How the reader came to the page: a step forward or back, or a jump.
void ComicsDocument::NoteTurn(int page) {
  if (page == aheadPage_) return;
  aheadStep_ = page == aheadPage_ + 1 ? 1 : page == aheadPage_ - 1 ? -1 : 0;
  aheadPage_ = page;
}

// The pages the reader is likely to turn to next: after a step forward the next three,
// after a step back the previous three, after a jump three on either side, nearest first.
// Asked again with every frame: the frame's own tiles withdraw the requests still waiting.
void ComicsDocument::FetchAhead() {
  if (aheadPage_ < 1 || IsYes(GetHost()->GetBrowserProperty("localcontent"))) return;
  for (int distance = 1; distance <= kPagesAhead; ++distance) {
    if (aheadStep_ >= 0) FetchPage(aheadPage_ + distance);
    if (aheadStep_ <= 0) FetchPage(aheadPage_ - distance);
  }
}

// Asks for the tiles of a page at the current level, with the lowest priority.
void ComicsDocument::FetchPage(int page) {
  if (page < 1 || page > pageCount_) return;
  const int level = GetLevel();
  int tileWidth = 0, tileHeight = 0;
  const std::optional<platform::Point> origin = layout_.PageOrigin(page, LevelWidth(), LevelHeight());
  if (!origin || !GetTileSize(level, tileWidth, tileHeight)) return;
  const int right = std::min(origin->x + layout_.PageWidthAt(LevelWidth()), LevelWidth()) - 1;
  const int bottom = std::min(origin->y + layout_.PageHeightAt(LevelHeight()), LevelHeight()) - 1;
  for (int row = origin->y / tileHeight; row <= bottom / tileHeight && origin->y <= bottom; ++row) {
    for (int column = origin->x / tileWidth; column <= right / tileWidth && origin->x <= right; ++column)
      RequestTileAhead(level, column, row, kLowestPriority);
  }
}

int ComicsDocument::CollectDrawItems(std::vector<MapObject*>& items, int x, int y, int width, int height, int a,
                                     int b) {
  const bool atPages = IsValid() && GetLevel() == 0;
  if (atPages) TrackPageUnderView();
  const int count = PublicationDocument::CollectDrawItems(items, x, y, width, height, a, b);
  // After the frame has asked for its own tiles, which come first.
  if (atPages && !scrollingToPage_) FetchAhead();
  return count;
}

void ComicsDocument::SetLevel(int level) {
  PublicationDocument::SetLevel(level);
  if (level == 0 && !IsProbingZoomArea()) GotoPage(currentPage_);
}

void ComicsDocument::OnViewChanged(int flags, int& x, int& y, int width, int height, int level, int mode, int px,
                                   int py) {
  if (MapDocument* inner = ReadyInner()) inner->OnViewChanged(flags, x, y, width, height, level, mode, px, py);
  if (mode != 2 && (width != toolbarWindow_.width || height != toolbarWindow_.height)) {
    PlaceToolbar();
    GetHost()->MarkDirty();
  }
  if (!IsValid() || mode == 2 || (level < 0 ? GetLevel() : level) != 0) return;
  // At level 0 the view stays inside the page it is moving to, along the layout's direction.
  const int page = layout_.PageContaining(x, y, LevelWidth(), LevelHeight(), pageCount_);
  auto origin = layout_.PageOrigin(page, LevelWidth(), LevelHeight());
  if (!origin) return;
  if (layout_.inRow) {
    const int right = origin->x + layout_.PageWidthAt(LevelWidth());
    x = std::clamp(x, origin->x, std::max(origin->x, right - width));
  } else {
    const int bottom = origin->y + layout_.PageHeightAt(LevelHeight());
    y = std::clamp(y, origin->y, std::max(origin->y, bottom - height));
  }
}

// ---- Commands -----------------------------------------------------------------------------

bool ComicsDocument::HandleCommand(const std::string& name, const std::string& argument) {
  const std::string command = ToLower(name);
  if (command == "gotopage") {
    GotoPage(ParseInt(argument));
    return false;
  }
  if (command == "nextpage" || command == "prevpage") {
    if (GetLevel() < 1) return false;
    SetLevel(0);
    return PublicationDocument::HandleCommand(name, argument);
  }
  if (command == "autoplaydelay") {
    ComicsBookmarks::PlaySettings settings = bookmarks_->LoadPlaySettings();
    settings.speed = ParseInt(argument);
    bookmarks_->SavePlaySettings(settings);
    SetParam("autoplayspeed", std::to_string(settings.speed));
    GetHost()->SetBrowserProperty("playdelay", std::to_string(settings.speed));
    return PublicationDocument::HandleCommand(name, argument);
  }
  if (command == "config") {
    RunSettingsDialog();
    return true;
  }
  return PublicationDocument::HandleCommand(name, argument);
}

void ComicsDocument::OnObjectMouse(MapObject& object, const std::string& notification, unsigned, platform::Point) {
  if (&object == scroller_ && notification != "updated" && notification != "selected") return;
  static const char* const kToolbarCommands[] = {"prevpage", "nextpage", "selected", "updated", "bookmark", "mode",
                                                 "play",     "magnifier", "reload",  "config"};
  if (std::find(std::begin(kToolbarCommands), std::end(kToolbarCommands), notification) == std::end(kToolbarCommands))
    return;
  RunToolbarCommand(notification);
}

void ComicsDocument::RunToolbarCommand(const std::string& command) {
  DocumentHost& host = *GetHost();
  if (command == "prevpage" || command == "nextpage") {
    host.ObjectView().Execute(command, "");
  } else if (command == "selected") {
    const int page = scroller_->GetPage();
    if (GetLevel() != 0) {
      GotoPage(page);
    } else if (auto origin = layout_.PageOrigin(page, LevelWidth(), LevelHeight())) {
      host.ScrollTo(layout_.inRow ? origin->x : host.ViewX(), layout_.inRow ? host.ViewY() : origin->y);
    }
  } else if (command == "updated") {
    ShowPage(scroller_->GetPage());
  } else if (command == "bookmark") {
    if (BookmarksOn()) SaveBookmark();
  } else if (command == "mode") {
    ToggleMode();
  } else if (command == "play") {
    TogglePlay();
  } else if (command == "magnifier") {
    ToggleMagnifier();
  } else if (command == "reload") {
    host.ObjectView().QueueContent(url_, false);
  } else if (command == "config") {
    RunSettingsDialog();
  }
}

void ComicsDocument::ToggleMode() {
  saved_.mode = saved_.mode == 0 ? 1 : 0;
  bookmarks_->SaveMode(saved_.mode);
}

void ComicsDocument::TogglePlay() {
  DocumentHost& host = *GetHost();
  playing_ = !playing_;
  std::shared_ptr<ViewImage> picture = playing_ ? pausePicture_ : playPicture_;
  playButton_->SetPictures(picture, picture, picture);
  if (playing_) {
    if (host.GetPlatform().Settings().GetString(ComicsBookmarks::kSettingsKey, "autoplayspeed"))
      host.SetBrowserProperty("playdelay", std::to_string(bookmarks_->LoadPlaySettings().speed));
    host.SetBrowserProperty("autoplay", "yes");
  } else {
    host.SetBrowserProperty("autoplay", "no");
  }
  // The view's automatic play turns the pages.
  host.ObjectView().Execute("autoplay", playing_ ? "yes" : "no");
  host.MarkDirty();
}

void ComicsDocument::ToggleMagnifier() {
  DocumentHost& host = *GetHost();
  host.SetBrowserProperty("magnifier", IsYes(host.GetBrowserProperty("magnifier")) ? "no" : "yes");
}

void ComicsDocument::RunSettingsDialog() {
  ComicsBookmarks::PlaySettings settings = bookmarks_->LoadPlaySettings();
  std::vector<platform::FormField> fields(2);
  fields[0] = {"autoplayspeed", "Automatic play: seconds per page", platform::FieldKind::Text,
               std::to_string(settings.speed), {}};
  fields[1] = {"snappage", "Snap to whole pages", platform::FieldKind::Check, settings.snapPage ? "yes" : "no", {}};
  if (!GetHost()->GetPlatform().DialogBox().Form("Comics settings", fields)) return;
  settings.speed = std::max(ParseInt(fields[0].value), 1);
  settings.snapPage = IsYes(fields[1].value);
  bookmarks_->SavePlaySettings(settings);
  ApplyPlaySettings();
}

// ---- Life cycle ---------------------------------------------------------------------------

void ComicsDocument::Activate() {
  if (MapDocument* inner = GetInner()) inner->Activate();
  DocumentHost& host = *GetHost();
  active_ = true;
  host.SetMouseHook(this);
  savedCursor_ = host.GetPlatform().Window().CurrentCursor();
  ScrollToPage(currentPage_);
}

void ComicsDocument::Deactivate() {
  DocumentHost& host = *GetHost();
  if (host.GetMouseHook() == this) host.SetMouseHook(nullptr);
  if (active_ && !savedCursor_.empty()) host.GetPlatform().Window().SetCursor(savedCursor_);
  active_ = false;
  host.SetBrowserProperty("magnifier", "no");
  if (MapDocument* inner = GetInner()) inner->Deactivate();
}

void ComicsDocument::Close() {
  if (IsValid() && BookmarksOn()) SaveBookmark();
  PublicationDocument::Close();
}

// ---- Click zones --------------------------------------------------------------------------

bool ComicsDocument::ZonesActive() {
  return IsValid() && GetLevel() == 0 && !IsNo(GetHost()->GetBrowserProperty("pagearrows"));
}

ComicsDocument::Zone ComicsDocument::ZoneAt(int x, int y) const {
  const DocumentHost& host = *GetHost();
  const long long size = layout_.inRow ? host.GetViewWidth() : host.GetViewHeight();
  const long long along = layout_.inRow ? x : y;
  if (along < size / zones_) return Zone::Previous;
  if (along > size * (zones_ - 1) / zones_) return Zone::Next;
  return Zone::None;
}

// Objects that take the mouse keep their clicks: the toolbar, links, buttons.
bool ComicsDocument::OverMouseObject(int x, int y) {
  const std::vector<MapObject*> objects = GetObjectList();
  return std::any_of(objects.begin(), objects.end(), [x, y](MapObject* object) {
    return object->IsVisible() && object->HitTest(x, y) && object->HasLinkAt(x, y);
  });
}

bool ComicsDocument::OnMouseMove(int x, int y, unsigned, std::uint64_t) {
  RevealPanelNear(x, y);
  if (!ZonesActive()) return false;
  const Zone zone = OverMouseObject(x, y) ? Zone::None : ZoneAt(x, y);
  const char* cursor = kNormalCursor;
  if (zone == Zone::Previous) cursor = layout_.inRow ? "w-resize" : "n-resize";
  if (zone == Zone::Next) cursor = layout_.inRow ? "e-resize" : "s-resize";
  platform::WindowHost& window = GetHost()->GetPlatform().Window();
  if (zone != Zone::None) {
    window.SetCursor(cursor);
  } else if (window.CurrentCursor() != savedCursor_ && window.CurrentCursor().find("-resize") != std::string::npos) {
    window.SetCursor(savedCursor_.empty() ? kNormalCursor : savedCursor_);
  }
  return false;
}

bool ComicsDocument::OnLButtonDown(int x, int y, std::uint64_t) {
  pressed_ = true;
  pressPoint_ = {x, y};
  return false;
}

bool ComicsDocument::OnLButtonUp(int x, int y, std::uint64_t) {
  if (!pressed_) return false;
  pressed_ = false;
  if (std::abs(x - pressPoint_.x) > kClickSlack || std::abs(y - pressPoint_.y) > kClickSlack) return false;
  if (!ZonesActive() || OverMouseObject(x, y)) return false;
  const Zone zone = ZoneAt(x, y);
  if (zone == Zone::None) return false;
  GetHost()->ObjectView().Execute(zone == Zone::Previous ? "prevpage" : "nextpage", "");
  return true;
}

}  // namespace zolvex
