#include "objects/MediaObject.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "image/ViewImage.h"
#include "net/Url.h"
#include "objects/ElementSteps.h"
#include "objects/ObjectValues.h"
#include "objects/ViewPrimitives.h"
#include "objects/XmlElementWriter.h"
#include "platform/MediaPlayer.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr int kDefaultWidth = 320;
constexpr int kDefaultHeight = 240;
constexpr platform::Color kAreaColor = platform::MakeColor(0, 0, 0);
// A function rather than a constant: clang 14 (the web build) warns that a constant used
// only through value_or is unused.
constexpr platform::Color DefaultColor() { return platform::MakeColor(0x32, 0x32, 0xFF); }

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* candidate : names)
    if (EqualsNoCase(name, candidate)) return true;
  return false;
}

// The written-back attributes that the object's place replaces.
bool IsPlaceAttribute(const std::string& name) { return IsOneOf(name, {"x", "y", "width", "height", "bx", "by"}); }

// Start times beyond this many seconds (a day) are taken for mistakes.
constexpr double kLongestStartSeconds = 86400;

// The largest rectangle of a picture's proportions inside an area, centred in it.
platform::Rect FitInside(int width, int height, const platform::Rect& area) {
  if (width < 1 || height < 1) return area;
  const long long areaWidth = area.Width(), areaHeight = area.Height();
  long long fitWidth = areaWidth, fitHeight = areaWidth * height / width;
  if (fitHeight > areaHeight) {
    fitHeight = areaHeight;
    fitWidth = areaHeight * width / height;
  }
  const int left = area.left + static_cast<int>((areaWidth - fitWidth) / 2);
  const int top = area.top + static_cast<int>((areaHeight - fitHeight) / 2);
  return platform::Rect::FromSize(left, top, static_cast<int>(fitWidth), static_cast<int>(fitHeight));
}

std::shared_ptr<ViewImage> ImageOfFrame(const platform::MediaFrame& frame) {
  if (frame.width < 1 || frame.height < 1 ||
      frame.pixels.size() < static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height))
    return nullptr;
  auto image = std::make_shared<ViewImage>(frame.width, frame.height, 32);
  if (!image->getBits()) return nullptr;
  for (int y = 0; y < frame.height; ++y)
    std::memcpy(image->getRow(y), frame.pixels.data() + static_cast<std::size_t>(y) * frame.width,
                static_cast<std::size_t>(frame.width) * 4);
  return image;
}

}  // namespace

MediaObject::MediaObject(std::string tagName, int x, int y, int width, int height, const std::string& link)
    : CComponentRect(x, y, width, height, link, nullptr, nullptr), tagName_(ToLower(tagName)) {}

// The player stops its threads before the object goes.
MediaObject::~MediaObject() { player_.reset(); }

bool MediaObject::MakesElement(const std::string& tagName) {
  return IsOneOf(tagName, {"movie", "video", "flash", "gviewer"});
}

bool MediaObject::IsPlayer() const { return tagName_ == "movie" || tagName_ == "video"; }

std::unique_ptr<MediaObject> MediaObject::Make(const std::string& tagName, const Attributes& attributes,
                                               const std::string& basePath, ViewPrimitives& view) {
  if (!MakesElement(tagName)) return nullptr;
  auto get = [&attributes](std::string_view name) { return FindAttribute(attributes, name); };
  const int x = ParseInt(get("x")), y = ParseInt(get("y"));
  int width = ParseInt(get("width")), height = ParseInt(get("height"));
  if (width < 1 || height < 1) {
    width = ParseInt(get("bx")) - x;
    height = ParseInt(get("by")) - y;
  }
  if (width < 1 || height < 1) {
    width = kDefaultWidth;
    height = kDefaultHeight;
  }
  auto media = std::make_unique<MediaObject>(tagName, x, y, width, height, get("href"));
  media->attributes_ = attributes;
  if (const std::string source = get("src"); !source.empty())
    media->mediaUrl_ = basePath.empty() ? source : ResolveUrl(source, basePath);
  media->ReadPlayerAttributes(attributes);
  ReadCommonAttributes(*media, attributes, {false, true, true});
  media->SetOutline(IsYes(get("outline")));
  media->SetColors(ParseColor(get("color")).value_or(DefaultColor()),
                   ParseColor(get("mouseovercolor")).value_or(DefaultColor()));
  FinishMadeObject(*media, attributes, &view);
  return media;
}

void MediaObject::ReadPlayerAttributes(const Attributes& attributes) {
  auto get = [&attributes](std::string_view name) { return FindAttribute(attributes, name); };
  // A player starts at once unless it waits for the mouse or is told not to show at first.
  playOnMouse_ = IsYes(get("playonmouse"));
  autoStart_ = !playOnMouse_ && !IsNo(get("showatinit"));
  const std::string loops = get("looptime");
  plays_ = loops.empty() ? 1 : std::max(ParseInt(loops), 0);
  const double start = std::strtod(get("starttime").c_str(), nullptr);
  startMs_ = start > 0 && start < kLongestStartSeconds ? static_cast<long long>(start * 1000) : 0;
  stretch_ = !IsNo(get("stretch"));
  playInvisible_ = IsYes(get("playinvisible"));
  loadOnView_ = IsYes(get("loadonview"));
  fillAtInit_ = !IsNo(get("fillatinit"));
}

