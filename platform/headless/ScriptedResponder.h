#pragma once
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace zolvex::platform {

// One question that a dialog asked.
struct DialogRecord {
  std::string kind;  // "message", "prompt", "save", "menu", "form", "text", "note"
  // message text, prompt, the form's field names joined by ",", the text dialog's text or
  // the note's description, as the dialog opened with them
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
  // menu labels; the text dialog's font, size and colour index; the note's name, link and
  // "yes" or "no" for editable
  std::vector<std::string> items;
};

// Answers dialogs from a script that tests fill, and records every question. A question
// without a queued answer gets the default: Cancel or No (OK for an OK-only box), no text,
// no file, no menu item, a cancelled form or dialog. A text or note dialog is answered by a
// function that edits the fields (a note's may call visit) and answers OK (true) or Cancel.
class ScriptedResponder : public Dialogs {
 public:
  void QueueMessageAnswer(DialogResult answer);
  void QueueText(std::optional<std::string> text);
  void QueueSaveFile(std::optional<std::string> path);
  void QueueMenuChoice(int command);
  // Runs while the next popup menu is open, as the tasks and timers that a real menu's
  // nested main loop keeps running.
  void QueueMenuAction(std::function<void()> action);
  void QueueForm(std::optional<std::map<std::string, std::string>> values);
  void QueueTextDialog(std::function<bool(TextDialogFields&)> answer);
  void QueueNoteDialog(std::function<bool(NoteDialogFields&)> answer);

  std::vector<DialogRecord> Records() const;
  void ClearRecords();

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
  void Record(DialogRecord record);
  template <typename Fields>
  bool AnswerDialog(std::deque<std::function<bool(Fields&)>>& answers, DialogRecord record, Fields& fields);

  mutable std::mutex mutex_;
  std::vector<DialogRecord> records_;
  std::deque<DialogResult> messageAnswers_;
  std::deque<std::optional<std::string>> texts_;
  std::deque<std::optional<std::string>> files_;
  std::deque<int> menuChoices_;
  std::deque<std::function<void()>> menuActions_;
  std::deque<std::optional<std::map<std::string, std::string>>> forms_;
  std::deque<std::function<bool(TextDialogFields&)>> textDialogs_;
  std::deque<std::function<bool(NoteDialogFields&)>> noteDialogs_;
};

}  // namespace zolvex::platform
