#include "view/TransitionRequest.h"

#include <algorithm>
#include <vector>

#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr int kDefaultDurationMs = 500;

std::vector<std::string> SplitFields(const std::string& request) {
  std::vector<std::string> fields(1);
  for (char c : request) {
    if (c == ':') fields.emplace_back();
    else fields.back() += c == '$' ? ':' : c;
  }
  return fields;
}

struct NamedTransition {
  const char* name;
  const char* effect;
  int direction;
  bool onePage;
};

constexpr NamedTransition kTransitions[] = {
    {"alphablend", "alpha", kForwardHorizontal, false},
    {"pageturn", "pageturn", kForwardHorizontal, false},
    {"pageturnback", "pageturn", kBackwardHorizontal, false},
    {"onepageturn", "pageturn", kForwardHorizontal, true},
    {"onepageturnback", "pageturn", kBackwardHorizontal, true},
};

// What "random" may become: never a backward turn.
constexpr const char* kRandomChoices[] = {"alphablend", "pageturn", "onepageturn"};

}  // namespace

TransitionRequest ReadTransitionRequest(const std::string& request, const std::function<unsigned()>& random) {
  const std::vector<std::string> fields = SplitFields(request);
  TransitionRequest result;
  if (fields.size() >= 2) result.durationMs = ParseInt(fields[1]);
  if (result.durationMs < 1) result.durationMs = kDefaultDurationMs;
  std::string name = fields[0];
  if (EqualsNoCase(name, "random")) name = kRandomChoices[(random ? random() : 0) % 3];
  auto known = std::find_if(std::begin(kTransitions), std::end(kTransitions),
                            [&](const NamedTransition& t) { return EqualsNoCase(name, t.name); });
  if (known == std::end(kTransitions)) return result;
  result.effect = known->effect;
  result.direction = known->direction;
  result.onePage = known->onePage;
  return result;
}

}  // namespace zolvex
