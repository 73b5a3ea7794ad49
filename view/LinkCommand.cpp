#include "view/LinkCommand.h"

#include <algorithm>
#include <iterator>

#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr const char* kLinkSchemes[] = {"goto",       "panto",      "vpanto",      "mail",      "exec",
                                        "menu",       "rmenu",      "exit",        "snapleft",  "snapright",
                                        "snapup",     "snapdown",   "scrollleft",  "scrollright", "scrollup",
                                        "scrolldown", "autoscroll", "setautoscroll", "keyboard"};

}  // namespace

LinkCommand LinkCommand::Parse(const std::string& link) {
  LinkCommand command;
  command.text = TrimEnd(link);
  const std::string work = ToLower(command.text);
  const std::size_t colon = work.find(':');
  if (colon != std::string::npos) {
    command.scheme = work.substr(0, colon);
    command.rest = command.text.substr(colon + 1);
  } else if (work.size() > 4) {
    command.scheme = work.substr(0, 4);
  }
  return command;
}

bool LinkCommand::IsCommand() const {
  const bool known = std::any_of(std::begin(kLinkSchemes), std::end(kLinkSchemes),
                                 [&](const char* name) { return scheme == name; });
  if (!known) return false;
  // Too short to carry what the command needs: such a link is a name to open.
  const std::size_t size = text.size();
  if (scheme == "exec") return size > 7;
  if (scheme == "keyboard") return size >= 10;
  if (scheme == "panto" || scheme == "vpanto") return size >= scheme.size() + 3;
  return true;
}

}  // namespace zolvex
