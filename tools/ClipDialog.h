#pragma once
#include <string>
#include <vector>

namespace zolvex {

namespace platform {
class Platform;
}

// The clip dialog ("Clipping Dialog"): a name, a category out of the page's list, keywords
// and a description for the clip, sent with it to the clipping server. "Save" uploads and
// stays open on failure; "Cancel" closes.
class ClipDialog {
 public:
  struct Fields {
    std::string name;
    std::string category;
    std::string keywords;
    std::string description;
  };

  ClipDialog(std::string clippingUrl, std::string categories, std::string clipString, std::string publicationUrl);

  // Runs the dialog until a clip is saved (true) or the user cancels (false).
  bool Run(platform::Platform& platform);
  // Sends the clip; the server's status code, or -1 when it could not be reached.
  int UploadClip(const Fields& fields, const std::string& time) const;

  // Every piece of the list that ends with ";", empty pieces skipped.
  static std::vector<std::string> ParseCategories(const std::string& categories);
  // Form-value escaping: each byte from 0x00 to 0x20, from 0x7B up (so every byte of a
  // character beyond ASCII in UTF-8), and each of "<>%\^[]`+$,@:;/!#?=& escaped as "%XX".
  static std::string EscapeFormValue(const std::string& text);
  // The request's body: pubpath, clipname, cat, keyword, desc, cliptime and clip.
  std::string FormBody(const Fields& fields, const std::string& time) const;
  // The local time now as "%Y%m%d%H%M".
  static std::string UploadTime();

 private:
  std::string clippingUrl_;
  std::string categories_;
  std::string clipString_;
  std::string publicationUrl_;
};

}  // namespace zolvex
