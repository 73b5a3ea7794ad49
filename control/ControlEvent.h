#pragma once
#include <string>
#include <variant>
#include <vector>

namespace zolvex {

// One argument of an event to the host: a number (coordinates, flags, times) or a text.
using EventArgument = std::variant<long long, std::string>;

// An event of the control's event interface, as the host receives it: the event's name,
// its dispatch number and its arguments in order.
struct ControlEvent {
  std::string name;
  int dispatchId = 0;
  std::vector<EventArgument> arguments;
};

// Dispatch numbers of the event interface.
namespace event_id {
constexpr int kOnLoaded = 1;
constexpr int kOnLoading = 2;
constexpr int kOnError = 3;
constexpr int kOnMouseMove = 4;
constexpr int kOnLButtonUp = 5;
constexpr int kOnLButtonDown = 6;
constexpr int kOnRButtonUp = 7;
constexpr int kOnRButtonDown = 8;
constexpr int kOnBrowserEvent = 9;
constexpr int kOnMButtonUp = 10;
constexpr int kOnMButtonDown = 11;
constexpr int kOnFollowLink = 12;
constexpr int kOnLButtonDblClk = 13;
constexpr int kOnRButtonDblClk = 14;
constexpr int kOnObjectMouseEvent = 15;
}  // namespace event_id

// The host's side of the event interface. Events are fired on the window thread, one at a
// time; a handler may call back into the control (and read or write "Process_Event").
class ControlEventSink {
 public:
  virtual ~ControlEventSink() = default;
  virtual void Fire(const ControlEvent& event) = 0;
};

}  // namespace zolvex
