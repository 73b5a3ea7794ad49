#include "view/ClipPanel.h"

#include <algorithm>

#include "documents/MapDocument.h"
#include "net/Pictures.h"
#include "objects/CComponentText.h"
#include "objects/ClipperObject.h"
#include "objects/DraggableGroup.h"
#include "objects/LineObject.h"
#include "objects/PictureButton.h"
#include "platform/TextValues.h"
#include "view/ClipTools.h"
#include "view/CommandInterpreter.h"
#include "view/MapView.h"

namespace zolvex {

namespace {

constexpr platform::Color kYellow = platform::MakeColor(255, 255, 0);
constexpr int kButtonLayer = 3;
constexpr int kInset = 30;   // screen pixels between the frame and an added arrow or text
constexpr int kTextSize = 24;

struct ButtonSpec {
  const char* command;
  int x;
  const char* tooltip;
  const char* picture;
  bool advancedOnly;
};

// In the order the panel holds them.
constexpr ButtonSpec kButtons[] = {
    {"clipout", 29, "Add Mask", "IDB_CLIPOUT", false},   {"clipdel", 49, "Close", "IDB_CLIPDEL", false},
    {"clipsave", 9, "Save", "IDB_CLIPSAVE", false},      {"clipline", 69, "Add Line", "IDB_CLIPLINE", true},
    {"cliptext", 89, "Add Text", "IDB_CLIPTEXT", true},
};

std::unique_ptr<MapObject> MakeButton(const ButtonSpec& spec, ObjectListener& listener) {
  std::shared_ptr<ViewImage> normal = LoadBitmapResource(spec.picture);
  std::shared_ptr<ViewImage> pressed = LoadBitmapResource(std::string(spec.picture) + "1");
  const int width = normal ? normal->getWidth() : 0, height = normal ? normal->getHeight() : 0;
  auto button = std::make_unique<PictureButton>(normal, pressed, spec.x, 12, width, height, spec.command);
  button->SetScreenCoordinates(true);
  button->SetLayer(kButtonLayer);
  button->SetListener(&listener);
  button->SetTooltip(spec.tooltip);
  return button;
}

}  // namespace

ClipPanel::ClipPanel(MapView& view) : view_(view) {}

ClipPanel::~ClipPanel() = default;

bool ClipPanel::Bound() const { return document_ && document_ == view_.GetDocument(); }

void ClipPanel::Bind(MapDocument& document) {
  const bool advanced = IsYes(view_.GetBrowserProperty("AdvancedClipping"));
  std::shared_ptr<ViewImage> picture = LoadBitmapResource(advanced ? "IDB_CLIPPANEL" : "IDB_CLIPPANELSMALL");
  const int width = picture ? picture->getWidth() : 0, height = picture ? picture->getHeight() : 0;
  auto panel = std::make_unique<DraggableGroup>(0, 0, width, height, picture);
  panel->SetLayer(kPanelLayer);
  panel->SetScreenCoordinates(true);
  for (const ButtonSpec& spec : kButtons) {
    if (!spec.advancedOnly || advanced) panel->AddChild(MakeButton(spec, *this));
  }
  panel->SetVisible(false);
  panel->SetKeyTransparent(true);
  panel->SetView(&view_);
  // The objects of the previous document went with it.
  added_.clear();
  document_ = &document;
  panel_ = panel.get();
  pendingPanel_ = std::move(panel);
}

void ClipPanel::Unbind() {
  document_ = nullptr;
  panel_ = nullptr;
  pendingPanel_.reset();
  added_.clear();
}

void ClipPanel::SetClipMode(bool on) {
  if (!Bound()) return;
  if (!on) {
    Close();
    return;
  }
  // The panel joins the document when first shown: until then it takes no ID the page
  // might count on and no place among the objects the page queries.
  if (pendingPanel_) document_->AddObject(std::move(pendingPanel_), false);
  panel_->SetVisible(true);
  view_.SetBrowserProperty("selector", "yes");
  view_.InvalidateObject(*panel_, true);
}

void ClipPanel::OnObjectMouse(MapObject&, const std::string& notification, unsigned, platform::Point) {
  Notify(notification);
}

bool ClipPanel::Notify(const std::string& name) {
  const std::string key = ToLower(name);
  if (key == "clipout") {
    AddMask();
  } else if (key == "clipline") {
    AddArrow();
  } else if (key == "cliptext") {
    AddText();
  } else if (key == "clipdel") {
    Close();
  } else if (key == "clipsave" || key == "externallink") {
    ViewEvent event;
    event.name = key == "clipsave" ? "ClipSave" : "ClipExternalLink";
    view_.PostViewEvent(event);
  } else {
    return false;
  }
  return true;
}

int ClipPanel::ContentX(int pixels) const {
  MapDocument* document = view_.GetDocument();
  return document && document->GetScaleX() > 0 ? static_cast<int>(pixels / document->GetScaleX()) : pixels;
}

int ClipPanel::ContentY(int pixels) const {
  MapDocument* document = view_.GetDocument();
  return document && document->GetScaleY() > 0 ? static_cast<int>(pixels / document->GetScaleY()) : pixels;
}

void ClipPanel::AddMask() {
  const platform::Rect clip = view_.Clipping().GetClipRect();
  auto mask = std::make_unique<ClipperObject>(clip.left, clip.top, clip.Width() / 3, clip.Height() / 3);
  mask->SetFill(kMaskColor, kMaskOpacity);
  Add(std::move(mask));
}

void ClipPanel::AddArrow() {
  const platform::Rect clip = view_.Clipping().GetClipRect();
  const int dx = ContentX(kInset), dy = ContentY(kInset);
  auto arrow = std::make_unique<LineObject>(clip.left + dx, clip.top + dy, clip.right - dx, clip.bottom - dy);
  arrow->SetColors(kYellow, kYellow);
  arrow->SetPenStyle(kPenSolid);
  arrow->SetThickness(1);
  arrow->SetArrow(LineObject::kArrowHead);
  arrow->SetArrowLength(20);
  Add(std::move(arrow));
}

void ClipPanel::AddText() {
  const platform::Rect clip = view_.Clipping().GetClipRect();
  Add(std::make_unique<CComponentText>(clip.left + ContentX(kInset), clip.top + ContentY(kInset), "abc", "Arial",
                                       ContentY(kTextSize), kYellow, ""));
}

void ClipPanel::Add(std::unique_ptr<MapObject> object) {
  MapDocument* document = view_.GetDocument();
  if (!Bound() || !document) return;
  object->SetVirtualSize(document->GetFullWidth(), document->GetFullHeight());
  object->SetView(&view_);
  object->SetLayer(kAddedLayer);
  object->SetEditing(true);
  added_.push_back(object.get());
  document->AddObject(std::move(object), false);
  view_.Commands().Redraw();
}

void ClipPanel::Close() {
  if (Bound()) {
    for (MapObject* object : added_) document_->RemoveObject(object);
    panel_->SetVisible(false);
  }
  added_.clear();
  view_.SetBrowserProperty("selector", "no");
  view_.Commands().Redraw();
}

std::string ClipPanel::GetClipString() const {
  const platform::Rect clip = view_.Clipping().GetClipRect();
  std::string text = "<xmml> <param name=\"limit\" value=\"" + std::to_string(clip.left) + "," +
                     std::to_string(clip.top) + "-" + std::to_string(clip.right) + "," + std::to_string(clip.bottom) +
                     "\"/> <clip> </clip> <body> <basemap> <ktq src=\"" + view_.GetCurrentUrl() +
                     "\"/></basemap> <map>";
  if (Bound()) {
    for (const MapObject* object : added_) text += " " + object->GetXml();
  }
  return text + " </map> </body> </xmml>";
}

}  // namespace zolvex
