#pragma once
#include <memory>
#include <string>

#include "objects/CComponentLink.h"

namespace zolvex {

// A note: a small picture (its icon) that opens a dialog with the note's title (its
// tooltip), its link and a description of several lines.
class NoteObject : public CComponentLink {
 public:
  static constexpr int kLayer = 2;
  static constexpr int kDefaultSize = 10;

  // The icon is the normal and the mouse-over picture at once; it may be null.
  NoteObject(int x, int y, int width, int height, const std::string& link, std::shared_ptr<ViewImage> icon);
  ~NoteObject() override;

  // The description with its line breaks written as the four characters \r\n, and back.
  static std::string EncodeDescription(const std::string& description);
  static std::string DecodeDescription(const std::string& text);

  std::string GetXml() const override;
  std::string GetProperty(const std::string& name) const override;
  bool CommitProperties() override;
  // Draws the icon, or a small note sign when there is none.
  void Draw() override;
  // While being created, a press places the note at the pressed point and the release ends
  // the creation with the note dialog.
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  bool IsCapturingMouse() const override { return IsBeingCreated(); }
  bool AllowsViewDrag(int, int) const override { return !IsCapturingMouse(); }
  // A left click opens the note dialog; a right click acts as on any link.
  void OnClick(platform::Point point, int button) override;
  void OnClickWithOption(platform::Point point, int button, const std::string& option) override;

  // Opens the note dialog ("Note Properties"); its fields can be changed only while the
  // note allows editing and is in editing mode (or is being created). False when cancelled
  // or when the view offers no dialogs.
  bool OpenDialog();

  const std::string& GetDescription() const { return description_; }
  void SetDescription(const std::string& description) { description_ = description; }

 private:
  std::string description_;  // lines separated by "\n"
  bool placed_ = false;      // the press of the creation has come
};

}  // namespace zolvex
