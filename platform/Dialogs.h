#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace zolvex::platform {

enum class MessageIcon { None, Information, Warning, Stop, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class DialogResult { Ok, Cancel, Yes, No, Retry };

struct FileFilter {
  std::string description;  // "JPEG image"
  std::string pattern;      // "*.jpg"
};

struct MenuItem {
  int command = 0;  // 0 with an empty label is a separator
  std::string label;
  bool checked = false;
  bool enabled = true;
  std::vector<MenuItem> submenu;
};

enum class FieldKind { Text, MultilineText, Check, Choice };

struct FormField {
  std::string name;
  std::string label;
  FieldKind kind = FieldKind::Text;
  std::string value;  // "yes"/"no" for checks; the chosen entry for choices
  std::vector<std::string> choices;
};

// The fields of the text dialog ("Load Text"): the text (lines separated by "\n"), a font
// family out of the installed ones, the size as typed, and a colour out of a fixed list
// whose last entry ("Custom") holds a colour of the user's choice.
struct TextDialogFields {
  std::string text;
  std::vector<std::string> fonts;
  std::string font;
  std::string size;
  std::vector<Color> colors;  // the fixed entries; the custom one follows them
  Color customColor = 0;
  int colorIndex = 0;  // an index into colors, or colors.size() for the custom colour

  Color ChosenColor() const {
    return colorIndex >= 0 && colorIndex < static_cast<int>(colors.size()) ? colors[colorIndex] : customColor;
  }
};

// The fields of the note dialog ("Note Properties"). visit opens a link in the user's
// browser; the dialog calls it with the link as the field holds it.
struct NoteDialogFields {
  std::string name;
  std::string link;
  std::string description;  // lines separated by "\n"
  bool editable = false;    // read-only fields otherwise
  std::function<void(const std::string& link)> visit;
};

// A small window that shows how far a long operation has come; closed when destroyed.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // The label ("(42.00%) ...") and the bar, 0 to 100; shown at once.
  virtual void Update(const std::string& label, double percent) = 0;
};

// Modal questions to the user. The desktop backend shows real dialogs; the headless
// backend answers from a script and records every question.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual DialogResult MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                  MessageButtons buttons) = 0;
  // The text entered, or nothing when cancelled.
  virtual std::optional<std::string> PromptText(const std::string& prompt, const std::string& caption,
                                                const std::string& initial) = 0;
  // The chosen path, or nothing when cancelled.
  // A suggested name with a folder ("/home/u/clips/clip.jpg") opens in that folder.
  virtual std::optional<std::string> SaveFile(const std::string& caption, const std::string& suggestedName,
                                              const std::vector<FileFilter>& filters) = 0;
  // Opens a progress window with a text over its bar; null where there are no windows.
  virtual std::unique_ptr<ProgressWindow> OpenProgress(const std::string& /*text*/) { return nullptr; }
  // The command of the chosen item, or 0 when the menu was dismissed.
  virtual int PopupMenu(const std::vector<MenuItem>& items, Point screenPoint) = 0;
  // Edits the fields in place; false when cancelled (fields unchanged).
  virtual bool Form(const std::string& caption, std::vector<FormField>& fields) = 0;
  // Edits the text dialog's fields in place; false when cancelled.
  virtual bool TextDialog(TextDialogFields& fields) = 0;
  // Edits the note dialog's fields in place; false when cancelled (a read-only dialog
  // answers true on OK but leaves the fields as they were).
  virtual bool NoteDialog(NoteDialogFields& fields) = 0;
};

}  // namespace zolvex::platform
