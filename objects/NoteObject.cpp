#include "objects/NoteObject.h"

#include "objects/ObjectValues.h"
#include "objects/SavedXml.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr std::string_view kEscapedBreak = "\\r\\n";
constexpr platform::Color kSignFill = platform::MakeColor(0xFF, 0xF0, 0x80);

}  // namespace

NoteObject::NoteObject(int x, int y, int width, int height, const std::string& link, std::shared_ptr<ViewImage> icon)
    : CComponentLink(x, y, width, height, link, icon, icon) {
  SetLayer(kLayer);
}

NoteObject::~NoteObject() = default;

std::string NoteObject::EncodeDescription(const std::string& description) {
  std::string text;
  for (std::size_t i = 0; i < description.size(); ++i) {
    const char c = description[i];
    if (c == '\r' && i + 1 < description.size() && description[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r')
      text += kEscapedBreak;
    else
      text += c;
  }
  return text;
}

std::string NoteObject::DecodeDescription(const std::string& text) {
  std::string description;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, kEscapedBreak.size(), kEscapedBreak) == 0) {
      description += '\n';
      i += kEscapedBreak.size();
    } else {
      description += text[i++];
    }
  }
  return description;
}

// ---- Properties ---------------------------------------------------------------------------

std::string NoteObject::GetProperty(const std::string& name) const {
  std::string value = CComponentLink::GetProperty(name);
  if (!value.empty()) return value;
  if (EqualsNoCase(name, "description")) return EncodeDescription(description_);
  return {};
}

bool NoteObject::CommitProperties() {
  const bool linkApplied = CComponentLink::CommitProperties();
  const std::string description = DecodeDescription(GetProperty("description"));
  if (description == description_) return linkApplied;
  description_ = description;
  return true;
}

std::string NoteObject::GetXml() const {
  std::string xml = "<note";
  SavedXml::OptionalAttribute(xml, "src", GetPictureSource());
  SavedXml::Attribute(xml, "x", GetX());
  SavedXml::Attribute(xml, "y", GetY());
  SavedXml::Attribute(xml, "height", GetHeight());
  SavedXml::Attribute(xml, "width", GetWidth());
  SavedXml::OptionalAttribute(xml, "name", GetProperty("name"));
  SavedXml::OptionalAttribute(xml, "group", GetProperty("group"));
  SavedXml::OptionalAttribute(xml, "href", GetLink());
  SavedXml::OptionalAttribute(xml, "description", EncodeDescription(description_));
  SavedXml::OptionalAttribute(xml, "tooltip", GetTooltip());
  SavedXml::LevelAttributes(xml, *this);
  if (GetFillColor() != platform::kNoColor) SavedXml::Attribute(xml, "fillcolor", FormatColor(GetFillColor()));
  if (GetMouseOverFillColor() != platform::kNoColor)
    SavedXml::Attribute(xml, "mouseoverfillcolor", FormatColor(GetMouseOverFillColor()));
  if (GetColor() != kDefaultColor) SavedXml::Attribute(xml, "color", FormatColor(GetColor()));
  if (GetMouseOverColor() != kDefaultColor)
    SavedXml::Attribute(xml, "mouseovercolor", FormatColor(GetMouseOverColor()));
  if (AllowsEditing()) SavedXml::Attribute(xml, "allowediting", "yes");
  if (GetTransparency() != 0) SavedXml::Attribute(xml, "transparency", GetTransparency());
  // A note's outline is always solid and one pixel wide.
  SavedXml::Attribute(xml, "thickness", 1);
  SavedXml::UnderscoreProperties(xml, *this);
  xml += "/>";
  return xml;
}

// ---- Drawing and clicks -------------------------------------------------------------------

void NoteObject::Draw() {
  ViewPrimitives* view = GetView();
  if (GetCurrentPicture() || !view) {
    CComponentLink::Draw();
    return;
  }
  UpdateScreenRect();
  const platform::Rect box = GetScreenRect();
  if (IsOnScreen() && !box.IsEmpty()) {
    view->FillRect(box.left, box.top, box.Width(), box.Height(), kSignFill);
    view->DrawRectOutline(box.left, box.top, box.Width(), box.Height(), GetCurrentColor(), 1, kPenSolid);
  }
  MapObject::Draw();
}

void NoteObject::OnLButtonDown(unsigned flags, platform::Point point) {
  if (!IsBeingCreated()) {
    CComponentLink::OnLButtonDown(flags, point);
    return;
  }
  if (const auto at = CreationPoint(point)) {
    SetRect(at->x, at->y, GetWidth(), GetHeight());
    UpdateScreenRect();
    placed_ = true;
    GetView()->InvalidateObject(*this, true);
  }
}

void NoteObject::OnLButtonUp(unsigned flags, platform::Point point) {
  if (!IsBeingCreated() || !placed_) {
    CComponentLink::OnLButtonUp(flags, point);
    return;
  }
  // The dialog opens while the note still counts as being created, so its fields can be edited.
  OpenDialog();
  SetBeingCreated(false);
  placed_ = false;
  SetEditing(AllowsEditing() && IsYes(GetView()->GetBrowserProperty("IsEditing")));
  PostDoneCreating();
  GetView()->InvalidateObject(*this, true);
}

void NoteObject::OnClick(platform::Point point, int button) {
  if (button == kObjectLeftButton)
    OpenDialog();
  else
    CComponentLink::OnClick(point, button);
}

void NoteObject::OnClickWithOption(platform::Point point, int button, const std::string& option) {
  if (button == kObjectLeftButton)
    OpenDialog();
  else
    CComponentLink::OnClickWithOption(point, button, option);
}

bool NoteObject::OpenDialog() {
  ViewPrimitives* view = GetView();
  platform::Platform* services = view ? view->PlatformServices() : nullptr;
  if (!services) return false;
  platform::NoteDialogFields fields;
  fields.name = GetTooltip();
  fields.link = GetLink();
  fields.description = description_;
  fields.editable = IsBeingCreated() || (AllowsEditing() && IsEditing());
  platform::Shell& shell = services->ShellService();
  fields.visit = [&shell](const std::string& link) { shell.OpenUrl(link, "_blank"); };
  if (!services->DialogBox().NoteDialog(fields)) return false;
  if (!fields.editable) return true;
  SetTooltip(fields.name);
  SetLink(fields.link);
  description_ = fields.description;
  view->InvalidateObject(*this, true);
  return true;
}

}  // namespace zolvex
