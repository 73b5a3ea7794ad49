#include "tools/ClipDialog.h"

#include <ctime>
#include <string_view>

#include "platform/Dialogs.h"
#include "platform/HttpClient.h"
#include "platform/Platform.h"

namespace zolvex {

namespace {

constexpr const char* kCaption = "Clipping Dialog";
constexpr const char* kMessageCaption = "Korvani Zolvex";
constexpr std::string_view kEscapedMarks = "\"<>%\\^[]`+$,@:;/!#?=&";

bool NeedsEscape(unsigned char c) { return c <= 0x20 || c >= 0x7B || kEscapedMarks.find(char(c)) != std::string_view::npos; }

std::vector<platform::FormField> FormFields(const ClipDialog::Fields& fields, const std::vector<std::string>& categories) {
  using platform::FieldKind;
  std::string category = fields.category;
  if (category.empty() && !categories.empty()) category = categories.front();
  return {{"name", "Name:", FieldKind::Text, fields.name, {}},
          {"category", "Category:", FieldKind::Choice, category, categories},
          {"keywords", "Keywords:", FieldKind::Text, fields.keywords, {}},
          {"description", "Description:", FieldKind::MultilineText, fields.description, {}}};
}

ClipDialog::Fields ReadFields(const std::vector<platform::FormField>& form) {
  ClipDialog::Fields fields;
  for (const platform::FormField& field : form) {
    if (field.name == "name") fields.name = field.value;
    if (field.name == "category") fields.category = field.value;
    if (field.name == "keywords") fields.keywords = field.value;
    if (field.name == "description") fields.description = field.value;
  }
  return fields;
}

}  // namespace

ClipDialog::ClipDialog(std::string clippingUrl, std::string categories, std::string clipString,
                       std::string publicationUrl)
    : clippingUrl_(std::move(clippingUrl)),
      categories_(std::move(categories)),
      clipString_(std::move(clipString)),
      publicationUrl_(std::move(publicationUrl)) {}

std::vector<std::string> ClipDialog::ParseCategories(const std::string& categories) {
  std::vector<std::string> entries;
  size_t start = 0;
  for (size_t end = categories.find(';'); end != std::string::npos; end = categories.find(';', start)) {
    if (end > start) entries.push_back(categories.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

std::string ClipDialog::EscapeFormValue(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (NeedsEscape(c)) {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 0x0F];
    } else {
      escaped += ch;
    }
  }
  return escaped;
}

std::string ClipDialog::FormBody(const Fields& fields, const std::string& time) const {
  return "pubpath=" + EscapeFormValue(publicationUrl_) + "&clipname=" + EscapeFormValue(fields.name) +
         "&cat=" + EscapeFormValue(fields.category) + "&keyword=" + EscapeFormValue(fields.keywords) +
         "&desc=" + EscapeFormValue(fields.description) + "&cliptime=" + EscapeFormValue(time) +
         "&clip=" + EscapeFormValue(clipString_);
}

std::string ClipDialog::UploadTime() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  char text[16] = "";
  if (local) std::strftime(text, sizeof text, "%Y%m%d%H%M", local);
  return text;
}

int ClipDialog::UploadClip(const Fields& fields, const std::string& time) const {
  platform::HttpRequest request;
  request.method = "POST";
  request.url = clippingUrl_;
  request.bypassCache = true;
  request.body = FormBody(fields, time);
  request.headers = {
      {"Accept",
       "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
       "application/vnd.ms-powerpoint, application/msword, */*"},
      {"Connection", "Keep-Alive"},
      {"Accept-Language", "en-us"},
      {"Content-Type", "application/x-www-form-urlencoded"},
      {"Accept-Encoding", "gzip, deflate"},
      {"User-Agent", "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; Q312461)"},
  };
  const platform::HttpOutcome outcome = platform::SharedHttpClient().Send(request, 1u << 20);
  // A long answer is still an answer: only its status counts.
  if (!outcome.Ok() && !(outcome.failure == platform::HttpFailure::BodyRefused && outcome.response.status > 0)) {
    return -1;
  }
  return outcome.response.status;
}

bool ClipDialog::Run(platform::Platform& platform) {
  const std::vector<std::string> categories = ParseCategories(categories_);
  Fields fields;
  for (;;) {
    std::vector<platform::FormField> form = FormFields(fields, categories);
    if (!platform.DialogBox().Form(kCaption, form)) return false;
    fields = ReadFields(form);
    const int status = UploadClip(fields, UploadTime());
    if (status == 200) {
      platform.DialogBox().MessageBox("Clip saved", kMessageCaption, platform::MessageIcon::Information,
                                      platform::MessageButtons::Ok);
      return true;
    }
    platform.DialogBox().MessageBox("Server returned error code:" + std::to_string(status), kMessageCaption,
                                    platform::MessageIcon::Warning, platform::MessageButtons::Ok);
  }
}

}  // namespace zolvex
