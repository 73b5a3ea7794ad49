// URL resolution and normalisation. The input is a relative reference, a line feed, and a
// base. Normalising removes every "/../" and "/./" step, and normalising its own result
// (with no base to join) changes nothing.
#include <string>

#include "fuzz/FuzzSupport.h"
#include "net/Url.h"

namespace {

std::string ForwardSlashes(std::string text) {
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = zolvex::fuzz::AsText(data, size);
  size_t split = input.find('\n');
  std::string relative(input.substr(0, split));
  std::string base(split == std::string_view::npos ? std::string_view() : input.substr(split + 1));

  zolvex::ResolveUrl(relative, base);
  zolvex::SplitHttpUrl(relative);
  std::string normalised = zolvex::NormaliseUrl(relative, base);
  std::string slashed = ForwardSlashes(normalised);
  zolvex::fuzz::Require(slashed.find("/../") == std::string::npos, "no parent steps left", normalised);
  zolvex::fuzz::Require(slashed.find("/./") == std::string::npos, "no current-folder steps left", normalised);
  // A reference is trimmed of blanks, a base is not: only a result without outer blanks can
  // come back unchanged.
  if (normalised.empty() || IsBlank(normalised.front()) || IsBlank(normalised.back())) return 0;
  // Drive paths change their separators on each pass.
  if (normalised.find('\\') != std::string::npos) return 0;
  std::string twice = zolvex::NormaliseUrl(normalised, "");
  zolvex::fuzz::Require(twice == normalised, "normalising twice changes nothing", normalised + " -> " + twice);
  return 0;
}
