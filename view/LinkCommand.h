#pragma once
#include <string>

namespace zolvex {

// A link string read as a command of the view ("goto:", "panto:", "exec:", "keyboard:" and
// the others). Opening content and the command interpreter read links through it, so the
// two agree on which links are commands.
struct LinkCommand {
  std::string text;    // the link without trailing white space
  std::string scheme;  // lower case: the text before the first ":", or without one its
                       // first four characters when it is longer than that
  std::string rest;    // the text after the first ":" ("" without one)

  static LinkCommand Parse(const std::string& link);
  // A known command long enough to be one; anything else opens as content.
  bool IsCommand() const;
  // Longest "goto:", "panto:" and "vpanto:" links that still run (longer ones do nothing).
  static constexpr std::size_t kMaxPositionLink = 48;
};

}  // namespace zolvex
