#pragma once
#include <string>

#include "platform/Dialogs.h"

namespace zolvex::platform {

// Questions to the user of a web page. The page's thread cannot wait for an answer in an
// HTML overlay, so messages show as a small overlay over the control that the user closes,
// and the call answers at once as a dismissed box would (OK, or Cancel and No when asked);
// a text is asked for through the browser's own prompt, which does wait. Save dialogs,
// menus and forms have no page counterpart here and answer cancelled.
class HtmlDialogs : public Dialogs {
 public:
  explicit HtmlDialogs(std::string canvasId) : canvasId_(std::move(canvasId)) {}

  DialogResult MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) override;
  std::optional<std::string> PromptText(const std::string& prompt, const std::string& caption,
                                        const std::string& initial) override;
  std::optional<std::string> SaveFile(const std::string& caption, const std::string& suggestedName,
                                      const std::vector<FileFilter>& filters) override;
  int PopupMenu(const std::vector<MenuItem>& items, Point screenPoint) override;
  bool Form(const std::string& caption, std::vector<FormField>& fields) override;
  bool TextDialog(TextDialogFields& fields) override;
  bool NoteDialog(NoteDialogFields& fields) override;

 private:
  std::string canvasId_;
};

}  // namespace zolvex::platform
