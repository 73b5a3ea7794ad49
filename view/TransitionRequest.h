#pragma once
#include <functional>
#include <string>

namespace zolvex {

// Direction codes of a page transition: backward (0 or 1) + (0 horizontal, 2 vertical).
enum TransitionDirection : int {
  kForwardHorizontal = 0,
  kBackwardHorizontal = 1,
  kForwardVertical = 2,
  kBackwardVertical = 3,
};

// A transition as a request in "ifx" names it: the effect ("alpha", "pageturn", or empty
// for none), its direction code, whether it turns a single page, and its duration.
struct TransitionRequest {
  std::string effect;
  int direction = kForwardHorizontal;
  bool onePage = false;
  int durationMs = 500;
};

// Reads a request: fields separated by ":", "$" within a field standing for ":"; the first
// field names the transition (in any case), the second is the duration in milliseconds
// (500 when missing or below 1). "random" takes one of "alphablend", "pageturn" and
// "onepageturn" by random() modulo 3.
TransitionRequest ReadTransitionRequest(const std::string& request, const std::function<unsigned()>& random);

}  // namespace zolvex
