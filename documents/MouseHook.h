#pragma once
#include <cstdint>

namespace zolvex {

// Mouse input that the active document sees before the view does (page-mode documents
// turn pages with it). x, y are window pixels, time the event's milliseconds. Each
// operation answers whether it consumed the event; a consumed event is not handled by
// the view. The defaults consume nothing, so a hook overrides only what it needs.
class MouseHook {
 public:
  virtual ~MouseHook() = default;
  virtual bool OnMouseMove(int /*x*/, int /*y*/, unsigned /*flags*/, std::uint64_t /*time*/) { return false; }
  virtual bool OnLButtonDown(int /*x*/, int /*y*/, std::uint64_t /*time*/) { return false; }
  virtual bool OnLButtonUp(int /*x*/, int /*y*/, std::uint64_t /*time*/) { return false; }
  virtual bool OnRButtonDown(int /*x*/, int /*y*/, std::uint64_t /*time*/) { return false; }
  virtual bool OnRButtonUp(int /*x*/, int /*y*/, std::uint64_t /*time*/) { return false; }
};

}  // namespace zolvex