void MediaObject::SetView(ViewPrimitives* view) {
  CComponentRect::SetView(view);
  if (view && !player_ && !loadOnView_ && IsPlayer() && !mediaUrl_.empty()) OpenPlayer();
}

void MediaObject::SetVisible(bool visible) {
  const bool was = IsVisible();
  CComponentRect::SetVisible(visible);
  if (!player_ || was == visible || playInvisible_) return;
  if (!visible) player_->Pause();
  else if (autoStart_) player_->Play();
}

void MediaObject::OpenPlayer() {
  platform::Platform* services = GetView()->PlatformServices();
  if (!services) return;
  player_ = services->CreateMediaPlayer();
  if (!player_) return;
  platform::WindowHost& window = services->Window();
  player_->SetFrameListener([this, &window, posted = repaintPosted_, alive = std::weak_ptr<int>(alive_)] {
    if (posted->exchange(true)) return;
    window.Post([this, posted, alive] {
      posted->store(false);
      if (alive.lock() && GetView()) GetView()->InvalidateObject(*this, false);
    });
  });
  if (!player_->Open(mediaUrl_, plays_)) {
    player_.reset();
    return;
  }
  if (startMs_ > 0) player_->Seek(startMs_);
  if (autoStart_ && (IsVisible() || playInvisible_)) player_->Play();
}

bool MediaObject::ExecuteCommand(const std::string& name, const std::string& value) {
  if (!player_) return CComponentRect::ExecuteCommand(name, value);
  if (EqualsNoCase(name, "play"))
    player_->Play();
  else if (EqualsNoCase(name, "pause"))
    player_->Pause();
  else if (EqualsNoCase(name, "stop"))
    player_->Stop();
  else
    return CComponentRect::ExecuteCommand(name, value);
  if (GetView()) GetView()->InvalidateObject(*this, false);
  return true;
}

std::string MediaObject::GetProperty(const std::string& name) const {
  if (EqualsNoCase(name, "state"))
    return platform::MediaStateName(player_ ? player_->State() : platform::MediaState::Stopped);
  if (EqualsNoCase(name, "currentpos")) return std::to_string(player_ ? player_->PositionMs() : 0);
  return CComponentRect::GetProperty(name);
}

void MediaObject::Suspend() {
  CComponentRect::Suspend();
  if (player_) player_->Pause();
}

void MediaObject::Resume() {
  CComponentRect::Resume();
  if (player_ && autoStart_) player_->Play();
}

void MediaObject::OnMouseEnter() {
  CComponentRect::OnMouseEnter();
  if (player_ && playOnMouse_) player_->Play();
}

void MediaObject::OnMouseExit() {
  CComponentRect::OnMouseExit();
  if (player_ && playOnMouse_) player_->Pause();
}

void MediaObject::Draw() {
  if (IsBeingCreated() && GetCreationStep() == 0) return;
  UpdateScreenRect();
  ViewPrimitives* view = GetView();
  if (!view || !IsOnScreen()) return;
  if (loadOnView_ && !player_ && IsPlayer() && !mediaUrl_.empty()) OpenPlayer();
  DrawFrame(*view);
  CComponentRect::Draw();
}

// The newest frame of the player stretched over the area, else the last one, else black.
void MediaObject::DrawFrame(ViewPrimitives& view) {
  platform::MediaFrame frame;
  if (player_ && player_->TakeFrame(frame)) {
    if (auto image = ImageOfFrame(frame)) frame_ = std::move(image);
  }
  if (!frame_) {
    if (fillAtInit_) view.FillRect(GetScreenX(), GetScreenY(), GetScreenWidth(), GetScreenHeight(), kAreaColor);
    return;
  }
  const platform::Rect area = GetScreenRect();
  platform::Rect shown = area;
  if (!stretch_) {
    // The video's proportions: as large as fits, centred, with black bars beside it.
    view.FillRect(area.left, area.top, area.Width(), area.Height(), kAreaColor);
    shown = FitInside(frame_->getWidth(), frame_->getHeight(), area);
  }
  view.BlitImage(*frame_, 0, 0, frame_->getWidth(), frame_->getHeight(), shown.left, shown.top, shown.Width(),
                 shown.Height(), false, true);
}

std::string MediaObject::GetXml() const {
  XmlElementWriter xml("<" + tagName_);
  xml.Integer("x", GetX());
  xml.Integer("y", GetY());
  xml.Integer("width", GetWidth());
  xml.Integer("height", GetHeight());
  // Attributes the page changed since (a new name, other levels) are written as they are now.
  for (const auto& [name, value] : attributes_) {
    if (IsPlaceAttribute(name) || name.empty() || name.front() == '_') continue;
    const std::string current = GetProperty(name);
    xml.Attribute(name, current.empty() ? value : current);
  }
  xml.UnderscoreProperties(*this);
  xml.Raw("/>");
  return xml.Text();
}

}  // namespace zolvex
