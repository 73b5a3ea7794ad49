#include "documents/modes/PageModeHooks.h"

#include "documents/DocumentHost.h"

namespace zolvex {

void PageModeHooks::Install(DocumentHost& host, MouseHook* mouse, KeyHook* key) {
  if (!installed_) {
    previousMouse_ = host.GetMouseHook();
    previousKey_ = host.GetKeyHook();
  }
  host.SetMouseHook(mouse);
  host.SetKeyHook(key);
  installed_ = true;
}

void PageModeHooks::Remove(DocumentHost& host) {
  if (!installed_) return;
  host.SetMouseHook(previousMouse_);
  host.SetKeyHook(previousKey_);
  installed_ = false;
}

}  // namespace zolvex
