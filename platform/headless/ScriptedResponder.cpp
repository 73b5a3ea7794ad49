#include "platform/headless/ScriptedResponder.h"

namespace zolvex::platform {

namespace {

template <typename T>
std::optional<T> TakeFront(std::deque<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}

void CollectLabels(const std::vector<MenuItem>& items, std::vector<std::string>& labels) {
  for (const MenuItem& item : items) {
    if (!item.label.empty()) labels.push_back(item.label);
    CollectLabels(item.submenu, labels);
  }
}

}  // namespace

void ScriptedResponder::QueueMessageAnswer(DialogResult answer) {
  std::lock_guard lock(mutex_);
  messageAnswers_.push_back(answer);
}
void ScriptedResponder::QueueText(std::optional<std::string> text) {
  std::lock_guard lock(mutex_);
  texts_.push_back(std::move(text));
}
void ScriptedResponder::QueueSaveFile(std::optional<std::string> path) {
  std::lock_guard lock(mutex_);
  files_.push_back(std::move(path));
}
void ScriptedResponder::QueueMenuChoice(int command) {
  std::lock_guard lock(mutex_);
  menuChoices_.push_back(command);
}
void ScriptedResponder::QueueForm(std::optional<std::map<std::string, std::string>> values) {
  std::lock_guard lock(mutex_);
  forms_.push_back(std::move(values));
}

void ScriptedResponder::QueueTextDialog(std::function<bool(TextDialogFields&)> answer) {
  std::lock_guard lock(mutex_);
  textDialogs_.push_back(std::move(answer));
}
void ScriptedResponder::QueueNoteDialog(std::function<bool(NoteDialogFields&)> answer) {
  std::lock_guard lock(mutex_);
  noteDialogs_.push_back(std::move(answer));
}

std::vector<DialogRecord> ScriptedResponder::Records() const {
  std::lock_guard lock(mutex_);
  return records_;
}

void ScriptedResponder::ClearRecords() {
  std::lock_guard lock(mutex_);
  records_.clear();
}

void ScriptedResponder::Record(DialogRecord record) { records_.push_back(std::move(record)); }

DialogResult ScriptedResponder::MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                           MessageButtons buttons) {
  std::lock_guard lock(mutex_);
  Record({"message", text, caption, icon, buttons, {}});
  if (auto answer = TakeFront(messageAnswers_)) return *answer;
  switch (buttons) {
    case MessageButtons::Ok: return DialogResult::Ok;
    case MessageButtons::YesNo: return DialogResult::No;
    default: return DialogResult::Cancel;
  }
}

std::optional<std::string> ScriptedResponder::PromptText(const std::string& prompt, const std::string& caption,
                                                         const std::string&) {
  std::lock_guard lock(mutex_);
  Record({"prompt", prompt, caption, MessageIcon::None, MessageButtons::OkCancel, {}});
  return TakeFront(texts_).value_or(std::nullopt);
}

std::optional<std::string> ScriptedResponder::SaveFile(const std::string& caption, const std::string& suggestedName,
                                                       const std::vector<FileFilter>&) {
  std::lock_guard lock(mutex_);
  Record({"save", suggestedName, caption, MessageIcon::None, MessageButtons::OkCancel, {}});
  return TakeFront(files_).value_or(std::nullopt);
}

void ScriptedResponder::QueueMenuAction(std::function<void()> action) {
  std::lock_guard lock(mutex_);
  menuActions_.push_back(std::move(action));
}

int ScriptedResponder::PopupMenu(const std::vector<MenuItem>& items, Point) {
  std::function<void()> action;
  {
    std::lock_guard lock(mutex_);
    if (!menuActions_.empty()) {
      action = std::move(menuActions_.front());
      menuActions_.pop_front();
    }
  }
  if (action) action();
  std::lock_guard lock(mutex_);
  DialogRecord record{"menu", {}, {}, MessageIcon::None, MessageButtons::Ok, {}};
  CollectLabels(items, record.items);
  Record(std::move(record));
  return TakeFront(menuChoices_).value_or(0);
}

bool ScriptedResponder::Form(const std::string& caption, std::vector<FormField>& fields) {
  std::lock_guard lock(mutex_);
  std::string names;
  for (const FormField& field : fields) names += (names.empty() ? "" : ",") + field.name;
  Record({"form", names, caption, MessageIcon::None, MessageButtons::OkCancel, {}});
  auto answer = TakeFront(forms_).value_or(std::nullopt);
  if (!answer) return false;
  for (FormField& field : fields) {
    auto value = answer->find(field.name);
    if (value != answer->end()) field.value = value->second;
  }
  return true;
}

}  // namespace zolvex::platform

namespace zolvex::platform {

// The answer runs without the lock: it may call back (a note's visit) into other services.
template <typename Fields>
bool ScriptedResponder::AnswerDialog(std::deque<std::function<bool(Fields&)>>& answers, DialogRecord record,
                                     Fields& fields) {
  std::function<bool(Fields&)> answer;
  {
    std::lock_guard lock(mutex_);
    Record(std::move(record));
    if (auto next = TakeFront(answers)) answer = std::move(*next);
  }
  if (!answer) return false;
  Fields edited = fields;
  if (!answer(edited)) return false;
  fields = std::move(edited);
  return true;
}

bool ScriptedResponder::TextDialog(TextDialogFields& fields) {
  return AnswerDialog(textDialogs_,
                      {"text",
                       fields.text,
                       "Load Text",
                       MessageIcon::None,
                       MessageButtons::OkCancel,
                       {fields.font, fields.size, std::to_string(fields.colorIndex)}},
                      fields);
}

bool ScriptedResponder::NoteDialog(NoteDialogFields& fields) {
  return AnswerDialog(noteDialogs_,
                      {"note",
                       fields.description,
                       "Note Properties",
                       MessageIcon::None,
                       MessageButtons::OkCancel,
                       {fields.name, fields.link, fields.editable ? "yes" : "no"}},
                      fields);
}

}  // namespace zolvex::platform
