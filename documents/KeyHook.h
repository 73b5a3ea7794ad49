#pragma once
#include <cstdint>

namespace zolvex {

// Key-down input that the active document sees before the view does. The answer tells
// whether the hook consumed the key; a consumed key is reported as handled and the view
// does nothing more with it.
class KeyHook {
 public:
  virtual ~KeyHook() = default;
  virtual bool OnKeyDown(int key, int repeat, unsigned flags, std::uint64_t time) = 0;
};

}  // namespace zolvex
