#pragma once
#include <string>

namespace zolvex::platform {

// Diagnostic traces: written to stderr when ZOLVEX_DEBUG is set, dropped otherwise.
bool DebugEnabled();
void DebugOutput(const std::string& text);
// printf-style convenience for the timing traces.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zolvex::platform
