#include "platform/Debug.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace zolvex::platform {

bool DebugEnabled() {
  static const bool enabled = std::getenv("ZOLVEX_DEBUG") != nullptr;
  return enabled;
}

void DebugOutput(const std::string& text) {
  if (!DebugEnabled()) return;
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::fputs(text.c_str(), stderr);
}

void DebugPrintf(const char* format, ...) {
  if (!DebugEnabled()) return;
  char buffer[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  DebugOutput(buffer);
}

}  // namespace zolvex::platform
