#include "documents/DocumentText.h"

#include <algorithm>

#include "documents/CReaderException.h"
#include "documents/DocumentHost.h"
#include "documents/MapDocument.h"
#include "documents/MessageTable.h"
#include "net/FetchUrl.h"
#include "net/Url.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr std::size_t kDeclarationWindow = 256;

// Code points of the bytes 0x80..0x9F in code page 1252 (0 where the page has none).
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

std::string SlashedUrl(const std::string& url) {
  std::string slashed = url;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  return slashed;
}

std::string BasePathOf(const std::string& url) {
  std::size_t slash = url.rfind('/');
  return slash == std::string::npos ? std::string() : url.substr(0, slash + 1);
}

std::string JoinToBase(const std::string& reference, const std::string& basePath) {
  return ResolveContentUrl(reference, basePath);
}

// Only a "." in the last path segment starts an extension: "http://h.example/city" has none.
std::string DerivedImageName(const std::string& url) {
  std::string name = url.substr(0, url.find(','));
  std::size_t dot = name.rfind('.');
  std::size_t slash = name.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return url + ".ktq";
  return name.substr(0, dot) + ".ktq";
}

bool IsServerUrl(const std::string& url) { return StartsWithNoCase(url, "ktq:"); }

std::string DeclaredEncoding(const std::vector<std::uint8_t>& bytes) {
  const std::size_t end = std::min(bytes.size(), kDeclarationWindow);
  auto at = [&](std::size_t i) { return i < end ? static_cast<char>(bytes[i]) : '\0'; };
  std::size_t i = 0;
  while (i < end && at(i) != '<') ++i;
  if (at(i + 1) != '?' || at(i + 2) != 'x' || at(i + 3) != 'm' || at(i + 4) != 'l') return {};
  i += 5;
  std::string name;
  while (i < end) {
    char c = at(i);
    if (c == '?' && at(i + 1) == '>') return {};
    if (c == ' ') {
      name.clear();
      ++i;
      continue;
    }
    if (c != '=') {
      name += c;
      ++i;
      continue;
    }
    char quote = at(i + 1);
    if (quote != '"' && quote != '\'') return {};
    std::size_t valueStart = i + 2, valueEnd = valueStart;
    while (valueEnd < end && at(valueEnd) != quote) ++valueEnd;
    if (valueEnd >= end) return {};
    if (name == "encoding") return std::string(bytes.begin() + valueStart, bytes.begin() + valueEnd);
    name.clear();
    i = valueEnd + 1;
  }
  return {};
}

std::string DecodeMarkup(const std::vector<std::uint8_t>& bytes) {
  if (EqualsNoCase(DeclaredEncoding(bytes), "utf-8")) return std::string(bytes.begin(), bytes.end());
  return AnsiToUtf8(bytes);
}

std::string BytesAsCharacters(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::uint8_t byte : bytes) AppendUtf8(text, byte);
  return text;
}

std::string AnsiToUtf8(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::uint8_t byte : bytes) {
    char32_t code = byte;
    if (byte >= 0x80 && byte < 0xA0 && kWindows1252High[byte - 0x80] != 0) code = kWindows1252High[byte - 0x80];
    AppendUtf8(text, code);
  }
  return text;
}

void ThrowNotFound(DocumentHost& host, const std::string& url, int status) {
  const std::string messageFile = host.GetBrowserProperty("ErrorMsgXml");
  if (status == 401) throw CReaderException(GetMessageText(409, messageFile));
  throw CReaderException(GetMessageText(401, messageFile, url));
}

DocumentBytes ReadDocumentBytes(DocumentHost& host, const std::string& url, bool emptyIsMissing) {
  DocumentBytes result;
  if (url.size() >= 5 && IsServerUrl(url)) {
    auto image = host.OpenSubDocument({SubDocumentKind::Image, url});
    result.fetched = image && image->GetFile(url, result.bytes);
    result.serverImage = std::move(image);
    return result;
  }
  FetchResult fetched = FetchUrl(url);
  if (!fetched.Ok() || (emptyIsMissing && fetched.bytes->empty())) {
    ThrowNotFound(host, url, fetched.Ok() ? 0 : fetched.lengthOrStatus);
  }
  result.bytes = std::move(*fetched.bytes);
  result.fetched = true;
  return result;
}

}  // namespace zolvex
