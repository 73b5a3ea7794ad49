#include "platform/Clock.h"

#include <chrono>

namespace zolvex::platform {

std::uint64_t TickCountMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::uint64_t SystemClock::NowMs() const { return TickCountMs(); }

}  // namespace zolvex::platform
