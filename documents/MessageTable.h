#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zolvex {

// The languages of the built-in message tables.
enum class MessageLanguage { English, Chinese, Spanish, German, Malaysian, French, Vietnamese, Japanese, Korean };

// "Korean", "Japanese", ... in any case; any other name is English.
MessageLanguage MessageLanguageFromName(std::string_view name);

// The user-visible texts of numbered messages (401 to 412: content and connection failures).
// A message file, when one is named, overrides the built-in table of the current language:
// its first "error" element whose "id" attribute equals the number supplies the text.
class MessageTable {
 public:
  // Reads the bytes of a message file named by a URL that is not local (e.g. "http:").
  using Fetcher = std::function<std::optional<std::vector<std::uint8_t>>(const std::string& url)>;
  // Shows the user why a message file could not be read.
  using ErrorReporter = std::function<void(const std::string& text)>;

  MessageTable();

  // The process-wide table that the viewer's parts share; the control sets its language.
  static MessageTable& Shared();

  void SetLanguage(MessageLanguage language);
  MessageLanguage Language() const;
  void SetFetcher(Fetcher fetcher);
  void SetErrorReporter(ErrorReporter reporter);

  // The text of message number: from messageFile (a path, a "file:" URL or, through the
  // fetcher, any other URL) when it has the message, else from the built-in table; empty
  // for a number that neither knows.
  std::string GetMessageText(int number, const std::string& messageFile = {}) const;
  // As above with every "%url" replaced by url.
  std::string GetMessageText(int number, const std::string& messageFile, const std::string& url) const;

  // The built-in text of message number in language (English where a table lacks it).
  static std::string BuiltInText(MessageLanguage language, int number);

 private:
  std::optional<std::vector<std::uint8_t>> ReadMessageFile(const std::string& messageFile) const;
  std::optional<std::string> LookUpInFile(int number, const std::string& messageFile) const;
  void Report(const std::string& text) const;

  mutable std::mutex mutex_;
  MessageLanguage language_ = MessageLanguage::English;
  Fetcher fetcher_;
  ErrorReporter reporter_;
};

// Every "%url" in text replaced by url.
std::string ReplaceUrl(std::string text, const std::string& url);

// Shorthands for the shared table.
std::string GetMessageText(int number, const std::string& messageFile = {});
std::string GetMessageText(int number, const std::string& messageFile, const std::string& url);

}  // namespace zolvex
