#include "platform/web/HtmlDialogs.h"

#include <emscripten.h>

#include <cstdlib>

namespace zolvex::platform {

// clang-format off
// A box over the canvas with the caption, the text and a close button; the page styles it
// through the class "zolvex-dialog".
EM_JS(void, zolvex_dialog_show, (const char* canvasId, const char* caption, const char* text), {
  const canvas = document.getElementById(UTF8ToString(canvasId));
  const parent = canvas ? canvas.parentElement : document.body;
  const box = document.createElement('div');
  box.className = 'zolvex-dialog';
  box.setAttribute('role', 'alertdialog');
  box.style.cssText = 'position:absolute;left:50%;top:40%;transform:translate(-50%,-50%);min-width:16em;' +
                      'max-width:80%;background:#fff;color:#000;border:1px solid #888;padding:0.8em;' +
                      'font:14px sans-serif;box-shadow:0 2px 8px rgba(0,0,0,0.4);z-index:10';
  const title = document.createElement('div');
  title.style.fontWeight = 'bold';
  title.textContent = UTF8ToString(caption);
  const body = document.createElement('div');
  body.style.cssText = 'margin:0.6em 0;white-space:pre-wrap';
  body.textContent = UTF8ToString(text);
  const close = document.createElement('button');
  close.textContent = 'OK';
  close.onclick = function () { box.remove(); };
  box.append(title, body, close);
  if (parent && getComputedStyle(parent).position === 'static') parent.style.position = 'relative';
  (parent || document.body).appendChild(box);
});

// The entered text, or null when cancelled (answered as a fresh allocation the caller frees).
EM_JS(char*, zolvex_dialog_prompt, (const char* prompt, const char* initial), {
  const answer = window.prompt(UTF8ToString(prompt), UTF8ToString(initial));
  if (answer === null) return 0;
  const size = lengthBytesUTF8(answer) + 1;
  const text = _malloc(size);
  stringToUTF8(answer, text, size);
  return text;
});
// clang-format on

DialogResult HtmlDialogs::MessageBox(const std::string& text, const std::string& caption, MessageIcon,
                                     MessageButtons buttons) {
  zolvex_dialog_show(canvasId_.c_str(), caption.c_str(), text.c_str());
  switch (buttons) {
    case MessageButtons::Ok: return DialogResult::Ok;
    case MessageButtons::YesNo: return DialogResult::No;
    default: return DialogResult::Cancel;
  }
}

std::optional<std::string> HtmlDialogs::PromptText(const std::string& prompt, const std::string&,
                                                   const std::string& initial) {
  char* answer = zolvex_dialog_prompt(prompt.c_str(), initial.c_str());
  if (!answer) return std::nullopt;
  std::string text(answer);
  std::free(answer);
  return text;
}

std::optional<std::string> HtmlDialogs::SaveFile(const std::string&, const std::string&, const std::vector<FileFilter>&) {
  return std::nullopt;
}

int HtmlDialogs::PopupMenu(const std::vector<MenuItem>&, Point) { return 0; }

bool HtmlDialogs::Form(const std::string&, std::vector<FormField>&) { return false; }

bool HtmlDialogs::TextDialog(TextDialogFields&) { return false; }

bool HtmlDialogs::NoteDialog(NoteDialogFields&) { return false; }

}  // namespace zolvex::platform
