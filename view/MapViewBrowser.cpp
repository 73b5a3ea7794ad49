// Web links: what the view hands to the user's web browser.
#include <string>

#include "platform/Platform.h"
#include "view/MapView.h"

namespace zolvex {

namespace {

struct BrowserLink {
  std::string url;
  std::string target;
};

// "(target)" in a link names the browser window or frame; the rest is the URL.
BrowserLink SplitBrowserTarget(const std::string& link) {
  const std::size_t open = link.find('(');
  const std::size_t close = link.find(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return {link, {}};
  return {link.substr(0, open) + link.substr(close + 1), link.substr(open + 1, close - open - 1)};
}

// Links written into markup escape "&" as "%26".
std::string UnescapeAmpersands(std::string url) {
  for (std::size_t at = url.find("%26"); at != std::string::npos; at = url.find("%26", at + 1)) {
    url.replace(at, 3, "&");
  }
  return url;
}

}  // namespace

void MapView::NavigateBrowser(const std::string& link, const std::string& defaultTarget) {
  BrowserLink split = SplitBrowserTarget(link);
  std::string target = split.target.empty() ? defaultTarget : split.target;
  // A target holding "=" lists the features of a new window; the browser hand-over
  // knows windows by name only, so it becomes a new window.
  if (target.empty() || target.find('=') != std::string::npos) target = "_blank";
  platform_.ShellService().OpenUrl(UnescapeAmpersands(split.url), target);
}

}  // namespace zolvex
