#include "apps/ktqserve/ClipStore.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "documents/XmlReader.h"

namespace zolvex {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string XmlEscape(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '&') escaped += "&amp;";
    else if (c == '<') escaped += "&lt;";
    else if (c == '>') escaped += "&gt;";
    else if (c == '"') escaped += "&quot;";
    else escaped += c;
  }
  return escaped;
}

bool IsXmml(const std::string& text) {
  XmlReader reader;
  if (!reader.Parse(text) || !reader.IsWellFormed()) return false;
  reader.ResetPosition();
  return reader.FindNext("xmml");
}

// The clip with the form's fields as params right after its opening element.
std::string WithFields(const std::string& clip, const std::map<std::string, std::string>& form) {
  const size_t open = clip.find("<xmml");
  const size_t end = open == std::string::npos ? open : clip.find('>', open);
  if (end == std::string::npos || clip[end - 1] == '/') return clip;
  std::string params;
  for (const char* name : {"clipname", "cat", "keyword", "desc", "cliptime", "pubpath"}) {
    auto found = form.find(name);
    if (found != form.end()) params += " <param name=\"" + std::string(name) + "\" value=\"" + XmlEscape(found->second) + "\"/>";
  }
  // Uploads carry UTF-8; readers take undeclared text for the legacy code page.
  const std::string declaration = clip.starts_with("<?xml") ? "" : "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
  return declaration + clip.substr(0, end + 1) + params + clip.substr(end + 1);
}

}  // namespace

ClipStore::ClipStore(std::string folder) : folder_(std::move(folder)) {}

std::string ClipStore::PercentDecode(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      decoded += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

std::map<std::string, std::string> ClipStore::ParseForm(std::string_view body) {
  std::map<std::string, std::string> form;
  while (!body.empty()) {
    const size_t amp = body.find('&');
    const std::string_view pair = body.substr(0, amp);
    const size_t eq = pair.find('=');
    if (eq != std::string_view::npos) form[PercentDecode(pair.substr(0, eq))] = PercentDecode(pair.substr(eq + 1));
    if (amp == std::string_view::npos) break;
    body.remove_prefix(amp + 1);
  }
  return form;
}

std::string ClipStore::FileNameFor(const std::string& clipName) {
  std::string name;
  for (char c : clipName) {
    if (name.size() == kMaxNameLength) break;
    const bool plain = std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80;
    name += plain || c == '-' || c == '_' ? c : '_';
  }
  return name + ".clip";
}

ClipStore::Result ClipStore::Receive(const std::string& formBody) {
  if (formBody.size() > kMaxClipBytes) return {413, "the clip is larger than 65536 bytes\n"};
  auto form = ParseForm(formBody);
  const std::string clip = form["clip"];
  if (form["clipname"].empty()) return {400, "the clip has no name\n"};
  if (!IsXmml(clip)) return {400, "the clip is no well-formed XMML\n"};
  const std::string text = WithFields(clip, form);
  std::lock_guard lock(mutex_);
  const std::string base = FileNameFor(form["clipname"]);
  std::string file = base;
  std::error_code ec;
  for (int n = 2; std::filesystem::exists(std::filesystem::path(folder_) / file, ec); ++n) {
    if (n > kMaxClipsPerName) return {409, "there are already " + std::to_string(kMaxClipsPerName) + " clips of that name\n"};
    file = base.substr(0, base.size() - 5) + "-" + std::to_string(n) + ".clip";
  }
  const std::filesystem::path target = std::filesystem::path(folder_) / file;
  const std::filesystem::path partial = target.string() + ".part";
  {
    std::ofstream out(partial, std::ios::binary);
    out << text;
    if (!out.flush()) return {500, "the clip could not be stored\n"};
  }
  std::filesystem::rename(partial, target, ec);
  if (ec) return {500, "the clip could not be stored\n"};
  return {200, file + "\n"};
}

std::optional<std::string> ClipStore::Read(const std::string& fileName) const {
  // Only names the store gives out: no folders, no dot-dot.
  if (fileName.empty() || FileNameFor(fileName.substr(0, fileName.size() - std::min<size_t>(5, fileName.size()))) != fileName) {
    return std::nullopt;
  }
  std::lock_guard lock(mutex_);
  std::ifstream in(std::filesystem::path(folder_) / fileName, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace zolvex
