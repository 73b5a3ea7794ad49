#pragma once
#include <cstdint>
#include <string>

namespace zolvex {

// Joins a relative reference to a base URL or path. Absolute references ("http:", "mms:",
// "ktq:", "file:", "X:" drive paths) come back unchanged (trimmed). Local drive paths come
// back with "\" separators and without "file://"; doubled slashes are collapsed.
std::string ResolveUrl(const std::string& relative, const std::string& base);

// ResolveUrl, then removes "." and ".." segments. A ".." with no segment before it (at the
// root of a host, a drive or a path) is dropped and the root kept: http://h/../a gives
// http://h/a.
std::string NormaliseUrl(const std::string& relative, const std::string& base);

// Joins a content URL to the base URL the way content opening does: a reference without
// ":" that does not begin with "\" or "/" is prefixed by the base (or made absolute against
// the working folder when there is no base); "\" becomes "/" and "/../" and "/./" steps go.
std::string ResolveContentUrl(const std::string& url, const std::string& baseUrl);

// Decimal text of value: "-" for a negative value, then the digits without leading zeros.
std::string FormatDecimal(std::int32_t value);

// The parts of an "http:" URL: host, port (80 when none is given) and object (path with
// query, "/" when empty).
struct HttpUrlParts {
  std::string host;
  int port = 80;
  std::string object;
};
HttpUrlParts SplitHttpUrl(const std::string& url);

// Text comparisons of the URL rules: ASCII letters in any case.
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
bool EndsWithNoCase(const std::string& text, const std::string& suffix);

}  // namespace zolvex
