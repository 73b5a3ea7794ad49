#include "documents/MessageTable.h"

#include <cstdio>

#include "documents/MessageTexts.h"
#include "net/FetchUrl.h"
#include "platform/Debug.h"
#include "platform/Files.h"
#include "platform/TextValues.h"
#include "platform/XmlDom.h"

namespace zolvex {

namespace {

// A URL scheme of two or more letters ("C:" is a drive, not a scheme); empty for paths.
std::string SchemeOf(const std::string& location) {
  const size_t colon = location.find(':');
  if (colon == std::string::npos || colon < 2) return {};
  for (size_t i = 0; i < colon; ++i) {
    const char c = location[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool later = c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9');
    if (!letter && !(i > 0 && later)) return {};
  }
  return location.substr(0, colon);
}

std::string FormatParseError(const platform::XmlDomError& error) {
  char numbers[128];
  std::snprintf(numbers, sizeof numbers, "\nError on line %d, position %d\nError (%x) text: ", error.line,
                error.position, static_cast<unsigned>(error.code));
  return "Error processing XML file: " + error.url + numbers + error.reason;
}

}  // namespace

MessageLanguage MessageLanguageFromName(std::string_view name) {
  static constexpr std::pair<std::string_view, MessageLanguage> kNames[] = {
      {"Korean", MessageLanguage::Korean},   {"Japanese", MessageLanguage::Japanese},
      {"Vietnamese", MessageLanguage::Vietnamese}, {"French", MessageLanguage::French},
      {"Malaysian", MessageLanguage::Malaysian}, {"German", MessageLanguage::German},
      {"Spanish", MessageLanguage::Spanish}, {"Chinese", MessageLanguage::Chinese},
  };
  for (const auto& [text, language] : kNames) {
    if (EqualsNoCase(name, text)) return language;
  }
  return MessageLanguage::English;
}

std::string ReplaceUrl(std::string text, const std::string& url) {
  static constexpr std::string_view kMarker = "%url";
  for (size_t at = text.find(kMarker); at != std::string::npos; at = text.find(kMarker, at + url.size())) {
    text.replace(at, kMarker.size(), url);
  }
  return text;
}

MessageTable::MessageTable()
    : fetcher_([](const std::string& url) { return FetchUrl(url).bytes; }),
      reporter_([](const std::string& text) { platform::DebugOutput(text + "\n"); }) {}

MessageTable& MessageTable::Shared() {
  static MessageTable table;
  return table;
}

void MessageTable::SetLanguage(MessageLanguage language) {
  std::lock_guard lock(mutex_);
  language_ = language;
}

MessageLanguage MessageTable::Language() const {
  std::lock_guard lock(mutex_);
  return language_;
}

void MessageTable::SetFetcher(Fetcher fetcher) {
  std::lock_guard lock(mutex_);
  fetcher_ = std::move(fetcher);
}

void MessageTable::SetErrorReporter(ErrorReporter reporter) {
  std::lock_guard lock(mutex_);
  reporter_ = std::move(reporter);
}

std::string MessageTable::BuiltInText(MessageLanguage language, int number) {
  const char* text = FindBuiltInMessage(language, number);
  if (!text) text = FindBuiltInMessage(MessageLanguage::English, number);
  return text ? text : std::string();
}

std::string MessageTable::GetMessageText(int number, const std::string& messageFile) const {
  if (!messageFile.empty()) {
    if (auto text = LookUpInFile(number, messageFile); text && !text->empty()) return *std::move(text);
  }
  return BuiltInText(Language(), number);
}

std::string MessageTable::GetMessageText(int number, const std::string& messageFile, const std::string& url) const {
  return ReplaceUrl(GetMessageText(number, messageFile), url);
}

// Local paths and "file:" URLs are read directly; other URLs only through the fetcher.
std::optional<std::vector<std::uint8_t>> MessageTable::ReadMessageFile(const std::string& messageFile) const {
  const std::string scheme = SchemeOf(messageFile);
  if (scheme.empty() || EqualsNoCase(scheme, "file")) return platform::ReadFileBytes(messageFile);
  Fetcher fetcher;
  {
    std::lock_guard lock(mutex_);
    fetcher = fetcher_;
  }
  if (!fetcher) return std::nullopt;
  return fetcher(messageFile);
}

// The first "error" element (any case), depth-first in document order, with an attribute
// that reads "id=<number>" when its name and value are joined with "=" (any case).
std::optional<std::string> MessageTable::LookUpInFile(int number, const std::string& messageFile) const {
  const auto bytes = ReadMessageFile(messageFile);
  if (!bytes) return std::nullopt;
  platform::XmlDom dom;
  if (!dom.LoadBytes(*bytes, messageFile)) {
    if (dom.Error().line > 0) Report(FormatParseError(dom.Error()));
    return std::nullopt;
  }
  const std::string wanted = "id=" + std::to_string(number);
  return dom.FindElementText([&wanted](const platform::XmlDomElement& element) {
    if (!EqualsNoCase(element.name, "error")) return false;
    for (const auto& [name, value] : element.attributes) {
      if (EqualsNoCase(name + "=" + value, wanted)) return true;
    }
    return false;
  });
}

void MessageTable::Report(const std::string& text) const {
  ErrorReporter reporter;
  {
    std::lock_guard lock(mutex_);
    reporter = reporter_;
  }
  if (reporter) reporter(text);
}

std::string GetMessageText(int number, const std::string& messageFile) {
  return MessageTable::Shared().GetMessageText(number, messageFile);
}

std::string GetMessageText(int number, const std::string& messageFile, const std::string& url) {
  return MessageTable::Shared().GetMessageText(number, messageFile, url);
}

}  // namespace zolvex
