#include "net/Url.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string WithForwardSlashes(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

bool IsAbsoluteReference(const std::string& text) {
  return (text.size() > 5 && StartsWithNoCase(text, "http:")) ||
         (text.size() >= 5 && (StartsWithNoCase(text, "mms:") || StartsWithNoCase(text, "ktq:"))) ||
         (text.size() >= 6 && StartsWithNoCase(text, "file:")) || (text.size() >= 3 && text[1] == ':');
}

// A reference beginning with "/" keeps the scheme and host of the base. On a local base it
// is an absolute path already, or the root of the base's drive.
std::string JoinHostRelative(const std::string& relative, const std::string& base) {
  size_t scheme = base.find("://");
  if (scheme == std::string::npos || StartsWithNoCase(base, "file:")) {
    const std::string prefix = scheme == std::string::npos ? "" : base.substr(0, scheme + 3);
    const std::string path = base.substr(prefix.size());
    if (path.size() >= 2 && path[1] == ':') return prefix + path.substr(0, 2) + relative;
    return prefix.empty() ? relative : "file://" + relative;
  }
  size_t host = scheme == std::string::npos ? 0 : scheme + 3;
  while (host < base.size() && base[host] == '/') ++host;
  size_t pathStart = base.find('/', host);
  return (pathStart == std::string::npos ? base : base.substr(0, pathStart)) + relative;
}

std::string Join(const std::string& relative, const std::string& base) {
  if (relative.size() > 1 && relative[0] == '/') return JoinHostRelative(relative, base);
  if (!base.empty() && base.back() != '/') {
    size_t lastSlash = base.rfind('/');
    return lastSlash == std::string::npos ? relative : base.substr(0, lastSlash + 1) + relative;
  }
  return base + relative;
}

// A result naming a file on a drive ("C:/..." after any scheme) loses "file://" and takes
// "\" separators.
std::string AsDrivePath(std::string url) {
  size_t scheme = url.find("://");
  size_t from = scheme == std::string::npos ? 2 : scheme + 3;
  if (from >= url.size() || url.find(":/", from) == std::string::npos) return url;
  if (StartsWithNoCase(url, "file://")) url.erase(0, 7);
  std::replace(url.begin(), url.end(), '/', '\\');
  return url;
}

std::string CollapseDoubledSlashes(std::string url) {
  size_t scheme = url.find("://");
  size_t from = scheme == std::string::npos ? 0 : scheme + 3;
  for (size_t at = url.find("//", from); at != std::string::npos; at = url.find("//", at)) url.erase(at, 1);
  return url;
}

// Length of the part that ".." never removes: "scheme://host/", "X:/" or a leading "/".
size_t RootLength(const std::string& url) {
  size_t scheme = url.find("://");
  if (scheme != std::string::npos) {
    size_t pathStart = url.find('/', scheme + 3);
    return pathStart == std::string::npos ? url.size() : pathStart + 1;
  }
  if (url.size() >= 3 && url[1] == ':' && url[2] == '/') return 3;
  return !url.empty() && url[0] == '/' ? 1 : 0;
}

// Removes the "/../" at `at` with the segment before it; at the root only the "/.." goes.
// Returns where the text first changed: no new "/../" can begin more than three
// characters before it, so the next search need not start over.
size_t RemoveParentStep(std::string& url, size_t at) {
  if (at + 1 <= RootLength(url)) {
    url.erase(at, 3);
    return at;
  }
  size_t cut = url.rfind('/', at - 1);
  size_t keep = cut == std::string::npos ? 0 : cut + 1;
  url.erase(keep, at + 4 - keep);
  return keep;
}

size_t BackThree(size_t at) { return at < 3 ? 0 : at - 3; }

}  // namespace

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return Lower(a) == Lower(b); });
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(),
                                                    [](char a, char b) { return Lower(a) == Lower(b); });
}

std::string ResolveUrl(const std::string& relative, const std::string& base) {
  std::string reference = Trim(relative);
  if (IsAbsoluteReference(reference)) return reference;
  std::string joined = Join(WithForwardSlashes(reference), WithForwardSlashes(base));
  return CollapseDoubledSlashes(AsDrivePath(joined));
}

std::string NormaliseUrl(const std::string& relative, const std::string& base) {
  std::string url = WithForwardSlashes(ResolveUrl(relative, base));
  // "." steps go first: a "." before ".." is no segment that ".." could remove.
  // Each search goes on from just before the last change, which keeps long paths linear.
  for (size_t at = url.find("/./"); at != std::string::npos; at = url.find("/./", BackThree(at))) url.erase(at + 1, 2);
  for (size_t at = url.find("/../"); at != std::string::npos; at = url.find("/../", BackThree(at))) {
    at = RemoveParentStep(url, at);
  }
  // Removing a step can bring two slashes together.
  return AsDrivePath(CollapseDoubledSlashes(url));
}

std::string FormatDecimal(std::int32_t value) { return std::to_string(value); }

HttpUrlParts SplitHttpUrl(const std::string& url) {
  HttpUrlParts parts;
  size_t scheme = url.find("://");
  size_t hostStart = scheme == std::string::npos ? (url.find(':') == std::string::npos ? 0 : url.find(':') + 1)
                                                 : scheme + 3;
  size_t pathStart = url.find('/', hostStart);
  std::string authority = url.substr(hostStart, pathStart == std::string::npos ? std::string::npos : pathStart - hostStart);
  parts.object = pathStart == std::string::npos ? "/" : url.substr(pathStart);
  size_t portColon = authority.rfind(':');
  if (portColon != std::string::npos && authority.find(']', portColon) == std::string::npos) {
    int port = std::atoi(authority.c_str() + portColon + 1);
    if (port > 0 && port < 65536) parts.port = port;
    authority.erase(portColon);
  }
  parts.host = authority;
  return parts;
}

namespace {

bool IsRelativeReference(const std::string& url) {
  return url.find(':') == std::string::npos && !url.starts_with('\\') && !url.starts_with('/');
}

}  // namespace

std::string ResolveContentUrl(const std::string& url, const std::string& baseUrl) {
  std::string joined = url;
  if (IsRelativeReference(url)) joined = baseUrl.empty() ? platform::FullPath(url) : baseUrl + url;
  std::string resolved = NormaliseUrl(joined, "");
  std::replace(resolved.begin(), resolved.end(), '\\', '/');
  return resolved;
}

}  // namespace zolvex
