#include "tiles/TileRequest.h"

#include <cctype>
#include <string_view>

namespace zolvex {

namespace {

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    auto a = static_cast<unsigned char>(text[text.size() - suffix.size() + i]);
    if (std::tolower(a) != suffix[i]) return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

TileRequest TileRequest::ForTile(int level, int column, int row, int priority) {
  TileRequest request;
  request.kind = Kind::Tile;
  request.level = level;
  request.column = column;
  request.row = row;
  request.sticky = priority == 3;
  request.priority = priority == 3 ? 0 : priority;
  return request;
}

TileRequest TileRequest::ForFile(std::string name) {
  TileRequest request;
  request.kind = Kind::File;
  request.name = std::move(name);
  return request;
}

TileRequest TileRequest::Cancellation() const {
  TileRequest cancellation = *this;
  cancellation.cancel = true;
  cancellation.sticky = false;
  return cancellation;
}

bool TileRequest::SameTile(const TileRequest& other) const {
  return IsTile() && other.IsTile() && level == other.level && column == other.column && row == other.row;
}

bool TileRequest::SameFile(const TileRequest& other) const {
  return IsFile() && other.IsFile() && name == other.name;
}

bool TileRequest::SameTarget(const TileRequest& other) const { return SameTile(other) || SameFile(other); }

bool TileRequest::IsThumbnailName(const std::string& name) {
  return name.size() > 4 && (EndsWithNoCase(name, ".ktq") || EndsWithNoCase(name, ".xif"));
}

std::string TileRequest::Line() const {
  std::string line = std::to_string(id) + " ";
  if (IsFile()) {
    line += (IsThumbnailName(name) ? "GETTHUMB " : "GETFILE ") + name;
  } else {
    line += cancel ? "CANCELTILE " : "GETTILE ";
    line += std::to_string(level) + " " + std::to_string(row) + " " + std::to_string(column);
    if (!cancel) line += " " + std::to_string(priority);
  }
  return line + "\r\n";
}

std::string LoadLine(std::int32_t id, const std::string& imagePath, const std::string& authString) {
  std::string line = std::to_string(id) + " LOAD \"" + imagePath + "\" 1";
  if (!authString.empty()) line += " " + PercentEscape(authString);
  return line + "\r\n";
}

std::string PercentEscape(const std::string& text) {
  static constexpr std::string_view kEscaped = "\"<>%\\^[]`+$,@:;/!#?=&";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 32 || byte > 122 || kEscaped.find(c) != std::string_view::npos) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string PercentUnescape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    int high = text[i] == '%' && i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
    int low = high >= 0 ? HexValue(text[i + 2]) : -1;
    if (low >= 0) {
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace zolvex
