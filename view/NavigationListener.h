#pragma once
#include <string>
#include <utility>

namespace zolvex {

class CReaderException;

// The control's sink for what the view does with content. Every call arrives on the
// window thread.
class NavigationListener {
 public:
  virtual ~NavigationListener() = default;
  virtual void OnLoading(const std::string& url) = 0;
  // A link was followed; SplitFollowLink gives the two parameters the page receives.
  virtual void OnFollowLink(const std::string& url) = 0;
  virtual void OnLoaded(const std::string& url) = 0;
  // The message of error is at most kMaxErrorText bytes long.
  virtual void OnError(const CReaderException& error) = 0;

  static constexpr std::size_t kMaxErrorText = 3000;

  // The URL before "<@" and the text after it (empty without "<@").
  static std::pair<std::string, std::string> SplitFollowLink(const std::string& url) {
    std::size_t mark = url.find("<@");
    if (mark == std::string::npos) return {url, {}};
    return {url.substr(0, mark), url.substr(mark + 2)};
  }
};

}  // namespace zolvex
