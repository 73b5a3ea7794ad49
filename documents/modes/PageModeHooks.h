#pragma once

namespace zolvex {

class DocumentHost;
class KeyHook;
class MouseHook;

// A page-mode document's place in the view's input: while installed the document hears the
// mouse and keys first; removing it puts back the hooks that were there before.
class PageModeHooks {
 public:
  void Install(DocumentHost& host, MouseHook* mouse, KeyHook* key);
  // Puts the earlier hooks back; nothing when not installed.
  void Remove(DocumentHost& host);
  bool IsInstalled() const { return installed_; }

 private:
  MouseHook* previousMouse_ = nullptr;
  KeyHook* previousKey_ = nullptr;
  bool installed_ = false;
};

}  // namespace zolvex
