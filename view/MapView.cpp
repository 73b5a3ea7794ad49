#include "view/MapView.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "documents/CReaderException.h"
#include "documents/MapDocument.h"
#include "documents/MessageTable.h"
#include "net/Url.h"
#include "platform/Debug.h"
#include "platform/Numbers.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "view/BackButton.h"
#include "view/Magnifier.h"
#include "view/BrowserPropertyRules.h"
#include "objects/ClipperObject.h"
#include "view/ClipTools.h"
#include "view/CommandInterpreter.h"
#include "view/DocumentFactory.h"
#include "view/LinkCommand.h"
#include "view/NavigationListener.h"
#include "documents/ObjectFactory.h"

namespace zolvex {

namespace {

constexpr const char* kMediaExtensions[] = {".mp3", ".wav", ".mid", ".mp2", ".wma", ".asf"};

bool IsHostUrl(const std::string& url) { return StartsWithNoCase(url, "ext:") || StartsWithNoCase(url, "ext_silent:"); }

// A path on this machine: no scheme (a drive letter is none), or "file:".
bool IsLocalPath(const std::string& url) {
  const std::size_t colon = url.find(':');
  const std::size_t slash = url.find_first_of("/\\");
  return colon == std::string::npos || colon <= 1 || (slash != std::string::npos && slash < colon) ||
         StartsWithNoCase(url, "file:");
}

// On this platform "/" separates folders as "\\" does: a local folder may end in either.
std::string FolderWithBackslash(std::string url) {
  const std::size_t end = std::min(url.find(','), url.size());
  if (end > 1 && url[end - 1] == '/' && IsLocalPath(url)) url[end - 1] = '\\';
  return url;
}

// The extension of the URL's part before its first ",".
std::string ExtensionOf(const std::string& url) {
  std::string head = url.substr(0, url.find(','));
  std::size_t dot = head.rfind('.');
  return dot == std::string::npos ? std::string() : head.substr(dot);
}

bool IsMediaUrl(const std::string& url) {
  std::string extension = ExtensionOf(url);
  return std::any_of(std::begin(kMediaExtensions), std::end(kMediaExtensions),
                     [&](const char* known) { return EqualsNoCase(extension, known); });
}

// A decimal integer the way the C library's "%d" reads it: white space, a sign, digits.
bool ReadInt(const std::string& text, std::size_t& at, int& value) {
  std::size_t pos = at;
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  std::size_t digits = pos;
  long long number = 0;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
    number = std::min<long long>(number * 10 + (text[pos] - '0'), 1LL << 31);
    ++pos;
  }
  if (pos == digits) return false;
  number = negative ? -number : number;
  value = ClampToInt(number);
  at = pos;
  return true;
}

// The fields of "url,x,y,level,mode"; count is how many were read, in order.
struct SuffixFields {
  int count = 0;
  std::string head;
  int x = 0;
  int y = 0;
  int level = 0;
  std::string mode;
};

SuffixFields ReadPositionSuffix(const std::string& text) {
  SuffixFields fields;
  std::size_t at = text.find_first_of(",\r\n");
  fields.head = text.substr(0, at);
  if (fields.head.empty()) return fields;
  fields.count = 1;
  for (int* target : {&fields.x, &fields.y, &fields.level}) {
    if (at >= text.size() || text[at] != ',') return fields;
    ++at;
    if (!ReadInt(text, at, *target)) return fields;
    ++fields.count;
  }
  if (at >= text.size() || text[at] != ',') return fields;
  ++at;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  std::size_t end = at;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  if (end == at) return fields;
  fields.mode = text.substr(at, end - at);
  ++fields.count;
  return fields;
}

// At most limit bytes of text, not cutting a UTF-8 sequence in two.
std::string CutText(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

double ParseReal(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

}  // namespace

MapView::MapView(platform::Platform& platform)
    : platform_(platform), factory_(std::make_unique<DocumentFactory>()), objects_(std::make_unique<ObjectFactory>()) {
  commands_ = std::make_unique<CommandInterpreter>(*this);
  objects_->SetContentDocument([this] { return document_.get(); });
  propertyRules_ = std::make_unique<BrowserPropertyRules>(*this, *commands_);
  clipTools_ = std::make_unique<ClipTools>(*this);
  AddOwnObject(&clipTools_->Frame());
  platform::Size size = platform_.Window().ClientSize();
  viewWidth_ = size.width;
  viewHeight_ = size.height;
  backButton_ = std::make_unique<BackButton>();
  AddOwnObject(backButton_.get());
  ShowMessageFileErrors();
}

// A message file that cannot be read as XML is named to the user in a message box. The
// lookup may run on a transport thread: the box is shown on the window thread.
void MapView::ShowMessageFileErrors() {
  std::weak_ptr<int> alive = alive_;
  platform::WindowHost& window = platform_.Window();
  platform::Dialogs& dialogs = platform_.DialogBox();
  MessageTable::Shared().SetErrorReporter([alive, &window, &dialogs](const std::string& text) {
    if (alive.expired()) {
      platform::DebugOutput(text + "\n");
      return;
    }
    window.Post([alive, &dialogs, text] {
      if (!alive.expired()) {
        dialogs.MessageBox(text, kMessageCaption, platform::MessageIcon::Warning, platform::MessageButtons::Ok);
      }
    });
  });
}

MapView::~MapView() {
  std::lock_guard lock(viewLock_);
  platform_.Window().KillTimer(kTileWaitTimer);
  visibleItems_.clear();
  if (document_) {
    document_->Deactivate();
    document_->Close();
    document_.reset();
  }
  RemoveCursorFile(cursorFile_);
}

// ---- Content opening --------------------------------------------------------------------

std::string MapView::OpenUrl(const std::string& url, bool resetHistory, int /*x*/, int /*y*/, int /*level*/) {
  if (url.empty() || IsHostUrl(url)) return url;
  std::unique_lock lock(viewLock_);
  notContentReason_.clear();
  if (url.size() > kMaxUrlLength) {
    platform_.DialogBox().MessageBox("URL is too long", kMessageCaption, platform::MessageIcon::Warning,
                                     platform::MessageButtons::Ok);
  }
  const LinkCommand link = LinkCommand::Parse(url);
  std::string target = link.text;
  std::string work = ToLower(target);
  const std::string& scheme = link.scheme;
  if (resetHistory) history_.Clear();
  if (link.IsCommand()) {
    RunLinkCommand(url);
    return {};
  }

  CloseMediaWindow();
  Execute("autoplay", "no");
  Execute("autoscroll", "0,0");
  if (scheme == "ktq" && target.size() > 6 && target.compare(4, 2, "//") != 0) {
    target.erase(0, 4);
    work.erase(0, 4);
  }
  if (work.size() < 5) return {};
  target = FolderWithBackslash(target);
  if (IsMediaUrl(target)) {
    // A position suffix means nothing to a player: it plays the file alone.
    std::string file = target.substr(0, target.find(','));
    mediaPlaying_ = platform_.SoundService().PlayMedia(ResolveContentUrl(file, baseUrl_));
    return {};
  }
  std::string content = target.substr(0, target.find(','));
  if (!factory_->IsContentUrl(content) && !StartsWithNoCase(target, "ktq:") && target.back() != '\\') {
    notContentReason_ = "cannot open " + content +
                        ": it is not something the viewer shows, so it went to the web browser. The viewer opens "
                        ".ktq images, .mon mosaics, XMML documents (.xmml), .map and .him maps, .cms comics, "
                        "clips, and folders of .ktq images (a path ending in / or \\)";
    HandToBrowser(target);
    return {};
  }

  std::string transition = GetBrowserProperty("ifx");
  if (HasValidDocument()) {
    if (!transition.empty()) CaptureTransitionSource();
    previousUrl_ = currentUrl_;
    previousX_ = viewX_;
    previousY_ = viewY_;
    previousLevel_ = document_->GetLevel();
  }
  SuffixFields suffix = ReadPositionSuffix(target);
  if (suffix.count >= 1) target = suffix.head;
  currentUrl_ = target;
  history_.RecordPosition(viewX_, viewY_, document_ ? document_->GetLevel() : 0);
  if (listener_) {
    listener_->OnLoading(target);
    listener_->OnFollowLink(target);
  }

  visibleItems_.clear();
  if (document_) {
    ForgetDocumentPageSize();
    CloseDocument();
  }
  if (IsYes(GetBrowserProperty("ClearScreen"))) Redraw();
  pending_ = PendingPosition{};
  if (suffix.count >= 2) pending_ = PendingPosition{true, suffix.x, suffix.y, suffix.level, suffix.mode};
  reportPages_ = true;
  lastReportedPage_ = -1;

  lock.unlock();
  std::string opened = LoadDocument(target);
  lock.lock();
  ClearDragState();

  if (HasValidDocument()) {
    if (IsYes(document_->GetParam("reportpage"))) reportPages_ = false;
    CopyPageSize();
    ApplyPendingPosition();
    FitIfAsked();
  }
  bool succeeded = (!opened.empty() && HasValidDocument()) || previousUrl_.empty() ||
                   EqualsNoCase(target.substr(0, previousUrl_.size()), previousUrl_);
  if (!succeeded) return FallBack();

  if (HasValidDocument()) {
    if (!transition.empty()) {
      PlayRequestedTransition(transition);
      SetBrowserProperty("ifx", "");
    }
    Redraw();
  }
  history_.Add(opened);
  if (listener_) listener_->OnLoaded(opened);
  return opened;
}

std::string MapView::FallBack() {
  std::string url = previousUrl_;
  int x = previousX_;
  int y = previousY_;
  int level = previousLevel_;
  // The failed URL's folder is not where the previous content lives.
  baseUrl_ = previousBaseUrl_;
  std::string opened = OpenUrl(url, true, x, y, level);
  if (document_) document_->SetLevel(level);
  SetPosition(x, y, true, true);
  return opened;
}

std::string MapView::LoadDocument(const std::string& url) {
  ForgetPointerState();
  previousBaseUrl_ = baseUrl_;
  std::unique_ptr<MapDocument> created;
  std::string base = baseUrl_;
  std::string resolved = factory_->CreateDocument(*this, url, created, &base, "");

  std::lock_guard lock(viewLock_);
  baseUrl_ = base;
  if (!created) return {};
  if (document_) CloseDocument();
  document_ = std::move(created);
  document_->SetHost(this);
  document_->Activate();
  StopSound();
  pageAnimation_ = IsYes(GetBrowserProperty("animation"));
  pageTurn_ = 0;
  if (document_->IsValid()) {
    CopyPageSize();
    clipTools_->OnDocumentOpened(*document_);
  }
  return resolved;
}

// New content or none: a drag or press under way belonged to the old picture.
void MapView::ClearDragState() {
  dragging_ = false;
  deadZone_ = false;
  pressTime_ = -1;
  dragStart_ = {-100, -100};
  commands_->Execute("autoscroll", "0,0");
}

void MapView::ClearContent() {
  std::lock_guard lock(viewLock_);
  StopSound();
  visibleItems_.clear();
  ForgetPointerState();
  ClearDragState();
  CloseDocument();
  ClearBackground();
  Redraw();
}

void MapView::CloseDocument() {
  if (!document_) return;
  clipTools_->OnDocumentClosed();
  document_->Deactivate();
  document_->Close();
  document_.reset();
}

void MapView::CloseMediaWindow() {
  if (!mediaPlaying_) return;
  platform_.SoundService().Stop();
  mediaPlaying_ = false;
}

void MapView::HandToBrowser(const std::string& url) {
  if (listener_) listener_->OnFollowLink(url);
  auto [address, frame] = NavigationListener::SplitFollowLink(url);
  NavigateBrowser(address, frame);
}

void MapView::QueueContent(const std::string& url, bool recordHistory) {
  if (IsHostUrl(url)) {
    if (listener_) listener_->OnFollowLink(url);
    return;
  }
  ViewEvent setContent;
  setContent.name = "SetContent";
  setContent.param2 = url;
  if (recordHistory) {
    std::string page = std::to_string(PageAt(-1, -1));
    if (StartsWithNoCase(url, "ktq:")) pageHistory_.push_back(page);
    ViewEvent urlSet;
    urlSet.name = "urlset";
    urlSet.param1 = url;
    urlSet.param2 = page;
    PostViewEvent(urlSet);
  }
  PostViewEvent(setContent);
}

void MapView::ReportError(const CReaderException& error) {
  {
    std::lock_guard lock(viewLock_);
    Execute("autoscroll", "0,0");
    CloseMediaWindow();
    CloseDocument();
    visibleItems_.clear();
    StopSound();
  }
  std::string handling = GetBrowserProperty("CustomErrorHandling");
  if (!EqualsNoCase(handling, "yes") && !EqualsNoCase(handling, "exclusive")) {
    platform_.DialogBox().MessageBox(ErrorBoxText(error.Message()), kMessageCaption, platform::MessageIcon::Warning,
                                     platform::MessageButtons::Ok);
  }
  if (listener_) listener_->OnError(CReaderException(CutText(error.Message(), NavigationListener::kMaxErrorText)));
}

void MapView::FrameTilesArrived() {
  MarkDirty();
  if (!redrawCheck_ || redrawCheckPosted_.exchange(true)) return;
  platform_.Window().Post([this, alive = std::weak_ptr<int>(alive_)] {
    if (alive.expired()) return;
    redrawCheckPosted_ = false;
    redrawCheck_();
  });
}

// A frame held back keeps the view dirty, so that it is composed when its last tile
// arrives (FrameTilesArrived runs the redraw check) or, at the latest, when the timer ends
// the wait. Only a view with a redraw check is sure to be drawn again.
bool MapView::HoldForTiles(bool mayHold) {
  const int missing = document_->GetPendingTileCount();
  const std::int64_t now = NowMs();
  frameHeldBack_ = tileWait_.HoldsBack(missing, now, mayHold && redrawCheck_);
  if (!frameHeldBack_) return false;
  pendingTiles_ = missing;
  dirty_ = true;
  const auto waitMs = static_cast<std::uint32_t>(std::max<std::int64_t>(tileWait_.DeadlineMs() - now, 1));
  platform_.Window().SetTimer(kTileWaitTimer, waitMs, [this] {
    platform_.Window().KillTimer(kTileWaitTimer);
    redrawCheck_();
  });
  return true;
}

void MapView::ReportErrorAfterLoading(const std::string& message) {
  platform_.Window().Post([this, alive = std::weak_ptr<int>(alive_), message] {
    if (alive.expired() || !listener_) return;
    listener_->OnError(CReaderException(CutText(message, NavigationListener::kMaxErrorText)));
  });
}

std::string MapView::ErrorBoxText(const std::string& message) {
  std::string custom = GetBrowserProperty("ErrorMessage");
  if (custom.empty()) return message;
  if (message.empty()) return custom;
  return std::to_string(ParseInt(message)) + ". " + custom;
}

void MapView::SetEventHandlers(ViewEventHandler viewEvents, ObjectEventHandler objectEvents) {
  viewEventHandler_ = std::move(viewEvents);
  objectEventHandler_ = std::move(objectEvents);
}

void MapView::PostViewEvent(const ViewEvent& event) {
  if (!viewEventHandler_) return;
  platform_.Window().Post([handler = viewEventHandler_, event] { handler(event); });
}

void MapView::PostObjectEvent(const ObjectEvent& event) {
  if (!objectEventHandler_) return;
  platform_.Window().Post([handler = objectEventHandler_, event] { handler(event); });
}

void MapView::PostKeyMessage(int key) {
  if (keyMessageHandler_) {
    platform_.Window().Post([handler = keyMessageHandler_, key] { handler(key); });
    return;
  }
  platform_.Window().Post([this, key, alive = std::weak_ptr<int>(alive_)] {
    if (!alive.expired()) OnKeyDown(key, 0, 0, platform_.TimeSource().NowMs());
  });
}

void MapView::SetDocumentFactory(std::unique_ptr<DocumentFactory> factory) {
  std::lock_guard lock(viewLock_);
  factory_ = factory ? std::move(factory) : std::make_unique<DocumentFactory>();
}

std::unique_ptr<MapDocument> MapView::OpenSubDocument(const SubDocumentRequest& request) {
  return factory_->CreateSubDocument(*this, request);
}

bool MapView::HasValidDocument() const { return document_ && document_->IsValid(); }

// ---- Page size ----------------------------------------------------------------------------

// Page sizes the view took from the old document must not stick to the next one.
void MapView::ForgetDocumentPageSize() {
  for (const char* name : {"pagewidth", "pageheight"}) {
    if (document_->GetParam(name) == properties_.GetStored(name)) properties_.Set(name, "");
  }
}

void MapView::CopyPageSize() {
  if (!document_) return;
  CopyPageSide("pagewidth", pageScaleX_, pageWidth_, viewWidth_);
  CopyPageSide("pageheight", pageScaleY_, pageHeight_, viewHeight_);
  SetPrintPageSize();
}

void MapView::TakePageSizeProperty() {
  std::lock_guard lock(viewLock_);
  if (document_) {
    CopyPageSize();
    return;
  }
  pageWidth_ = ParseInt(properties_.GetStored("pagewidth"));
  pageHeight_ = ParseInt(properties_.GetStored("pageheight"));
}

void MapView::TurnPageSize(int degrees) {
  std::lock_guard lock(viewLock_);
  const bool wasQuarter = pageTurn_ % 180 != 0;
  const bool isQuarter = degrees % 180 != 0;
  pageTurn_ = degrees;
  if (wasQuarter == isQuarter) return;
  std::swap(pageWidth_, pageHeight_);
  const std::string width = properties_.GetStored("pagewidth");
  properties_.Set("pagewidth", properties_.GetStored("pageheight"));
  properties_.Set("pageheight", width);
  CopyPageSize();
}

void MapView::CopyPageSide(const char* name, double scale, double& side, int viewSide) {
  double fromView = ParseReal(properties_.GetStored(name)) * scale;
  if (fromView > 0) {
    side = fromView;
    document_->SetParam(name, std::to_string(static_cast<int>(fromView)));
  } else {
    side = ParseReal(document_->GetParam(name)) * scale;
    properties_.Set(name, std::to_string(static_cast<int>(side)));
  }
  if (side <= 0) side = viewSide;
}

void MapView::SetPrintPageSize() {
  int width = document_->GetPrintWidth();
  int height = document_->GetPrintHeight();
  if (width <= 0 || height <= 0) {
    width = static_cast<int>(pageWidth_);
    height = static_cast<int>(pageHeight_);
  }
  if (width <= 0 || height <= 0) {
    width = viewWidth_;
    height = viewHeight_;
  }
  printPageWidth_ = width;
  printPageHeight_ = height;
}

void MapView::ApplyPendingPosition() {
  if (pending_.set) {
    PendingPosition position = pending_;
    pending_ = PendingPosition{};
    MoveTo(position.x, position.y, position.level, position.mode);
  } else {
    ValidatePosition(true);
  }
}

void MapView::FitIfAsked() {
  std::string fit = properties_.GetStored("autofit");
  if (fit.empty() || IsNo(fit)) fit = document_->GetParam("autofit");
  if (IsYes(fit) || ParseInt(fit) > 0) FitToWindow(IsYes(fit));
}

// ---- Properties and services -----------------------------------------------------------

std::string MapView::GetBrowserProperty(const std::string& name) {
  std::lock_guard lock(viewLock_);
  if (auto answered = propertyRules_->Read(name)) return *answered;
  return properties_.Get(name, document_.get());
}

void MapView::SetBrowserProperty(const std::string& name, const std::string& value) {
  std::lock_guard lock(viewLock_);
  if (propertyRules_->Write(name, value)) properties_.Set(name, value);
  const std::string lower = ToLower(name);
  // The level limits are known before a property may zoom into them.
  UpdateLevelLimits(lower, value);
  propertyRules_->AfterStore(name, value);
}

void MapView::UpdateLevelLimits(const std::string& name, const std::string& value) {
  if (name != "maxlevel" && name != "minlevel") return;
  int level = ParseInt(value);
  (name == "maxlevel" ? maxLevel_ : minLevel_) = level > 0 ? level - 1 : -1;
}

bool MapView::Execute(const std::string& command, const std::string& argument) {
  return commands_->Execute(command, argument);
}

void MapView::RunLinkCommand(const std::string& url) { commands_->RunLink(url); }

void MapView::Redraw() { platform_.Window().Invalidate(); }

void MapView::StopSound() {
  platform_.SoundService().Stop();
  mediaPlaying_ = false;
}

void MapView::InvalidateObject(MapObject& /*object*/, bool /*redraw*/) { Redraw(); }

void MapView::EndObjectCreation(MapObject& object) { commands_->FinishCreatingObject(object.GetId()); }

std::optional<DocumentMetrics> MapView::GetDocumentMetrics() const {
  std::lock_guard lock(viewLock_);
  if (!document_) return std::nullopt;
  DocumentMetrics metrics;
  metrics.valid = document_->IsValid();
  if (!metrics.valid) return metrics;
  metrics.contentWidth = document_->GetFullWidth();
  metrics.contentHeight = document_->GetFullHeight();
  metrics.scaleX = document_->GetScaleX();
  metrics.scaleY = document_->GetScaleY();
  metrics.levelWidth = document_->GetWidth();
  metrics.levelHeight = document_->GetHeight();
  metrics.level = document_->GetLevel();
  metrics.levelCount = document_->GetLevelCount();
  return metrics;
}

}  // namespace zolvex

namespace zolvex {

void MapView::PostCommand(const std::string& command, const std::string& argument) {
  platform_.Window().Post([this, alive = std::weak_ptr<int>(alive_), command, argument] {
    if (alive.expired()) return;
    std::lock_guard lock(viewLock_);
    Execute(command, argument);
  });
}

}  // namespace zolvex
