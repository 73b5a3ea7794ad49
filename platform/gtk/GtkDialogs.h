#pragma once
#include "platform/Dialogs.h"

namespace zolvex::platform {

// Modal GTK dialogs on the desktop.
class GtkDialogs : public Dialogs {
 public:
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
  std::unique_ptr<ProgressWindow> OpenProgress(const std::string& text) override;
};

}  // namespace zolvex::platform
